// Invoice query (consSitNFe 2.00, 2.01 and 3.10): the note's protocol, its cancellation and
// its events.
#include "sandbox/DocumentoPedido.h"
#include "sandbox/EscritaXml.h"
#include "sandbox/LeituraXml.h"
#include "sandbox/Rejeicao.h"
#include "sandbox/ServicosSefaz.h"
#include "sandbox/VerificacaoChave.h"

namespace mox::sandbox {

TResposta AtendeConsultaNF(const TChamada& aChamada, TRecursos& aRecursos) {
  const TRegrasDocumento regras{"consSitNFe", VersoesDoServico(aChamada, aChamada.Servico == "NfeConsulta3"
                                                                  ? std::vector<std::string>{"3.10", "2.01", "2.00"}
                                                                  : std::vector<std::string>{"2.01", "3.10", "2.00"})};
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

  std::string conteudo = ElementoXml("tpAmb", kAmbiente) + ElementoXml("verAplic", kVerAplic) +
                         ElementoXml("cStat", std::to_string(resposta.CStat)) +
                         ElementoXml("xMotivo", resposta.XMotivo) + ElementoXml("cUF", resposta.CUF);
  if (resposta.VersaoDados >= "3.10") conteudo += ElementoXml("dhRecbto", DataHoraUTC(aChamada.Agora));
  conteudo += ElementoXml("chNFe", chave) + nota.ProtNFe + nota.RetCancNFe;
  if (resposta.VersaoDados != "2.00")
    for (const auto& e : eventos) conteudo += DocumentoNFe("procEventoNFe", "1.00", e.Evento + e.RetEvento);
  resposta.Ret = DocumentoNFe("retConsSitNFe", resposta.VersaoDados, conteudo);
  return resposta;
}

}  // namespace mox::sandbox
