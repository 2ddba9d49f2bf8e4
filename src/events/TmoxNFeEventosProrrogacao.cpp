// ICMS-suspension extension requests (111500, 111501) with their items, and the cancellation of
// a request (111502, 111503) naming the request it cancels.
#include <cstdio>

#include "base/EmoxException.h"
#include "base/moxFormat.h"
#include "events/TmoxEventosXMLUtils.h"
#include "events/TmoxNFeEventos.h"
#include "external/TmoxKivoUtils.h"
#include "utils/moxCodigoUF.h"

namespace mox {

namespace {
constexpr const char* kAdicione = "favor adicione utilizando o método: AdicionarItens.";
}

std::string TmoxNFeEventos::MontarXmlPedidoProrrogacao(const std::string& aChaveNFe, const std::string& aNumProtocolo,
                                                       const std::string& aDataHoraEvento, const std::string& aOrgao,
                                                       const std::string& aTpEvento, int aSequenciaEvento,
                                                       const std::string& aFusoHorario) {
  std::string fuso = Aparar(aFusoHorario);
  if (fuso.empty()) fuso = "-03:00";
  CheckChave(aChaveNFe);
  CheckOrgao(aOrgao);
  const auto& itens = ItensQuantidade.itens;
  const auto& quantidades = ItensQuantidade.quantidade;
  ValidarParams(itens.empty(), std::string("Nenhum item encontrado,") + kAdicione);
  for (const auto& item : itens) ValidarParams(item.empty(), std::string("Item não pode ser vazio, ") + kAdicione);
  ValidarParams(quantidades.empty(), std::string("Não foi preenchido a quantidade, ") + kAdicione);
  for (const auto& q : quantidades)
    ValidarParams(q.empty(), std::string("quantidade não pode ser vazio, ") + kAdicione);
  ValidarParams(aSequenciaEvento > 20 || aSequenciaEvento < 1, "Sequência mínima de 1 e máxima de 20.");
  ValidarParams(!ValidaDataHoraEvento(aDataHoraEvento), "Data/Hora do evento inválida");
  ValidarParams(!ValidaFusoHorario(fuso), "Fuso Horario do evento inválido, o valor deve ser no formato -HH:MM");
  ValidarParams(Aparar(aTpEvento).empty(), "Favor preencher tpEvento.");
  ValidarParams(!SomenteNumero(aTpEvento), "tpEvento deve conter apenas números.");
  try {
    const std::string modelo = LoadTemplate("evento_pedidoprorrogacao.xml");
    // The id carries the request's own event type, also when the request is built apart.
    FTpEvento = aTpEvento;
    const std::string id = GerarIdEvento(aChaveNFe, aSequenciaEvento);
    std::string textoItens;
    // A quantity missing for an item is written empty (the schema then refuses the request).
    for (size_t i = 0; i < itens.size(); ++i)
      textoItens += moxFormat("<itemPedido numItem=\"%s\"><qtdeItem>%s</qtdeItem></itemPedido>",
                              {itens[i], i < quantidades.size() ? quantidades[i] : std::string{}});
    return moxFormat(modelo, {id, aOrgao, CodigoAmbiente(), CNPJ, aChaveNFe,
                              FormataDataHoraEvento(aDataHoraEvento, fuso) + fuso, aTpEvento,
                              std::to_string(aSequenciaEvento), aNumProtocolo, textoItens});
  } catch (const std::exception& e) {
    throw EmoxEventosException::CreateFmt("Um problema foi encontrado durante a geração do XML de envio: \"%s\"",
                                          {e.what()}, DiretorioLogErro);
  }
}

std::string TmoxNFeEventos::EnviarPedidoProrrogacao(const std::string& aIdLote, const std::string& aChaveNFe,
                                                    const std::string& aNumProtocolo,
                                                    const std::string& aDataHoraEvento, const std::string& aOrgao,
                                                    const std::string& aTpEvento, int aSequenciaEvento,
                                                    const std::string& aFusoHorario) {
  FTpEvento = aTpEvento;
  const std::string xml = MontarXmlPedidoProrrogacao(aChaveNFe, aNumProtocolo, aDataHoraEvento, aOrgao, aTpEvento,
                                                     aSequenciaEvento, aFusoHorario);
  return EnviarPedidoProrrogacao(aIdLote, AssinarEvento(xml));
}

std::string TmoxNFeEventos::EnviarPedidoProrrogacao(const std::string& aIdLote, const std::string& aXmlPedProrrogacao) {
  ValidarTamanhoArquivoEnvio(aXmlPedProrrogacao, 500);
  return EnviaLoteComLogs(
      aIdLote, LoadTemplate("evento_envio.xml"), aXmlPedProrrogacao, "eppenv-lot", "epprec",
      [this](const std::string& aLote) { ValidarXmlEvento(aLote, "ENVIAPEDIDOPRORROGACAO"); }, nullptr, nullptr);
}

std::string TmoxNFeEventos::CancelarPedidoProrrogacao(const std::string& aIdLote, const std::string& aChaveNFe,
                                                      const std::string& aNumProtocolo,
                                                      const std::string& aDataHoraEvento, const std::string& aTpEvento,
                                                      int aSequenciaEvento, const std::string& aFusoHorario) {
  const std::string lote = aIdLote.empty() ? "1" : aIdLote;
  const std::string fuso = aFusoHorario.empty() ? "-03:00" : aFusoHorario;
  CheckParamsEventos(aDataHoraEvento, fuso, aChaveNFe);
  if (aNumProtocolo.empty())
    throw EmoxNFeEventosNumeroProtException("Código do Protocolo não pode ser vazio.", DiretorioLogErro);
  FTpEvento = aTpEvento;
  char sequencia[16];
  std::snprintf(sequencia, sizeof sequencia, "%02d", aSequenciaEvento);
  const std::string pedido = std::string("ID") + (aTpEvento == "111502" ? "111500" : "111501") + aChaveNFe + sequencia;
  const std::string evento = moxFormat(
      LoadTemplate("evento_cancelarpedidoprorrogacao.xml"),
      {GerarIdEvento(aChaveNFe, aSequenciaEvento), GetCodeUF(UF), CodigoAmbiente(), CNPJ, aChaveNFe,
       FormataDataHoraEvento(aDataHoraEvento, fuso) + fuso, aTpEvento, std::to_string(aSequenciaEvento), pedido,
       aNumProtocolo});
  return CancelarPedidoProrrogacao(lote, RemoveEspacosAssinatura(AssinarEvento(evento)));
}

std::string TmoxNFeEventos::CancelarPedidoProrrogacao(const std::string& aIdLote,
                                                      const std::string& aXmlCancelamentoPedProrrogacao) {
  if (Utils().RemoveAccents(aIdLote) != aIdLote)
    throw EmoxEventoCheckParams::CreateFmt("Numero do Lote não pode conter acento: %s", {aIdLote}, DiretorioLogErro);
  try {
    const std::string lote = TmoxEventosXMLUtils::RemoveHeaderXml(
        moxFormat(LoadTemplate("evento_enviocancelar.xml"), {aIdLote, aXmlCancelamentoPedProrrogacao}));
    Utils().Log(lote, "canepp-env", aIdLote, Utils().GetLogFileName("canepp-env", aIdLote), DiretorioLog);
    const std::string resposta = EnviarPorSoap(Utils().Escape(lote));
    Utils().Log(resposta, "canepp-ret", aIdLote, "", DiretorioLog);
    return resposta;
  } catch (const std::exception& e) {
    throw EmoxNFeException(std::string("Erro ao cancelar Pedido de prorrogação: ") + e.what(), DiretorioLogErro);
  }
}

}  // namespace mox
