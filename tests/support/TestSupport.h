#pragma once
// Shared helpers of the test programs.
#include <filesystem>
#include <string>
#include <vector>

namespace moxtest {

// A fresh folder under the system temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder as text, ending in "/".
  std::string str() const { return path_.string() + "/"; }
  std::string file(const std::string& aName) const { return (path_ / aName).string(); }

 private:
  std::filesystem::path path_;
};

// Runs the rest of a scope in another current folder (child programs inherit it).
class InDir {
 public:
  explicit InDir(const std::filesystem::path& aFolder);
  ~InDir();
  InDir(const InDir&) = delete;
  InDir& operator=(const InDir&) = delete;

 private:
  std::filesystem::path before_;
};

// The official schema packages: MOXNFE_SCHEMAS, else ../shared/schemas beside the repository.
std::filesystem::path SchemasDir();

std::string ReadText(const std::filesystem::path& aFile);
void WriteText(const std::filesystem::path& aFile, const std::string& aText);

// The names of the files in a folder ending in aFim, sorted; none when the folder is missing.
std::vector<std::string> Arquivos(const std::filesystem::path& aPasta, const std::string& aFim = {});

// Result of a program run by RunProgram.
struct ProgramResult {
  int status = -1;  // exit status, or -1 when the program did not exit normally
  std::string out, err;
};

// Runs a program with arguments (no shell), feeding aInput to its standard input.
ProgramResult RunProgram(const std::string& aProgram, const std::vector<std::string>& aArgs,
                         const std::string& aInput = {});

// Path of a program built by this project, e.g. BuiltProgram("moxnfe").
std::string BuiltProgram(const std::string& aName);

// A file of tests/fixtures.
std::filesystem::path Fixture(const std::string& aRelativePath);

}  // namespace moxtest
