// Service status (consStatServ 1.07 of layout 1.10, 2.00 and 3.10).
#include "sandbox/DocumentoPedido.h"
#include "sandbox/EscritaXml.h"
#include "sandbox/LeituraXml.h"
#include "sandbox/Rejeicao.h"
#include "sandbox/ServicosSefaz.h"

namespace mox::sandbox {

TResposta AtendeStatus(const TChamada& aChamada, TRecursos& aRecursos) {
  const TRegrasDocumento regras{"consStatServ", VersoesDoServico(aChamada, {"3.10", "2.00", "1.07"})};
  TResposta resposta = NovaResposta(aChamada, VersaoDaResposta(aChamada.Soap, regras));
  Apura(resposta, [&] {
    TDocumentoPedido pedido = PreparaDocumento(aChamada.Soap, aRecursos.Esquemas, regras, aChamada.Secao);
    resposta.VersaoDados = pedido.Versao;
    if (Valor(pedido.Raiz(), "tpAmb") != kAmbiente) throw ERejeicao(252);
    if (Valor(pedido.Raiz(), "cUF") != aChamada.Soap.CUF) throw ERejeicao(289);
    return 107;
  });
  const bool v310 = resposta.VersaoDados >= "3.10";  // 3.10 and 4.00 give the time with its zone
  const std::string recebimento = v310 ? DataHoraUTC(aChamada.Agora) : DataHoraLocal(aChamada.Agora);
  std::string conteudo = ElementoXml("tpAmb", kAmbiente) + ElementoXml("verAplic", kVerAplic) +
                         ElementoXml("cStat", std::to_string(resposta.CStat)) +
                         ElementoXml("xMotivo", resposta.XMotivo) + ElementoXml("cUF", resposta.CUF) +
                         ElementoXml("dhRecbto", recebimento);
  if (resposta.CStat == 107) conteudo += ElementoXml("tMed", "1");
  resposta.Ret = DocumentoNFe("retConsStatServ", resposta.VersaoDados, conteudo);
  return resposta;
}

}  // namespace mox::sandbox
