// The correction letter (CC-e, 110110): built from its own template set (with the conditions of
// use), signed, sent, and its recipient file written when registered.
#include <filesystem>

#include "base/EmoxException.h"
#include "base/moxFormat.h"
#include "events/TmoxEventosXMLUtils.h"
#include "events/TmoxNFeEventos.h"
#include "external/TmoxKivoUtils.h"
#include "external/Utf8Text.h"
#include "external/moxPaths.h"
#include "utils/moxNFePaths.h"
#include "utils/moxXmlLookup.h"

namespace mox {

namespace {

// CR LF (and a lone line break) become one blank, as the letter's text is a single line.
std::string UmaLinha(const std::string& aTexto) {
  std::string texto = TrocaTodos(aTexto, "\r\n", " ");
  for (char& c : texto)
    if (c == '\n' || c == '\r') c = ' ';
  return texto;
}

}  // namespace

std::string TmoxNFeEventos::PastaCCe() const {
  std::string raiz = DiretorioTemplates;
  RemoveVersaoManualDoPath(raiz);
  return raiz + "cce/" + UF + "/";
}

std::string TmoxNFeEventos::LoadTemplateCCe(const std::string& aXMLFileName) {
  const std::string caminho = PastaExpandida(PastaCCe()) + aXMLFileName;
  if (!FileExists(caminho))
    throw EmoxEventoFileNotFoundException::CreateFmt("Arquivo de template não encontrado: %s", {caminho},
                                                     DiretorioLogErro);
  return Utils().RemoveAccents(Utils().LoadFromFileUTF8(caminho));
}

std::string TmoxNFeEventos::MontarXmlCCe(const std::string& aChaveNFe, const std::string& aTextoCorrecao,
                                         const std::string& aDataHoraEvento, const std::string& aOrgao,
                                         int aSequenciaEvento, const std::string& aFusoHorario) {
  std::string fuso = Aparar(aFusoHorario);
  if (fuso.empty()) fuso = "-03:00";
  if (FTpEvento.empty()) FTpEvento = "110110";
  CheckChave(aChaveNFe);
  CheckOrgao(aOrgao);
  CheckCNPJ();
  ValidarParams(aTextoCorrecao.empty(), "Favor preencher o Texto de Correção");
  ValidarParams(CodePointCount(aTextoCorrecao) < 15, "O Texto de Correção deve ter no mínimo 15 Caracteres");
  ValidarParams(aSequenciaEvento > 20 || aSequenciaEvento < 1, "Sequência mínima de 1 e máxima de 20.");
  ValidarParams(!ValidaDataHoraEvento(aDataHoraEvento), "Data/Hora do evento inválida");
  ValidarParams(!ValidaFusoHorario(fuso), "Fuso Horario do evento inválido, o valor deve ser no formato -HH:MM");
  try {
    const std::string modelo = LoadTemplateCCe("eventoCCe.xml");
    const std::string id = GerarIdEvento(aChaveNFe, aSequenciaEvento);
    return moxFormat(modelo, {id, aOrgao, CodigoAmbiente(), CNPJ, aChaveNFe,
                              FormataDataHoraEvento(aDataHoraEvento, fuso) + fuso, std::to_string(aSequenciaEvento),
                              UmaLinha(EscapeCaracteres(aTextoCorrecao))});
  } catch (const std::exception& e) {
    throw EmoxEventosException::CreateFmt("Um problema foi encontrado durante a geração do XML de envio: \"%s\"",
                                          {e.what()}, DiretorioLogErro);
  }
}

std::string TmoxNFeEventos::AssinarCCe(const std::string& aXmlCCe) {
  if (FTpEvento.empty()) FTpEvento = "110110";
  return AssinarEvento(aXmlCCe);
}

std::string TmoxNFeEventos::EnviarCCe(const std::string& aChaveNFe, const std::string& aTextoCorrecao,
                                      const std::string& aDataHoraEvento, const std::string& aOrgao,
                                      const std::string& aIdLote, int aSequenciaEvento,
                                      const std::string& aFusoHorario) {
  FTpEvento = "110110";
  const std::string xml =
      MontarXmlCCe(aChaveNFe, aTextoCorrecao, aDataHoraEvento, aOrgao, aSequenciaEvento, aFusoHorario);
  return EnviarCCe(aIdLote, AssinarCCe(xml));
}

std::string TmoxNFeEventos::EnviaLoteComLogs(const std::string& aIdLote, const std::string& aTemplate,
                                             const std::string& aLoteEventos, const std::string& aSufixoEnv,
                                             const std::string& aSufixoRet,
                                             const std::function<void(const std::string&)>& aValida,
                                             std::string* aLogEnv, std::string* aLogRet) {
  if (Utils().RemoveAccents(aIdLote) != aIdLote)
    throw EmoxEventoCheckParams::CreateFmt("Numero do Lote não pode conter acentos: %s", {aIdLote}, DiretorioLogErro);
  const std::string lote = TmoxEventosXMLUtils::RemoveHeaderXml(moxFormat(aTemplate, {aIdLote, aLoteEventos}));
  aValida(lote);
  const std::string nomeEnv = Utils().GetLogFileName(aSufixoEnv, aIdLote);
  Utils().Log(Utils().RemoveBOM(lote), aSufixoEnv, aIdLote, nomeEnv, DiretorioLog);
  const std::string resposta = TmoxEventosXMLUtils::Eventos_DesenveloparSOAP(EnviarPorSoap(Utils().Escape(lote)));
  const std::string nomeRet = Utils().GetLogFileName(aSufixoRet, aIdLote);
  Utils().Log(Utils().RemoveBOM(resposta), aSufixoRet, aIdLote, nomeRet, DiretorioLog);
  if (aLogEnv) *aLogEnv = nomeEnv;
  if (aLogRet) *aLogRet = nomeRet;
  return resposta;
}

std::string TmoxNFeEventos::EnviarCCe(const std::string& aIdLote, const std::string& aXmlCCe) {
  ValidarTamanhoArquivoEnvio(aXmlCCe, 500);
  std::string logEnv, logRet;
  const std::string resposta = EnviaLoteComLogs(
      aIdLote, LoadTemplateCCe("envioCCe.xml"), aXmlCCe, "env-lot", "rec",
      [this](const std::string& aLote) { ValidarLoteParaEnvio(aLote, "ENVIOCCE"); }, &logEnv, &logRet);
  const std::string pastaLog = PastaExpandida(DiretorioLog);
  // Without the logs on disk there is nothing to assemble the recipient's file from.
  if (Utils().GetValueTag("cStat", resposta, "infEvento") == "135" && FileExists(pastaLog + logRet) &&
      FileExists(pastaLog + logEnv)) {
    const std::string pasta = PastaExpandida(DiretorioXmlDestinatario);
    std::filesystem::create_directories(pasta);
    GerarXMLCCeDestinatario("ID" + ObterValorIdEvento(aXmlCCe), pastaLog + logEnv, pastaLog + logRet,
                            pasta + Utils().GetValueTag("chNFe", resposta) + "-cce.xml");
  }
  return resposta;
}

std::string TmoxNFeEventos::RecipientFile(const std::string& aIDEvento, const std::string& aLogEvento,
                                          const std::string& aLogRetEvento, const std::string& aSalvarComo,
                                          const std::string& aTemplate, const char* aNaoAutorizado) {
  if (!CheckXmlAutorizado(aLogRetEvento)) throw EmoxEventoXmlDestinatario(aNaoAutorizado, DiretorioLogErro);
  return GerarXMLEventoDestinatario(aIDEvento, aLogEvento, aLogRetEvento, aSalvarComo, aTemplate);
}

std::string TmoxNFeEventos::GerarXMLCCeDestinatario(const std::string& aIDEvento, const std::string& aLogEvento,
                                                    const std::string& aLogRetEvento, const std::string& aSalvarComo) {
  return RecipientFile(aIDEvento, aLogEvento, aLogRetEvento, aSalvarComo, PastaCCe() + "envioxml_dest.xml",
                       "Não foi possível gerar o XML Destinatário: A CCe não está autorizada.");
}

std::string TmoxNFeEventos::GerarXMLEPECDestinatario(const std::string& aIDEvento, const std::string& aLogEvento,
                                                     const std::string& aLogRetEvento, const std::string& aSalvarComo) {
  return RecipientFile(aIDEvento, aLogEvento, aLogRetEvento, aSalvarComo,
                       DiretorioTemplates + UF + "/manxmlevento_dest.xml",
                       "Não foi possível gerar o XML Destinatário: O EPEC não está autorizado.");
}

std::string TmoxNFeEventos::GerarXMLManifestoDestinatario(const std::string& aIDEvento, const std::string& aLogEvento,
                                                          const std::string& aLogRetEvento,
                                                          const std::string& aSalvarComo) {
  return RecipientFile(aIDEvento, aLogEvento, aLogRetEvento, aSalvarComo,
                       DiretorioTemplates + UF + "/manxmlevento_dest.xml",
                       "Não foi possível gerar o XML Destinatário: A Manifestação não está autorizada.");
}

}  // namespace mox
