#include "events/TmoxEventosXMLUtils.h"
#include "events/TmoxEventosXMLLogs.h"

#include <filesystem>

#include "base/EmoxException.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"

namespace mox {

std::string TmoxEventosXMLLogs::LoadLog(const std::string& aLog, const std::string& aLogDir) {
  TmoxKivoUtils utils;
  const std::filesystem::path caminho(aLog);
  // Only a short single-line text can be a file name; XML text is taken as it is.
  const bool podeSerNome = aLog.size() < 4096 && aLog.find('<') == std::string::npos;
  if (podeSerNome && caminho.is_absolute()) {
    if (!FileExists(aLog)) throw EmoxEventoLogNotFoundException::CreateFmt("Arquivo de Log %s não existe.", {aLog});
    return utils.RemoveBOM(utils.LoadFromFile(aLog));
  }
  if (podeSerNome && !aLog.empty()) {
    const std::string naPasta = PastaExpandida(aLogDir) + caminho.filename().string();
    if (FileExists(naPasta)) return utils.RemoveBOM(utils.LoadFromFile(naPasta));
  }
  return utils.RemoveBOM(aLog);
}

std::string TmoxEventosXMLLogs::AchaEventosAssinadaLogEnvio(const std::string& aLogEnvLote, const std::string& aLogDir) {
  TmoxKivoUtils utils;
  const std::string log = LoadLog(aLogEnvLote, aLogDir);
  std::string evento;
  if (!utils.IsValidXml(log)) return {};
  utils.XPathSelectSingleNode(log, ".//nfx:evento", evento, TmoxKivoUtils::kNfxDeclaration, false);
  return evento;
}

}  // namespace mox
