#include "external/moxPaths.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace mox {

namespace fs = std::filesystem;

const std::string& ProgramDir() {
  static const std::string dir = [] {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) exe = fs::current_path(ec) / "program";
    return WithTrailingSlash(exe.parent_path().string());
  }();
  return dir;
}

std::string NormalizeSeparators(std::string aPath) {
  for (char& c : aPath)
    if (c == '\\') c = '/';
  return aPath;
}

std::string WithTrailingSlash(std::string aPath) {
  aPath = NormalizeSeparators(std::move(aPath));
  if (!aPath.empty() && aPath.back() != '/') aPath += '/';
  return aPath;
}

bool IsAbsolutePath(const std::string& aPath) {
  return !aPath.empty() && (aPath[0] == '/' || aPath[0] == '\\');
}

bool FileExists(const std::string& aPath) {
  std::error_code ec;
  return !aPath.empty() && fs::is_regular_file(NormalizeSeparators(aPath), ec);
}

bool DirectoryExists(const std::string& aPath) {
  std::error_code ec;
  return !aPath.empty() && fs::is_directory(NormalizeSeparators(aPath), ec);
}

bool CreateDirectories(const std::string& aPath) {
  if (aPath.empty()) return false;
  std::error_code ec;
  fs::path p = NormalizeSeparators(aPath);
  fs::create_directories(p, ec);
  return fs::is_directory(p, ec);
}

}  // namespace mox
