#include "base/EmoxException.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "external/RotatingLog.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxDateTime.h"
#include "external/moxPaths.h"

namespace mox {

std::string FormatErrorLogLine(const char* aClassName, const std::string& aMessage) {
  return moxFormat("[%s] %d - %s : %s",
                   {FormatDateTimeBR(Now(), true), static_cast<long>(::syscall(SYS_gettid)), aClassName, aMessage});
}

std::string DefaultErrorLogFolder() {
  // Programs are installed where their users cannot write; the log goes to the per-user data
  // folder, as the component's own error-log folder does by default.
  const std::string folder = UserDataDir() + "LogErro/";
  CreateDirectories(folder);
  return folder;
}

EmoxException::EmoxException(const char* aClassName, std::string aNomeLog, const std::string& Msg,
                             const std::string& aPathLog)
    : std::runtime_error(Msg), FNomeLog(std::move(aNomeLog)), FClassName(aClassName) {
  if (!FNomeLog.empty()) WriteLogLine(aPathLog);
}

void EmoxException::WriteLogLine(const std::string& aPathLog) const {
  const std::string folder = aPathLog.empty() ? DefaultErrorLogFolder() : aPathLog;
  // Folder and file name are joined as given: callers pass folders that end in a separator.
  const std::string file = NormalizeSeparators(folder) + FNomeLog;
  try {
    // Programs that only read leave the error-log folder uncreated until a line is written.
    CreateDirectories(NormalizeSeparators(folder));
    // Bounded and private: failures quote customer data, and a long input must not grow the log
    // without end.
    AppendRotatingLogLine(file, FormatErrorLogLine(FClassName, what()));
  } catch (const std::exception& e) {
    // A log that cannot be written must not hide the failure being reported.
    std::cerr << "moxnfe: não foi possível gravar o log de erros " << file << ": " << e.what() << '\n';
  }
}

}  // namespace mox
