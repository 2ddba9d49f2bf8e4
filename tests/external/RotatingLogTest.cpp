// The bounded, private append-only log used for the error logs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "external/RotatingLog.h"
#include "external/Utf8Text.h"
#include "support/TestSupport.h"

using namespace mox;

namespace {

std::vector<std::string> LinesOf(const std::string& aFile) {
  std::vector<std::string> out;
  if (!std::filesystem::exists(aFile)) return out;
  std::istringstream in(moxtest::ReadText(aFile));
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

mode_t ModeOf(const std::string& aFile) {
  struct stat st {};
  ::stat(aFile.c_str(), &st);
  return st.st_mode & 0777;
}

}  // namespace

TEST(RotatingLog, OneLogLineKeepsOneBoundedValidLine) {
  std::string accented;
  for (int i = 0; i < 50; ++i) accented += "ção";
  const struct {
    std::string input;
    size_t max;
    std::string expected;
  } cases[] = {
      {"linha\r\nquebrada\tcom\x01" "controle", 100, "linha  quebrada com controle"},
      {"exatamente", 10, "exatamente"},
      {"0123456789abc", 10, "0123456789 [... 3 bytes omitidos]"},
      {accented, 4, "çãoç [... " + std::to_string(accented.size() - 7) + " bytes omitidos]"},
  };
  for (const auto& c : cases) {
    const std::string line = OneLogLine(c.input, c.max);
    EXPECT_EQ(line, c.expected);
    EXPECT_TRUE(IsValidUtf8(line)) << line;
  }
}

TEST(RotatingLog, RotatesAtTheLimitAndKeepsTheNewestLinesInOrder) {
  moxtest::TempDir dir;
  const std::string file = dir.file("nfe_exception.log");
  const TRotatingLogLimits limits{100, 2, 200};
  for (int i = 0; i < 40; ++i) AppendRotatingLogLine(file, "linha " + std::to_string(1000 + i), limits);  // 11 bytes each

  std::vector<std::string> kept;
  for (const std::string& name : {file + ".2", file + ".1", file}) {
    EXPECT_LE(std::filesystem::file_size(name), limits.MaxBytes) << name;
    for (auto& l : LinesOf(name)) kept.push_back(l);
  }
  EXPECT_FALSE(std::filesystem::exists(file + ".3"));
  ASSERT_FALSE(kept.empty());
  EXPECT_EQ(kept.back(), "linha 1039");
  for (size_t i = 1; i < kept.size(); ++i)
    EXPECT_EQ(std::stoi(kept[i].substr(6)), std::stoi(kept[i - 1].substr(6)) + 1) << "lacuna antes de " << kept[i];
}

TEST(RotatingLog, FileIsPrivateEvenWhenItExistedReadableByAll) {
  moxtest::TempDir dir;
  const std::string fresh = dir.file("novo.log");
  AppendRotatingLogLine(fresh, "a");
  EXPECT_EQ(ModeOf(fresh), 0600u);

  const std::string old = dir.file("antigo.log");
  moxtest::WriteText(old, "linha antiga\n");
  ::chmod(old.c_str(), 0644);
  AppendRotatingLogLine(old, "b");
  EXPECT_EQ(ModeOf(old), 0600u);
  EXPECT_EQ(LinesOf(old), (std::vector<std::string>{"linha antiga", "b"}));
}

TEST(RotatingLog, ConcurrentWritersNeitherMixNorLoseLinesAcrossRotations) {
  moxtest::TempDir dir;
  const std::string file = dir.file("concorrente.log");
  const TRotatingLogLimits limits{4000, 1000, 200};
  constexpr int kWriters = 4, kLines = 300;
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w)
    writers.emplace_back([&, w] {
      for (int i = 0; i < kLines; ++i)
        AppendRotatingLogLine(file, "escritor " + std::to_string(w) + " linha " + std::to_string(i), limits);
    });
  for (auto& t : writers) t.join();

  std::set<std::string> seen;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    for (auto& l : LinesOf(entry.path().string())) EXPECT_TRUE(seen.insert(l).second) << "repetida: " << l;
  for (int w = 0; w < kWriters; ++w)
    for (int i = 0; i < kLines; ++i)
      EXPECT_TRUE(seen.count("escritor " + std::to_string(w) + " linha " + std::to_string(i))) << w << "/" << i;
}
