// The exception family and its error-log lines.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "base/EmoxException.h"
#include "external/moxPaths.h"
#include "support/TestSupport.h"

using namespace mox;

namespace {

std::vector<std::string> Lines(const std::string& aFile) {
  std::vector<std::string> out;
  std::istringstream in(moxtest::ReadText(aFile));
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

}  // namespace

TEST(EmoxExceptionLog, LineFormatAndBranchFiles) {
  struct Case {
    std::function<void(const std::string&)> raise;
    std::string file, className, message;
  };
  const std::vector<Case> cases = {
      {[](const std::string& p) { throw EmoxNFeCheckParams("Arquivo de Log Vazio", p); }, "nfe_exception.log",
       "EmoxNFeCheckParams", "Arquivo de Log Vazio"},
      {[](const std::string& p) { throw EmoxNFeException::Create("Falha geral", p); }, "nfe_exception.log",
       "EmoxNFeException", "Falha geral"},
      {[](const std::string& p) { throw EmoxNfeDataSetStateException("Item não salvo", p); }, "nfe_exception.log",
       "EmoxNfeDataSetStateException", "Item não salvo"},
      {[](const std::string& p) { throw EmoxNFeEventosChaveInvalidException("Chave inválida", p); },
       "nfeeventos_exception.log", "EmoxNFeEventosChaveInvalidException", "Chave inválida"},
      {[](const std::string& p) { throw EmoxNFeEventoDownloadLimitNotasException::CreateFmt("Limite de %d notas", {10}, p); },
       "nfeeventos_exception.log", "EmoxNFeEventoDownloadLimitNotasException", "Limite de 10 notas"},
  };
  const std::regex line(R"(\[(\d{2})/(\d{2})/(\d{4}) \d{2}:\d{2}:\d{2}:\d{3}\] \d+ - (\w+) : (.*))");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.className);
    moxtest::TempDir dir;
    try {
      c.raise(dir.str());
      ADD_FAILURE() << "nothing raised";
    } catch (const EmoxException& e) {
      EXPECT_EQ(e.what(), c.message);
      EXPECT_STREQ(e.ClassName(), c.className.c_str());
    }
    auto lines = Lines(dir.file(c.file));
    ASSERT_EQ(lines.size(), 1u);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[0], m, line)) << lines[0];
    EXPECT_EQ(m[4], c.className);
    EXPECT_EQ(m[5], c.message);
  }
}

TEST(EmoxExceptionLog, CreatedNotRaisedAndWrappedFailures) {
  moxtest::TempDir dir;
  { EmoxNFeConfigException unused("Versão do Manual não definida", dir.str()); }
  try {
    try {
      throw EmoxNFeCheckParams::CreateFmt("O CNPJ não possui 14 digitos. %s", {"1234567800019"}, dir.str());
    } catch (const EmoxNFeException& inner) {
      throw EmoxNFeException(std::string("Erro ao enviar NF-e: ") + inner.what(), dir.str());
    }
  } catch (const EmoxNFeException& outer) {
    EXPECT_STREQ(outer.what(), "Erro ao enviar NF-e: O CNPJ não possui 14 digitos. 1234567800019");
  }
  auto lines = Lines(dir.file("nfe_exception.log"));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[0].find("EmoxNFeConfigException : Versão do Manual não definida"), std::string::npos);
  EXPECT_NE(lines[1].find("EmoxNFeCheckParams : O CNPJ não possui 14 digitos. 1234567800019"), std::string::npos);
  EXPECT_NE(lines[2].find("EmoxNFeException : Erro ao enviar NF-e: O CNPJ"), std::string::npos);
}

TEST(EmoxExceptionLog, BareExceptionWritesNothing) {
  moxtest::TempDir dir;
  EmoxException bare("sem log", dir.str());
  EXPECT_STREQ(bare.what(), "sem log");
  EXPECT_TRUE(bare.NomeLog().empty());
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(EmoxExceptionLog, EmptyFolderMeansTheUserDataFolder) {
  // Never beside the program, which users usually cannot write.
  moxtest::TempDir dados;
  ::setenv("MOXNFE_DADOS", dados.str().c_str(), 1);
  const std::string message = "sem pasta de log " + std::to_string(::getpid());
  EmoxNFeDirNotFoundException e(message);
  ::unsetenv("MOXNFE_DADOS");
  const auto lines = Lines(dados.str() + "LogErro/nfe_exception.log");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("EmoxNFeDirNotFoundException : " + message), std::string::npos);
  for (const auto& line : Lines(mox::ProgramDir() + "nfe_exception.log"))
    EXPECT_EQ(line.find(message), std::string::npos);
}

TEST(EmoxExceptionLog, UnwritableLogDoesNotHideTheFailure) {
  moxtest::TempDir dir;
  try {
    throw EmoxNFeLogException("falha original", dir.str() + "pasta/que/nao/existe/");
  } catch (const EmoxNFeLogException& e) {
    EXPECT_STREQ(e.what(), "falha original");
  }
}

TEST(EmoxExceptionFamily, BranchesClassify) {
  EXPECT_TRUE((std::is_base_of_v<EmoxNFeDataSetException, EmoxNFeConvTX2>));
  EXPECT_TRUE((std::is_base_of_v<EmoxNFeException, EmoxNFeDataSetException>));
  EXPECT_TRUE((std::is_base_of_v<EmoxNFeEventoDownloadNFeException, EmoxNFeEventoDownloadLimitNotasException>));
  EXPECT_TRUE((std::is_base_of_v<EmoxNFeEventosException, EmoxCCeReportException>));
  EXPECT_FALSE((std::is_base_of_v<EmoxNFeException, EmoxNFeEventosException>));
  EXPECT_TRUE((std::is_base_of_v<std::exception, EmoxException>));
}

TEST(MoxFormat, Directives) {
  EXPECT_EQ(moxFormat("%s - %d - %s", {"a", 42, std::string("b")}), "a - 42 - b");
  EXPECT_EQ(moxFormat("100%% de %s", {"x"}), "100% de x");
  EXPECT_EQ(moxFormat("%.2f|%5s|%-3d|", {3.14159, "ab", 7}), "3.14|   ab|7  |");
  EXPECT_EQ(moxFormat("falta %s e %s", {"um"}), "falta um e %s");
  EXPECT_EQ(moxFormat("%3.3d", {5}), "005");
}

TEST(EmoxExceptionLog, AHugeQuotedInputAddsOneShortPrivateLine) {
  moxtest::TempDir dir;
  const std::string huge(10u << 20, 'x');
  const std::string message = "Linha inválida: " + huge + "\nCPF 12345678909";
  EmoxNFeConvTX2 e(message, dir.str());
  EXPECT_EQ(e.what(), message);  // the exception keeps the whole text; only the log line is cut
  const std::string file = dir.file("nfe_exception.log");
  auto lines = Lines(file);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_LT(lines[0].size(), 2500u);
  EXPECT_NE(lines[0].find("EmoxNFeConvTX2 : Linha inválida: xxx"), std::string::npos);
  EXPECT_NE(lines[0].find("bytes omitidos]"), std::string::npos);
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}
