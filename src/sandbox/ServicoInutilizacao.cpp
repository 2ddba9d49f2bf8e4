// Voiding of a range of numbers never used (inutNFe 2.00 and 3.10, and 1.07 at the first
// generation's service).
#include <string>

#include "sandbox/DocumentoPedido.h"
#include "sandbox/EscritaXml.h"
#include "sandbox/LeituraXml.h"
#include "sandbox/ServicosSefaz.h"

namespace mox::sandbox {

namespace {

constexpr long long kMaiorFaixa = 10000;

// An authorized note of the range, if any.
const TNotaRegistrada* NotaNaFaixa(const EstadoSandbox& aEstado, const TInutilizacao& aFaixa) {
  for (const auto& [chave, nota] : aEstado.Notas()) {
    if (nota.CnpjEmitente != aFaixa.CNPJ || nota.Modelo != aFaixa.Modelo || std::stoll(nota.Serie) != std::stoll(aFaixa.Serie))
      continue;
    const long long numero = std::stoll(nota.Numero);
    if (aFaixa.Inicio <= numero && numero <= aFaixa.Fim) return &nota;
  }
  return nullptr;
}

}  // namespace

TResposta AtendeInutilizacao(const TChamada& aChamada, TRecursos& aRecursos) {
  const TRegrasDocumento regras{"inutNFe", aChamada.Soap.PrimeiraGeracao ? std::vector<std::string>{"1.07"}
                                           : aChamada.Servico == "NfeInutilizacao3"
                                               ? std::vector<std::string>{"3.10", "2.00"}
                                               : std::vector<std::string>{"2.00", "3.10"}};
  TResposta resposta = NovaResposta(aChamada, VersaoDaResposta(aChamada.Soap, regras));
  TInutilizacao faixa;
  std::string numeroInicial, numeroFinal;
  Apura(resposta, [&] {
    TDocumentoPedido pedido = PreparaDocumento(aChamada.Soap, aRecursos.Esquemas, regras, aChamada.Secao);
    resposta.VersaoDados = pedido.Versao;
    xmlNodePtr inf = Elemento(pedido.Raiz(), "infInut");
    faixa = TInutilizacao{Atributo(inf, "Id"), Valor(inf, "cUF"), Valor(inf, "ano"), Valor(inf, "CNPJ"),
                          Valor(inf, "mod"), Valor(inf, "serie"), 0, 0, ""};
    numeroInicial = Valor(inf, "nNFIni");
    numeroFinal = Valor(inf, "nNFFin");
    faixa.Inicio = std::stoll(numeroInicial);
    faixa.Fim = std::stoll(numeroFinal);
    aRecursos.Assinaturas.Confere(inf, aRecursos.Assinaturas.VerificaTodas(pedido.Texto), faixa.CNPJ, aChamada.Agora);
    if (Valor(inf, "tpAmb") != kAmbiente) throw ERejeicao(252);
    if (!aChamada.Secao.AtendeUF(faixa.CUF)) throw ERejeicao(226, "cUF " + faixa.CUF);
    if (faixa.Ano > Ano2(aChamada.Agora)) throw ERejeicao(453, faixa.Ano);
    if (faixa.Ano < "06") throw ERejeicao(454, faixa.Ano);
    if (faixa.Inicio > faixa.Fim) throw ERejeicao(224);
    if (faixa.Fim - faixa.Inicio > kMaiorFaixa) throw ERejeicao(201);

    auto trava = aRecursos.Estado.Trava();
    if (const TNotaRegistrada* usada = NotaNaFaixa(aRecursos.Estado, faixa)) throw ERejeicao(241, usada->Chave);
    if (const TInutilizacao* anterior = aRecursos.Estado.InutilizacaoQueCruza(faixa))
      throw ERejeicao(anterior->Inicio == faixa.Inicio && anterior->Fim == faixa.Fim ? 563 : 256, anterior->Id);
    faixa.NProt = aRecursos.Estado.NovoProtocolo(faixa.CUF, Ano2(aChamada.Agora));
    aRecursos.Estado.GravaInutilizacao(faixa);
    return 102;
  });

  const std::string id = faixa.NProt.empty() ? "" : " Id=\"ID" + faixa.NProt + "\"";
  std::string conteudo = ElementoXml("tpAmb", kAmbiente) + ElementoXml("verAplic", kVerAplic) +
                         ElementoXml("cStat", std::to_string(resposta.CStat)) +
                         ElementoXml("xMotivo", resposta.XMotivo) + ElementoXml("cUF", resposta.CUF);
  if (resposta.CStat == 102)
    conteudo += ElementoXml("ano", faixa.Ano) + ElementoXml("CNPJ", faixa.CNPJ) + ElementoXml("mod", faixa.Modelo) +
                ElementoXml("serie", faixa.Serie) + ElementoXml("nNFIni", numeroInicial) +
                ElementoXml("nNFFin", numeroFinal);
  conteudo += ElementoXml("dhRecbto", resposta.VersaoDados == "3.10" ? DataHoraUTC(aChamada.Agora)
                                                                     : DataHoraLocal(aChamada.Agora));
  if (resposta.CStat == 102) conteudo += ElementoXml("nProt", faixa.NProt);
  resposta.Ret = DocumentoNFe("retInutNFe", resposta.VersaoDados, "<infInut" + id + ">" + conteudo + "</infInut>");
  return resposta;
}

}  // namespace mox::sandbox
