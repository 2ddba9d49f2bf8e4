#include "utils/moxNFePaths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "base/EmoxException.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"
#include "utils/moxTextoNFe.h"
#include "external/AsciiCase.h"
#include "external/SystemErrorText.h"

namespace mox {

namespace fs = std::filesystem;

namespace {

bool PathExists(const std::string& aPath) {
  std::error_code ec;
  return fs::exists(aPath, ec);
}

// File-name mask with "*" and "?", letter case ignored as on the original platform, where
// "*.*" also takes names without a dot.
bool MatchesMask(std::string_view aMask, std::string_view aName) {
  if (aMask == "*.*") return true;
  size_t m = 0, n = 0, starM = std::string_view::npos, starN = 0;
  while (n < aName.size()) {
    if (m < aMask.size() && (aMask[m] == '?' || LowerAsciiChar(aMask[m]) == LowerAsciiChar(aName[n]))) {
      ++m;
      ++n;
    } else if (m < aMask.size() && aMask[m] == '*') {
      starM = m++;
      starN = n;
    } else if (starM != std::string_view::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < aMask.size() && aMask[m] == '*') ++m;
  return m == aMask.size();
}

bool NameLess(const std::string& a, const std::string& b) {
  const std::string la = LowerAscii(a), lb = LowerAscii(b);
  return la != lb ? la < lb : a < b;
}

[[noreturn]] void RaiseWalk(const std::string& aDir, const std::error_code& aError) {
  throw EmoxNFeException("Não foi possível percorrer os arquivos das pastas " + aDir + ": " + SystemErrorText(aError));
}

void Walk(const std::string& aDir, const std::string& aMask, bool aRecurse, std::vector<std::string>& aOut) {
  std::error_code ec;
  fs::directory_iterator it(aDir, ec);
  if (ec) {
    if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory) return;
    RaiseWalk(aDir, ec);
  }
  std::vector<std::string> matches, folders;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) RaiseWalk(aDir, ec);
    std::string name = it->path().filename().string();
    if (MatchesMask(aMask, name)) matches.push_back(name);
    // Linked folders are listed but not entered, so a link loop cannot make the walk endless.
    std::error_code typeError;
    if (aRecurse && it->is_directory(typeError) && !it->is_symlink(typeError)) folders.push_back(name);
  }
  if (ec) RaiseWalk(aDir, ec);
  std::sort(matches.begin(), matches.end(), NameLess);
  std::sort(folders.begin(), folders.end(), NameLess);
  for (const auto& name : matches) aOut.push_back(aDir + name);
  for (const auto& folder : folders) Walk(aDir + folder + "/", aMask, aRecurse, aOut);
}

}  // namespace

bool moxDirectoryExists(const std::string& aDirectoryPath) {
  const std::string path = NormalizeSeparators(aDirectoryPath);
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) {
    // Missing or malformed paths are absent; any other failure (no permission to look, I/O)
    // leaves the folder presumed present, as the original file-attribute test did.
    switch (errno) {
      case ENOENT:
      case ENOTDIR:
      case ENAMETOOLONG:
      case ELOOP:
      case EINVAL:
        return false;
      default:
        return true;
    }
  }
  if (S_ISLNK(st.st_mode)) {
    // A link (the reparse point here) counts only when its target opens as a folder.
    DIR* d = ::opendir(path.c_str());
    if (!d) return false;
    ::closedir(d);
    return true;
  }
  return S_ISDIR(st.st_mode);
}

std::string GetActualDir() {
  const std::string dir = ProgramDir();
  if (!moxDirectoryExists(dir))
    throw EmoxNFeDirNotFoundException("Não foi possível encontrar o Diretório Atual: " + dir);
  return dir;
}

void FixSlash(std::string& aPath) { aPath = WithTrailingSlash(std::move(aPath)); }

std::string ExpandPathFull(const std::string& aPath) {
  const std::string path = NormalizeSeparators(aPath);
  std::string result = path;
  // An absolute path is never looked up below the program folder (with a drive letter that
  // joined path could not exist either).
  const std::string underProgram = GetActualDir() + path;
  if (!IsAbsolutePath(path) && PathExists(underProgram)) result = underProgram;
  if (moxDirectoryExists(result)) FixSlash(result);
  return result;
}

std::string ExpandPath(const std::string& aPath) {
  if (aPath.empty()) return {};
  std::string path = NormalizeSeparators(aPath);
  if (!IsAbsolutePath(path)) path = GetActualDir() + path;
  return ExpandPathFull(path);
}

void RemoveVersaoManualDoPath(std::string& aPath) {
  std::string path = NormalizeSeparators(aPath);
  const std::string upper = UpperAscii(path);
  for (const char* pasta : {"/VM30", "/VM40", "/VM50", "/VM60"}) {
    if (size_t p = upper.find(pasta); p != std::string::npos) {
      path.resize(p);
      if (path.empty()) path.push_back('/');  // the version folder sat at the root
      break;
    }
  }
  FixSlash(path);
  aPath = path;
}

void PercorrerArquivos(const std::string& aDirectory, const std::string& aFileMask, bool aSearchInSubdirectories,
                       std::vector<std::string>& aFileList) {
  try {
    Walk(TmoxKivoUtils().FixSlash(aDirectory), aFileMask, aSearchInSubdirectories, aFileList);
  } catch (const EmoxException&) {
    throw;
  } catch (const std::exception& e) {
    throw EmoxNFeException(std::string("Não foi possível percorrer os arquivos das pastas ") + e.what());
  }
}

}  // namespace mox
