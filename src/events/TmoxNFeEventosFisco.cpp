// The tax authority's answer to an ICMS-suspension extension request (411500, 411501: item by
// item, granted or denied) or to the cancellation of a request (411502, 411503), naming the
// request it answers.
#include <cstdio>

#include "base/EmoxException.h"
#include "base/moxFormat.h"
#include "events/TmoxNFeEventos.h"
#include "external/Utf8Text.h"
#include "utils/moxXmlLookup.h"

namespace mox {

namespace {

bool Entre(const std::string& aValor, int aMenor, int aMaior) {
  if (aValor.empty() || aValor.size() > 2 || !SomenteNumero(aValor)) return false;
  const int n = std::stoi(aValor);
  return n >= aMenor && n <= aMaior && std::to_string(n) == aValor;
}

// "<justStaOutra>...</justStaOutra>" when the text is given.
std::string OutraJustificativa(const std::string& aTexto) {
  return aTexto.empty() ? std::string() : "<justStaOutra>" + EscapeCaracteres(aTexto) + "</justStaOutra>";
}

}  // namespace

std::string TmoxNFeEventos::MontarXmlEventoFisco(const TRespostaFisco& aResposta, const std::string& aChaveNFe,
                                                 const std::string& aIdPedido, const std::string& aDataHoraEvento,
                                                 const std::string& aOrgao, const std::string& aTpEvento,
                                                 int aSequenciaEvento, const std::string& aFusoHorario) {
  std::string fuso = Aparar(aFusoHorario);
  if (fuso.empty()) fuso = "-03:00";
  CheckChave(aChaveNFe);
  CheckOrgao(aOrgao);
  ValidarParams(Aparar(aTpEvento).empty(), "Favor preencher tpEvento.");
  ValidarParams(!SomenteNumero(aTpEvento), "tpEvento deve conter apenas números.");
  const bool cancelamento = aTpEvento == "411502" || aTpEvento == "411503";
  ValidarParams(!cancelamento && aTpEvento != "411500" && aTpEvento != "411501",
                "tpEvento do Fisco deve ser 411500, 411501, 411502 ou 411503.");
  // The request answered: its type is the answer's minus 300000, of the same note.
  const std::string pedido = "ID" + std::to_string(std::stoi(aTpEvento) - 300000) + aChaveNFe;
  ValidarParams(aIdPedido.size() != 54 || aIdPedido.compare(0, 52, pedido) != 0 || !SomenteNumero(aIdPedido.substr(52)),
                "idPedido deve ser o Id do pedido respondido: " + pedido + " seguido da sequência do pedido.");
  std::string resposta;
  if (cancelamento) {
    ValidarParams(aResposta.StatCancPedido != "1" && aResposta.StatCancPedido != "2",
                  "statCancPedido deve ser 1 (deferido) ou 2 (indeferido).");
    ValidarParams(!Entre(aResposta.JustStatusResp, 1, 5), "justStatus do cancelamento deve ser de 1 a 5.");
    ValidarParams(CodePointCount(aResposta.JustOutra) > 1000, "justStaOutra deve ter no máximo 1000 caracteres.");
    resposta = "<respCancPedido><statCancPedido>" + aResposta.StatCancPedido + "</statCancPedido><justStatus>" +
               aResposta.JustStatusResp + "</justStatus>" + OutraJustificativa(aResposta.JustOutra) +
               "</respCancPedido>";
  } else {
    ValidarParams(aResposta.StatPrazo != "0" && aResposta.StatPrazo != "1",
                  "statPrazo deve ser 0 (após o prazo) ou 1 (dentro do prazo).");
    const auto& itens = aResposta.NumItens;
    ValidarParams(itens.empty(), "Nenhum item encontrado, informe os itens respondidos.");
    ValidarParams(aResposta.StatPedido.size() != itens.size() || aResposta.JustStatus.size() != itens.size() ||
                      aResposta.JustStaOutra.size() > itens.size(),
                  "Cada item respondido precisa de statPedido e justStatus.");
    resposta = "<respPedido><statPrazo>" + aResposta.StatPrazo + "</statPrazo>";
    for (size_t i = 0; i < itens.size(); ++i) {
      const std::string outra = i < aResposta.JustStaOutra.size() ? aResposta.JustStaOutra[i] : std::string();
      ValidarParams(!Entre(itens[i], 1, 990), "Número do item inválido: " + itens[i]);
      ValidarParams(aResposta.StatPedido[i] != "1" && aResposta.StatPedido[i] != "2",
                    "statPedido do item " + itens[i] + " deve ser 1 (deferido) ou 2 (indeferido).");
      ValidarParams(!Entre(aResposta.JustStatus[i], 1, 10), "justStatus do item " + itens[i] + " deve ser de 1 a 10.");
      ValidarParams(CodePointCount(outra) > 1000, "justStaOutra deve ter no máximo 1000 caracteres.");
      resposta += "<itemPedido numItem=\"" + itens[i] + "\"><statPedido>" + aResposta.StatPedido[i] +
                  "</statPedido><justStatus>" + aResposta.JustStatus[i] + "</justStatus>" + OutraJustificativa(outra) +
                  "</itemPedido>";
    }
    resposta += "</respPedido>";
  }
  ValidarParams(aSequenciaEvento > 20 || aSequenciaEvento < 1, "Sequência mínima de 1 e máxima de 20.");
  ValidarParams(!ValidaDataHoraEvento(aDataHoraEvento), "Data/Hora do evento inválida");
  ValidarParams(!ValidaFusoHorario(fuso), "Fuso Horario do evento inválido, o valor deve ser no formato -HH:MM");
  FTpEvento = aTpEvento;
  try {
    return moxFormat(LoadTemplate("evento_fisco.xml"),
                     {GerarIdEvento(aChaveNFe, aSequenciaEvento), aOrgao, CodigoAmbiente(), CNPJ, aChaveNFe,
                      FormataDataHoraEvento(aDataHoraEvento, fuso) + fuso, aTpEvento, std::to_string(aSequenciaEvento),
                      aIdPedido, resposta});
  } catch (const std::exception& e) {
    throw EmoxEventosException::CreateFmt("Um problema foi encontrado durante a geração do XML de envio: \"%s\"",
                                          {e.what()}, DiretorioLogErro);
  }
}

std::string TmoxNFeEventos::EnviarEventoFisco(const std::string& aIdLote, const std::string& aChaveNFe,
                                              const std::string& aIdPedido, const TRespostaFisco& aResposta,
                                              const std::string& aDataHoraEvento, const std::string& aOrgao,
                                              const std::string& aTpEvento, int aSequenciaEvento,
                                              const std::string& aFusoHorario) {
  const std::string evento = MontarXmlEventoFisco(aResposta, aChaveNFe, aIdPedido, aDataHoraEvento, aOrgao, aTpEvento,
                                                  aSequenciaEvento, aFusoHorario);
  const std::string assinado = RemoveEspacosAssinatura(AssinarEvento(evento));
  ValidarTamanhoArquivoEnvio(assinado, 500);
  return EnviaLoteComLogs(
      aIdLote, LoadTemplate("evento_envio.xml"), assinado, "fisco-env", "fisco-ret",
      [this](const std::string& aLote) { ValidarLoteParaEnvio(aLote, "ENVIAEVENTOFISCO"); }, nullptr, nullptr);
}

}  // namespace mox
