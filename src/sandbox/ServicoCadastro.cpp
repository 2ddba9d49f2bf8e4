// Taxpayer registry query (ConsCad 2.00, and 1.01 at the first generation's service): the
// parties the sandbox has seen in the notes it authorized, issuers and recipients, by CNPJ, CPF
// or IE in the UF of the service.
#include "external/TaxIdCheck.h"
#include "sandbox/DocumentoPedido.h"
#include "sandbox/EscritaXml.h"
#include "sandbox/LeituraXml.h"
#include "sandbox/ServicosSefaz.h"

namespace mox::sandbox {

namespace {

struct TContribuinte {
  std::string Documento, IE, UF, Nome;
};

// Issuers and recipients of the notes, of that UF, matching the document (type CNPJ, CPF or IE).
std::vector<TContribuinte> Procura(const EstadoSandbox& aEstado, const std::string& aUF, const std::string& aTipo,
                                   const std::string& aValor) {
  std::vector<TContribuinte> achados;
  auto considera = [&](const TContribuinte& c) {
    if (c.UF != aUF || (aTipo == "IE" ? c.IE : c.Documento) != aValor) return;
    for (const auto& a : achados)
      if (a.Documento == c.Documento && a.IE == c.IE) return;
    achados.push_back(c);
  };
  for (const auto& [chave, n] : aEstado.Notas()) {
    considera({n.CnpjEmitente, n.IEEmitente, n.UFEmitente, n.NomeEmitente});
    considera({n.DocDestinatario, n.IEDestinatario, n.UFDestinatario, n.NomeDestinatario});
  }
  return achados;
}

// Version 1.01 has no credit indicators for NF-e and CT-e.
std::string InfCad(const TContribuinte& aContribuinte, const std::string& aVersao) {
  const std::string credito =
      aVersao == "1.01" ? std::string() : ElementoXml("indCredNFe", "1") + ElementoXml("indCredCTe", "0");
  return "<infCad>" + ElementoXml("IE", aContribuinte.IE.empty() ? "ISENTO" : aContribuinte.IE) +
         ElementoCNPJCPF(aContribuinte.Documento) + ElementoXml("UF", aContribuinte.UF) + ElementoXml("cSit", "1") +
         credito + ElementoXml("xNome", aContribuinte.Nome) + "</infCad>";
}

}  // namespace

TResposta AtendeConsultaCadastro(const TChamada& aChamada, TRecursos& aRecursos) {
  // 1.01 is the registry of layout 1.10 (manuals 2.0.2a and 3.0); its answer has the same shape.
  const TRegrasDocumento regras{"ConsCad", {aChamada.Soap.PrimeiraGeracao ? "1.01" : "2.00"}, "consCad"};
  TResposta resposta = NovaResposta(aChamada, VersaoDaResposta(aChamada.Soap, regras));
  std::string uf = aChamada.Secao.Nome, tipo = "CNPJ", valor = "00000000000000";
  std::vector<TContribuinte> achados;
  Apura(resposta, [&] {
    TDocumentoPedido pedido = PreparaDocumento(aChamada.Soap, aRecursos.Esquemas, regras, aChamada.Secao);
    xmlNodePtr inf = Elemento(pedido.Raiz(), "infCons");
    uf = Valor(inf, "UF");
    for (const char* t : {"CNPJ", "CPF", "IE"})
      if (xmlNodePtr e = Elemento(inf, t)) tipo = t, valor = NodeText(e);
    if (uf != aChamada.Secao.Nome) throw ERejeicao(265, uf);
    if (tipo == "CNPJ" && !IsValidCNPJ(valor)) throw ERejeicao(258, valor);
    if (tipo == "CPF" && !IsValidCPF(valor)) throw ERejeicao(263, valor);
    auto trava = aRecursos.Estado.Trava();
    achados = Procura(aRecursos.Estado, uf, tipo, valor);
    if (achados.empty()) throw ERejeicao(tipo == "IE" ? 261 : tipo == "CPF" ? 264 : 259, valor);
    return 111;
  });

  std::string conteudo = ElementoXml("verAplic", kVerAplic) + ElementoXml("cStat", std::to_string(resposta.CStat)) +
                         ElementoXml("xMotivo", resposta.XMotivo) + ElementoXml("UF", uf) + ElementoXml(tipo, valor) +
                         ElementoXml("dhCons", DataHoraLocal(aChamada.Agora)) + ElementoXml("cUF", resposta.CUF);
  for (const auto& c : achados) conteudo += InfCad(c, resposta.VersaoDados);
  resposta.Ret = DocumentoNFe("retConsCad", resposta.VersaoDados, "<infCons>" + conteudo + "</infCons>");
  return resposta;
}

}  // namespace mox::sandbox
