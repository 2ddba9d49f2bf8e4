#pragma once
// Shared helpers of the test programs.
#include <filesystem>
#include <string>

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

// The official schema packages (MOXNFE_SCHEMAS); the calling test fails when it is not set.
std::filesystem::path SchemasDir();

std::string ReadText(const std::filesystem::path& aFile);
void WriteText(const std::filesystem::path& aFile, const std::string& aText);

// A file of tests/fixtures.
std::filesystem::path Fixture(const std::string& aRelativePath);

}  // namespace moxtest
