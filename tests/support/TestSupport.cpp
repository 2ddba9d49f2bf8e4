#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace moxtest {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "moxnfe-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::filesystem::path SchemasDir() {
  const char* dir = std::getenv("MOXNFE_SCHEMAS");
  if (!dir || !*dir) {
    ADD_FAILURE() << "MOXNFE_SCHEMAS is not set; the test command sets it to the official schema packages";
    return {};
  }
  return dir;
}

std::string ReadText(const std::filesystem::path& aFile) {
  std::ifstream in(aFile, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteText(const std::filesystem::path& aFile, const std::string& aText) {
  std::ofstream out(aFile, std::ios::binary);
  out << aText;
}

std::filesystem::path Fixture(const std::string& aRelativePath) {
  return std::filesystem::path(MOXNFE_SOURCE_DIR) / "tests" / "fixtures" / aRelativePath;
}

}  // namespace moxtest
