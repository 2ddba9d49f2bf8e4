#include "external/moxPaths.h"

#include <unistd.h>

#include <cstdlib>
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

namespace {

std::string Env(const char* aName) {
  const char* v = std::getenv(aName);
  return v ? v : "";
}

// An XDG base folder: the variable when it holds an absolute path, else the fallback under HOME.
std::string XdgFolder(const char* aVariable, const char* aUnderHome) {
  std::string base = Env(aVariable);
  if (base.empty() || base[0] != '/') {
    const std::string home = Env("HOME");
    base = (home.empty() ? std::string("/tmp") : home) + aUnderHome;
  }
  return WithTrailingSlash(base) + "moxnfe/";
}

}  // namespace

std::string UserDataDir() {
  if (std::string own = Env("MOXNFE_DADOS"); !own.empty()) return WithTrailingSlash(AbsolutePath(own));
  return XdgFolder("XDG_DATA_HOME", "/.local/share");
}

std::string UserConfigDir() { return XdgFolder("XDG_CONFIG_HOME", "/.config"); }

std::string InstalledDataDir() {
  if (std::string own = Env("MOXNFE_DADOS_INSTALADOS"); !own.empty()) return WithTrailingSlash(AbsolutePath(own));
  static const std::string dir = [] {
    std::error_code ec;
    const fs::path installed = fs::path(ProgramDir()).parent_path().parent_path() / "share" / "moxnfe";
    if (fs::path(ProgramDir()).parent_path().filename() == "bin" && fs::is_directory(installed, ec))
      return WithTrailingSlash(installed.lexically_normal().string());
    return ProgramDir();
  }();
  return dir;
}

std::string FindDataFile(const std::string& aName) {
  const std::string name = NormalizeSeparators(aName);
  std::error_code ec;
  if (const std::string own = UserDataDir() + name; fs::exists(own, ec)) return own;
  return InstalledDataDir() + name;
}

std::string AbsolutePath(const std::string& aPath, const std::string& aBase) {
  if (aPath.empty()) return {};
  std::string path = NormalizeSeparators(aPath);
  if (IsAbsolutePath(path)) return path;
  std::error_code ec;
  const fs::path base = aBase.empty() ? fs::current_path(ec) : fs::path(NormalizeSeparators(aBase));
  const bool folder = path.back() == '/';
  std::string out = (base / path).lexically_normal().string();
  return folder ? WithTrailingSlash(out) : out;
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

bool CanCreateDirectories(const std::string& aPath, int aMaxLevels) {
  if (aPath.empty()) return false;
  std::error_code ec;
  fs::path p = fs::path(NormalizeSeparators(aPath)).lexically_normal();
  if (!p.has_filename()) p = p.parent_path();
  for (int missing = 0; !fs::exists(p, ec); ++missing) {
    if (aMaxLevels >= 0 && missing >= aMaxLevels) return false;
    const fs::path parent = p.parent_path();
    if (parent.empty() || parent == p) return false;
    p = parent;
  }
  return fs::is_directory(p, ec) && ::access(p.c_str(), W_OK | X_OK) == 0;
}

}  // namespace mox
