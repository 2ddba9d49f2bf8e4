// Cancellation in the request form (cancNFe 2.00, and 1.07 at the first generation's service);
// from layout 3.10 on cancellation is an event.
#include "sandbox/DocumentoPedido.h"
#include "sandbox/EscritaXml.h"
#include "sandbox/LeituraXml.h"
#include "sandbox/Rejeicao.h"
#include "sandbox/ServicosSefaz.h"
#include "sandbox/VerificacaoChave.h"

namespace mox::sandbox {

TResposta AtendeCancelamento(const TChamada& aChamada, TRecursos& aRecursos) {
  const TRegrasDocumento regras{"cancNFe", {aChamada.Soap.PrimeiraGeracao ? "1.07" : "2.00"}};
  TResposta resposta = NovaResposta(aChamada, VersaoDaResposta(aChamada.Soap, regras));
  std::string chave, nProt;
  const std::string recebimento = DataHoraLocal(aChamada.Agora);
  Apura(resposta, [&] {
    TDocumentoPedido pedido = PreparaDocumento(aChamada.Soap, aRecursos.Esquemas, regras, aChamada.Secao);
    xmlNodePtr inf = Elemento(pedido.Raiz(), "infCanc");
    chave = Valor(inf, "chNFe");
    aRecursos.Assinaturas.Confere(inf, aRecursos.Assinaturas.VerificaTodas(pedido.Texto), chave.substr(6, 14),
                                  aChamada.Agora);
    if (Valor(inf, "tpAmb") != kAmbiente) throw ERejeicao(252);
    ConfereDigitoChave(chave);
    if (!aChamada.Secao.AtendeUF(chave.substr(0, 2))) throw ERejeicao(226, chave);

    auto trava = aRecursos.Estado.Trava();
    const TNotaRegistrada* registrada = aRecursos.Estado.Nota(chave);
    if (!registrada) throw ERejeicao(217, chave);
    if (registrada->Situacao == "cancelada") throw ERejeicao(218, chave, "", registrada->NRec);
    if (Valor(inf, "nProt") != registrada->NProt) throw ERejeicao(222, Valor(inf, "nProt"));
    TNotaRegistrada nota = *registrada;
    nProt = aRecursos.Estado.NovoProtocolo(chave.substr(0, 2), Ano2(aChamada.Agora));
    nota.Situacao = "cancelada";
    nota.RetCancNFe = DocumentoNFe(
        "retCancNFe", resposta.VersaoDados,
        "<infCanc Id=\"ID" + nProt + "\">" + ElementoXml("tpAmb", kAmbiente) + ElementoXml("verAplic", kVerAplic) +
            ElementoXml("cStat", "101") + ElementoXml("xMotivo", Motivo(101)) + ElementoXml("cUF", chave.substr(0, 2)) +
            ElementoXml("chNFe", chave) + ElementoXml("dhRecbto", recebimento) + ElementoXml("nProt", nProt) +
            "</infCanc>");
    aRecursos.Estado.GravaNota(nota);
    resposta.Ret = nota.RetCancNFe;
    return 101;
  });
  if (resposta.CStat != 101) {
    std::string conteudo = ElementoXml("tpAmb", kAmbiente) + ElementoXml("verAplic", kVerAplic) +
                           ElementoXml("cStat", std::to_string(resposta.CStat)) +
                           ElementoXml("xMotivo", resposta.XMotivo) + ElementoXml("cUF", resposta.CUF);
    if (chave.size() == 44) conteudo += ElementoXml("chNFe", chave);
    resposta.Ret = DocumentoNFe("retCancNFe", resposta.VersaoDados, "<infCanc>" + conteudo + "</infCanc>");
  }
  return resposta;
}

}  // namespace mox::sandbox
