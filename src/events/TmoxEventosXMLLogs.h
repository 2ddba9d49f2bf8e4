#pragma once
// Reading the event logs back: a log is named by a path, by a file of the log folder, or is the
// XML text itself.
#include <string>

namespace mox {

class TmoxEventosXMLLogs {
 public:
  // An absolute path must exist (EmoxEventoLogNotFoundException); a bare name is looked up in
  // aLogDir and, when absent there, taken as the log's text. The byte-order mark is removed.
  static std::string LoadLog(const std::string& aLog, const std::string& aLogDir);
  // The first signed "evento" of the request log; empty when there is none.
  static std::string AchaEventosAssinadaLogEnvio(const std::string& aLogEnvLote, const std::string& aLogDir);
};

}  // namespace mox
