#pragma once
// A minimal writer of the request documents of the SEFAZ web services and of their SOAP 1.2
// envelope. Documents are written without line breaks or blanks between elements, in the NF-e
// namespace, with the version of the layout the manual version speaks; the parts that must be
// signed (infCanc, infInut, infEvento) come out unsigned, carrying their Id.
#include <string>
#include <vector>

#include "base/moxTypes.h"

namespace mox {

// The layout version of each request document under a manual version (layouts 2.00 and 3.10).
struct TVersoesLeiaute {
  std::string NFe;          // enviNFe, consReciNFe
  std::string StatusServ;   // consStatServ
  std::string ConsSit;      // consSitNFe
  std::string Inutilizacao; // inutNFe
  std::string Cancelamento = "2.00";
  std::string Cadastro = "2.00";
  std::string Evento = "1.00";
  std::string DistDFe = "1.01";
  std::string ConsNFeDest = "1.01";
  std::string Download = "1.00";
};

// Raises EmoxNFeException for manual versions of layout 1.10 (2.0.2a and 3.0).
TVersoesLeiaute VersoesLeiaute(TVersaoManual aVersao);

// "<aNome>texto</aNome>", the text escaped.
std::string ElementoXml(const std::string& aNome, const std::string& aTexto);
// "<CNPJ>..</CNPJ>" for 14 digits, "<CPF>..</CPF>" for 11; aSufixo makes "CNPJDest" and the like.
std::string ElementoCNPJCPF(const std::string& aDocumento, const std::string& aSufixo = {});
// A document of the NF-e namespace: "<aNome xmlns=... versao=aVersao>aConteudo</aNome>".
std::string DocumentoNFe(const std::string& aNome, const std::string& aVersao, const std::string& aConteudo);

// aAmbiente is "1" (production) or "2" (homologation) throughout.
std::string PedidoStatus(const std::string& aAmbiente, const std::string& aCodigoUF, const std::string& aVersao);
std::string PedidoConsultaRecibo(const std::string& aAmbiente, const std::string& aRecibo, const std::string& aVersao);
std::string PedidoConsultaNF(const std::string& aAmbiente, const std::string& aChave, const std::string& aVersao);

// The batch of signed notes (each an NFe element; XML declarations and byte-order marks are
// dropped). From layout 3.10 on the batch says whether the answer is synchronous.
std::string PedidoEnvioLote(const std::string& aIdLote, const std::vector<std::string>& aNotas,
                            const std::string& aVersao, bool aSincrono);

// The cancellation in the request form (layout 2.00); sign infCanc.
std::string PedidoCancelamento(const std::string& aAmbiente, const std::string& aChave, const std::string& aProtocolo,
                               const std::string& aJustificativa, const std::string& aVersao);

struct TFaixaInutilizacao {
  std::string CodigoUF, Ano, CNPJ, Modelo = "55", Serie, NumeroInicial, NumeroFinal, Justificativa;
};
// The voiding of a range of numbers; sign infInut. The Id carries the year from layout 2.00 on.
std::string PedidoInutilizacao(const std::string& aAmbiente, const TFaixaInutilizacao& aFaixa,
                               const std::string& aVersao);

// aTipoDocumento: "CNPJ", "CPF" or "IE".
std::string PedidoConsultaCadastro(const std::string& aUF, const std::string& aTipoDocumento,
                                   const std::string& aDocumento, const std::string& aVersao);

// One event of the national event layout; sign infEvento. aAutor is a CNPJ (14 digits) or a
// CPF (11). aDetalhe is the content of detEvento.
struct TEventoNFe {
  std::string CodigoOrgao, Ambiente, Autor, Chave, DataHora, TipoEvento, Detalhe;
  int Sequencia = 1;
};
std::string IdEvento(const std::string& aTipoEvento, const std::string& aChave, int aSequencia);
std::string EventoNFe(const TEventoNFe& aEvento, const std::string& aVersao);
std::string LoteEventos(const std::string& aIdLote, const std::vector<std::string>& aEventos,
                        const std::string& aVersao);

// detEvento contents of the event kinds.
std::string DetalheCancelamento(const std::string& aProtocolo, const std::string& aJustificativa);
std::string DetalheCartaCorrecao(const std::string& aCorrecao);
// aTipoEvento: 210200, 210210, 210220 or 210240 (the only one with a justification).
std::string DetalheManifestacao(const std::string& aTipoEvento, const std::string& aJustificativa);

// The DF-e distribution from the last NSU received (aUltimoNSU) or of one NSU.
std::string PedidoDistribuicaoDFe(const std::string& aAmbiente, const std::string& aCodigoUFAutor,
                                  const std::string& aCNPJCPF, const std::string& aNSU, bool aNSUEspecifico,
                                  const std::string& aVersao);
std::string PedidoConsultaDestinadas(const std::string& aAmbiente, const std::string& aCNPJ, int aIndNFe, int aIndEmi,
                                     const std::string& aUltimoNSU, const std::string& aVersao);
std::string PedidoDownloadNFe(const std::string& aAmbiente, const std::string& aCNPJ,
                              const std::vector<std::string>& aChaves, const std::string& aVersao);

// The SOAP 1.2 envelope: header nfeCabecMsg (cUF, versaoDados) and the document in
// nfeDadosMsg, both in the service's namespace; compressed, the gzip of the document in base64
// goes in nfeDadosMsgZip instead. The DF-e distribution has no header and wraps nfeDadosMsg in
// nfeDistDFeInteresse.
std::string EnvelopeSoap(const std::string& aNamespace, const std::string& aCodigoUF, const std::string& aVersaoDados,
                         const std::string& aDados, bool aCompactado = false);
std::string EnvelopeSoapDistribuicao(const std::string& aNamespace, const std::string& aDados);

}  // namespace mox
