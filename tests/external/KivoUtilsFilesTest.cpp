// Files, paths, the cipher and transaction logs of the utility server.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "external/EKivoException.h"
#include "external/FileIO.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"
#include "support/MensagemDe.h"
#include "support/TestSupport.h"

using mox::EKivoException;
using mox::TmoxKivoUtils;

TEST(KivoUtilsFiles, EncodingsAreDetected) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string utf8;      // LoadFromFileUTF8
    std::string loaded;    // LoadFromFile
  };
  const std::string bom = "\xEF\xBB\xBF";
  const std::vector<Case> cases = {
      {"UTF-8 with BOM", bom + "ação", "ação", bom + "ação"},
      {"UTF-8 without BOM", "ação", "ação", "ação"},
      {"UTF-16 LE", std::string("\xFF\xFE" "a\0\xE7\0", 6), "aç", bom + "aç"},
      {"UTF-16 BE", std::string("\xFE\xFF\0a\0\xE7", 6), "aç", bom + "aç"},
      {"Latin-1", "a\xE7\xE3o", "ação", "ação"},
      {"empty", "", "", ""},
  };
  moxtest::TempDir dir;
  TmoxKivoUtils utils;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = dir.file("f.txt");
    moxtest::WriteText(file, c.bytes);
    EXPECT_EQ(utils.LoadFromFileUTF8(file), c.utf8);
    EXPECT_EQ(utils.LoadFromFile(file), c.loaded);
  }
  EXPECT_THROW(utils.LoadFromFile(dir.file("nao-existe.xml")), EKivoException);
  EXPECT_THROW(utils.LoadFromFile(dir.str()), EKivoException);
}

TEST(KivoUtilsFiles, SaveReplacesWholeFileAndAppendAdds) {
  moxtest::TempDir dir;
  TmoxKivoUtils utils;
  const std::string file = dir.file("a.xml");
  utils.SaveToFile("primeiro conteúdo, mais longo", file);
  utils.SaveToFile("segundo", file);
  EXPECT_EQ(moxtest::ReadText(file), "segundo");
  utils.AppendToFile("+1", file);
  utils.AppendToFile("+2", file);
  EXPECT_EQ(moxtest::ReadText(file), "segundo+1+2");
  // No temporary file is left beside the target.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
  EXPECT_THROW(utils.SaveToFile("x", dir.file("sem/pasta/a.xml")), EKivoException);
  EXPECT_THROW(utils.AppendToFile("x", dir.file("sem/pasta/a.xml")), EKivoException);
}

TEST(KivoUtilsFiles, PathsAreExpandedFromTheProgramFolder) {
  TmoxKivoUtils utils;
  const std::string prog = mox::ProgramDir();
  EXPECT_EQ(utils.ExpandPath("Log\\"), prog + "Log/");
  EXPECT_EQ(utils.ExpandPath("Templates\\vm50\\..\\vm40\\x.xml"), prog + "Templates/vm40/x.xml");
  EXPECT_EQ(utils.ExpandPath("/var/tmp/../tmp/a"), "/var/tmp/a");
  EXPECT_EQ(utils.ExpandPath("/tmp"), "/tmp/") << "an existing folder gains its separator";
  EXPECT_EQ(utils.ExpandPath(""), "");
  EXPECT_EQ(utils.FixSlash("a\\b"), "a/b/");
  EXPECT_EQ(utils.FixSlash("a/b/"), "a/b/");
  EXPECT_EQ(utils.FixSlash(""), "");
}

