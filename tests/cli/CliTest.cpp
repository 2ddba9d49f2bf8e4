// The command line as a user runs it.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestSupport.h"

namespace {

moxtest::ProgramResult Moxnfe(const std::vector<std::string>& aArgs, const std::string& aInput = {}) {
  return moxtest::RunProgram(moxtest::BuiltProgram("moxnfe"), aArgs, aInput);
}

}  // namespace

TEST(Cli, HelpVersionAndUnknownCommands) {
  auto help = Moxnfe({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Uso: moxnfe <comando>"), std::string::npos);

  auto none = Moxnfe({});
  EXPECT_EQ(none.status, 2);

  auto version = Moxnfe({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("moxnfe ", 0), 0u);

  auto unknown = Moxnfe({"nao-existe"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("comando desconhecido: nao-existe"), std::string::npos);
}

// What the system and the network libraries say in English reaches the user in Portuguese.
TEST(Cli, FailuresAreToldInPortuguese) {
  moxtest::TempDir dir;
  const std::string sandbox = moxtest::BuiltProgram("moxnfe-sandbox");
  ASSERT_EQ(moxtest::RunProgram(sandbox, {"certificados", "--saida", dir.file("cert"), "--cnpj", "12345678000195",
                                          "--nome", "EMPRESA LTDA", "--senha", "1234"})
                .status,
            0);
  // Nothing listens on port 1 of the loopback.
  ASSERT_EQ(moxtest::RunProgram(sandbox, {"servidores", "--url", "https://127.0.0.1:1/", "--saida", dir.file("s.ini")})
                .status,
            0);
  // The status request is validated before it is posted: the official package beside our mapping.
  const std::filesystem::path esquemas = dir.path() / "Esquemas" / "vm50a";
  std::filesystem::create_directories(esquemas);
  for (const auto& e : std::filesystem::directory_iterator(moxtest::SchemasDir() / "PL_008i2"))
    std::filesystem::create_symlink(e.path(), esquemas / e.path().filename());
  std::filesystem::copy_file(std::string(MOXNFE_SOURCE_DIR) + "/data/Esquemas/vm50a/Mapping.txt",
                             esquemas / "Mapping.txt");
  struct Caso {
    std::vector<std::string> args;
    std::string mensagem;
  };
  const std::vector<Caso> casos = {
      {{"sefaz", "status", "--servidores", dir.file("s.ini"), "--uf", "SP", "--pfx",
        dir.file("cert/12345678000195.pfx"), "--senha", "1234", "--ca", dir.file("cert/ac.pem"), "--esquemas",
        dir.file("Esquemas"), "--versao-manual", "5.0a"},
       "conexão recusada"},
      {{"tx2", "converter", moxtest::Fixture("tx2/venda-simples.tx2").string(), "--saida", "/proc/moxnfe/x.txt"},
       "/proc/moxnfe/x.txt: arquivo ou pasta não existe"},
      {{"configuracao", "criar", "/proc/moxnfe/nfeConfig.ini"}, "arquivo ou pasta não existe"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    auto r = Moxnfe(c.args);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(c.mensagem), std::string::npos) << r.err;
    for (const char* ingles : {"refused", "Couldn't", "No such file", "Failed to", "Permission denied"})
      EXPECT_EQ(r.err.find(ingles), std::string::npos) << r.err;
  }
}
