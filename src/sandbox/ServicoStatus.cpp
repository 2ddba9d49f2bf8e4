// Service status (consStatServ 2.00 and 3.10, and 1.07 at the first generation's service).
#include "sandbox/DocumentoPedido.h"
#include "sandbox/EscritaXml.h"
#include "sandbox/LeituraXml.h"
#include "sandbox/Rejeicao.h"
#include "sandbox/ServicosSefaz.h"

namespace mox::sandbox {

TResposta AtendeStatus(const TChamada& aChamada, TRecursos& aRecursos) {
  const bool primeiraGeracao = aChamada.Soap.PrimeiraGeracao;
  const TRegrasDocumento regras{"consStatServ", primeiraGeracao ? std::vector<std::string>{"1.07"}
                                                                : std::vector<std::string>{"3.10", "2.00"}};
  TResposta resposta = NovaResposta(aChamada, VersaoDaResposta(aChamada.Soap, regras));
  Apura(resposta, [&] {
    TDocumentoPedido pedido = PreparaDocumento(aChamada.Soap, aRecursos.Esquemas, regras, aChamada.Secao);
    resposta.VersaoDados = pedido.Versao;
    if (Valor(pedido.Raiz(), "tpAmb") != kAmbiente) throw ERejeicao(252);
    // Without a SOAP header the UF asked for is the service's own.
    const std::string cUF = Valor(pedido.Raiz(), "cUF");
    if (primeiraGeracao ? !aChamada.Secao.AtendeUF(cUF) : cUF != aChamada.Soap.CUF) throw ERejeicao(289, cUF);
    return 107;
  });
  const bool v310 = resposta.VersaoDados == "3.10";
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