TEST(KivoUtilsCipher, RoundTripWithPrivateKeyFile) {
  moxtest::TempDir dir;
  const std::string keyFile = dir.file("conf/moxnfe/chave.key");
  ::setenv("MOXNFE_CHAVE", keyFile.c_str(), 1);
  TmoxKivoUtils utils;
  const std::string pin = "1234-segredo-ção";
  const std::string stored = utils.Encrypt(pin);
  EXPECT_EQ(stored.find(pin), std::string::npos);
  EXPECT_EQ(stored.find("1234"), std::string::npos);
  EXPECT_NE(utils.Encrypt(pin), stored) << "a fresh nonce each time";
  EXPECT_EQ(utils.Decrypt(stored), pin);
  EXPECT_EQ(utils.Decrypt(utils.Encrypt("")), "");

  struct stat st {};
  ASSERT_EQ(::stat(keyFile.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  std::string tampered = stored;
  tampered[20] = tampered[20] == 'A' ? 'B' : 'A';
  EXPECT_THROW(utils.Decrypt(tampered), EKivoException);
  EXPECT_THROW(utils.Decrypt(pin), EKivoException);
  ::unsetenv("MOXNFE_CHAVE");
}

TEST(KivoUtilsLog, FileNamesAreUnique) {
  TmoxKivoUtils utils;
  std::set<std::string> names;
  for (int i = 0; i < 5000; ++i) names.insert(utils.GetLogFileName("env-lot", "000123"));
  EXPECT_EQ(names.size(), 5000u);
  for (const auto& n : {*names.begin(), *names.rbegin()}) {
    EXPECT_NE(n.find("000123-env-lot.xml"), std::string::npos) << n;
  }
  const std::string noId = utils.GetLogFileName("sta", "");
  EXPECT_EQ(noId.substr(noId.size() - 8), "-sta.xml");
  EXPECT_EQ(noId.find("--"), std::string::npos);
}

TEST(KivoUtilsLog, WritesUtf8WithBomAndCrLf) {
  moxtest::TempDir dir;
  TmoxKivoUtils utils;
  std::vector<std::string> events;
  utils.OnLog = [&](const std::string& n, const std::string& id, const std::string& f) {
    events.push_back("log " + n + " " + id + " " + f);
  };
  utils.OnLogContent = [&](const std::string& n, const std::string& id, const std::string& f, const std::string& c) {
    events.push_back("content " + n + " " + id + " " + f + " " + c);
  };
  const std::string folder = dir.str() + "Log/";
  const std::string name = utils.Log("<a>\n<b/>\r\n</a>", "rec", "77", "", folder);
  EXPECT_NE(name.find("77-rec.xml"), std::string::npos);
  EXPECT_EQ(moxtest::ReadText(folder + name), "\xEF\xBB\xBF<a>\r\n<b/>\r\n</a>\r\n");
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0], "log rec 77 " + folder + name);
  EXPECT_EQ(events[1], "content rec 77 " + name + " <a>\n<b/>\r\n</a>");

  events.clear();
  utils.SetSaveLogToFile(false);
  const std::string skipped = utils.Log("<x/>", "sta", "", "fixo-sta.xml", folder);
  EXPECT_EQ(skipped, "fixo-sta.xml");
  EXPECT_FALSE(std::filesystem::exists(folder + skipped));
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0], "content sta  fixo-sta.xml <x/>");
}

TEST(KivoUtilsFiles, InputsPastTheLimitAreRefusedNotReadForever) {
  moxtest::TempDir dir;
  const size_t antes = mox::InputLimit();
  mox::SetInputLimit(1u << 20);
  moxtest::WriteText(dir.file("grande.xml"), std::string((1u << 20) + 1, 'a'));
  moxtest::WriteText(dir.file("cabe.xml"), std::string(1u << 20, 'a'));
  auto porDescritor = [](const std::string& aArquivo) {
    const int fd = ::open(aArquivo.c_str(), O_RDONLY);
    std::string lido;
    try {
      lido = mox::ReadDescriptorBytes(fd, "A entrada padrão");
    } catch (...) {
      ::close(fd);
      throw;
    }
    ::close(fd);
    return lido;
  };
  const struct {
    std::function<std::string()> leitura;
    std::string mensagem;  // empty: reads fine
  } casos[] = {
      {[&] { return mox::ReadFileBytes(dir.file("grande.xml")); }, "grande.xml passa do limite de entrada de 1 MiB"},
      {[&] { return mox::ReadFileBytes("/dev/zero"); }, "/dev/zero passa do limite de entrada de 1 MiB"},
      {[&] { return mox::ReadFileBytes(dir.file("cabe.xml")); }, ""},
      {[&] { return porDescritor("/dev/zero"); }, "A entrada padrão passa do limite de entrada de 1 MiB"},
      {[&] { return porDescritor(dir.file("cabe.xml")); }, ""},
  };
  for (const auto& c : casos) {
    if (c.mensagem.empty()) {
      EXPECT_NO_THROW(c.leitura());
      continue;
    }
    const std::string m = moxtest::MensagemDe<mox::EKivoException>(c.leitura);
    EXPECT_NE(m.find(c.mensagem), std::string::npos) << m;
    EXPECT_NE(m.find("MOXNFE_LIMITE_ENTRADA_MB"), std::string::npos) << m;
  }
  mox::SetInputLimit(antes);
}
