// Invoice query (consSitNFe 2.00, 2.01 and 3.10): the note's protocol, its cancellation and
// its events; consSitNFe 1.07 at the first generation's service: the fields of the protocol.
#include "external/XmlDocument.h"
#include "sandbox/DocumentoPedido.h"
#include "sandbox/EscritaXml.h"
#include "sandbox/LeituraXml.h"
#include "sandbox/Rejeicao.h"
#include "sandbox/ServicosSefaz.h"
#include "sandbox/VerificacaoChave.h"

namespace mox::sandbox {

namespace {

// Version 1.07 answers with the protocol's fields in infProt: those of the authorization, or
// of the cancellation once the note is cancelled.
std::string RetConsSitNFe107(const TResposta& aResposta, const std::string& aChave, const TNotaRegistrada& aNota) {
  std::string conteudo = ElementoXml("tpAmb", kAmbiente) + ElementoXml("verAplic", kVerAplic) +
                         ElementoXml("cStat", std::to_string(aResposta.CStat)) +
                         ElementoXml("xMotivo", aResposta.XMotivo) + ElementoXml("cUF", aResposta.CUF) +
                         ElementoXml("chNFe", aChave);
  if (aResposta.CStat == 100) {
    conteudo += ElementoXml("dhRecbto", aNota.DhRecbto) + ElementoXml("nProt", aNota.NProt) +
                ElementoXml("digVal", aNota.DigVal);
  } else if (aResposta.CStat == 101) {
    const XmlDocument cancelamento = XmlDocument::Parse(aNota.RetCancNFe);
    xmlNodePtr inf = Elemento(cancelamento.Root(), "infCanc");
    conteudo += ElementoXml("dhRecbto", Valor(inf, "dhRecbto")) + ElementoXml("nProt", Valor(inf, "nProt"));
  }
  return DocumentoNFe("retConsSitNFe", "1.07", "<infProt>" + conteudo + "</infProt>");
}

}  // namespace

TResposta AtendeConsultaNF(const TChamada& aChamada, TRecursos& aRecursos) {
  const TRegrasDocumento regras{"consSitNFe", aChamada.Soap.PrimeiraGeracao ? std::vector<std::string>{"1.07"}
                                              : aChamada.Servico == "NfeConsulta3"
                                                  ? std::vector<std::string>{"3.10", "2.01", "2.00"}
                                                  : std::vector<std::string>{"2.01", "3.10", "2.00"}};
  TResposta resposta = NovaResposta(aChamada, VersaoDaResposta(aChamada.Soap, regras));
  std::string chave = std::string(44, '0');
  TNotaRegistrada nota;
  std::vector<TEventoRegistrado> eventos;
  Apura(resposta, [&] {
    TDocumentoPedido pedido = PreparaDocumento(aChamada.Soap, aRecursos.Esquemas, regras, aChamada.Secao);
    resposta.VersaoDados = pedido.Versao;
    chave = Valor(pedido.Raiz(), "chNFe");
    if (Valor(pedido.Raiz(), "tpAmb") != kAmbiente) throw ERejeicao(252);
    ConfereDigitoChave(chave);
    if (!aChamada.Secao.AtendeUF(chave.substr(0, 2))) throw ERejeicao(226, chave);
    auto trava = aRecursos.Estado.Trava();
    const TNotaRegistrada* registrada = aRecursos.Estado.Nota(chave);
    if (!registrada) throw ERejeicao(217, chave);
    nota = *registrada;
    for (const auto& id : nota.Eventos) eventos.push_back(*aRecursos.Estado.Evento(id));
    return nota.Situacao == "cancelada" ? 101 : 100;
  });
  if (resposta.VersaoDados == "1.07") {
    resposta.Ret = RetConsSitNFe107(resposta, chave, nota);
    return resposta;
  }

  std::string conteudo = ElementoXml("tpAmb", kAmbiente) + ElementoXml("verAplic", kVerAplic) +
                         ElementoXml("cStat", std::to_string(resposta.CStat)) +
                         ElementoXml("xMotivo", resposta.XMotivo) + ElementoXml("cUF", resposta.CUF);
  if (resposta.VersaoDados == "3.10") conteudo += ElementoXml("dhRecbto", DataHoraUTC(aChamada.Agora));
  conteudo += ElementoXml("chNFe", chave) + nota.ProtNFe + nota.RetCancNFe;
  if (resposta.VersaoDados != "2.00")
    for (const auto& e : eventos) conteudo += DocumentoNFe("procEventoNFe", "1.00", e.Evento + e.RetEvento);
  resposta.Ret = DocumentoNFe("retConsSitNFe", resposta.VersaoDados, conteudo);
  return resposta;
}

}  // namespace mox::sandbox
