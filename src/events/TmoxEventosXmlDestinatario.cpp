#include "events/TmoxEventosXmlDestinatario.h"

#include "base/EmoxException.h"
#include "base/moxFormat.h"
#include "events/TmoxEventosXMLLogs.h"
#include "external/FileIO.h"
#include "external/TmoxKivoUtils.h"
#include "external/Utf8Text.h"

namespace mox {

void GravaXmlComBom(const std::string& aArquivo, const std::string& aXml) {
  WriteFileAtomic(aArquivo, "\xEF\xBB\xBF" + WithCrLf(RemoveUtf8Bom(aXml)));
}

std::string TmoxEventosXmlDestinatario::GerarXmlDestinatario() {
  const std::string xml = MontarXmlDestinatario(IdEvento);
  SalvarEmArquivo(xml);
  return xml;
}

std::string TmoxEventosXmlDestinatario::MontarXmlDestinatario(const std::string& aIdEvento) const {
  const std::string evento = TmoxEventosXMLLogs::AchaEventosAssinadaLogEnvio(LogEnvio, DiretorioLog);
  if (evento.empty())
    throw EmoxEventoXmlDestinatario::CreateFmt("Evento Id: %s não encontrada no Log : %s ", {aIdEvento, LogEnvio});
  TmoxKivoUtils utils;
  std::string retorno;
  if (utils.IsValidXml(LogConsRec))
    utils.XPathSelectSingleNode(LogConsRec, ".//nfx:retEvento", retorno, TmoxKivoUtils::kNfxDeclaration, false);
  return moxFormat(Template, {evento, retorno});
}

void TmoxEventosXmlDestinatario::SalvarEmArquivo(const std::string& aXml) {
  if (SalvarComo.empty()) return;
  GravaXmlComBom(SalvarComo, aXml);
  if (OnGenerateXMLDestinatario) OnGenerateXMLDestinatario(SalvarComo, aXml);
}

}  // namespace mox
