// Every input of the command line has a size limit: an endless or huge input ends in a clear
// error instead of filling the memory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

class EntradaLimitada : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("MOXNFE_LIMITE_ENTRADA_MB", "1", 1); }
  void TearDown() override { ::unsetenv("MOXNFE_LIMITE_ENTRADA_MB"); }
  moxtest::TempDir dir_;
};

TEST_F(EntradaLimitada, EndlessOrHugeInputsAreRefusedWithTheLimit) {
  moxtest::WriteText(dir_.file("pequeno.xml"), "<a/>");
  const struct {
    std::vector<std::string> args;
    std::string entrada, origem;
  } casos[] = {
      {{"tx2", "converter", "-"}, std::string(2u << 20, 'A'), "A entrada padrão"},
      {{"assinar", "-", "--pfx", dir_.file("x.pfx")}, std::string(2u << 20, ' '), "A entrada padrão"},
      {{"assinar", "/dev/zero", "--pfx", dir_.file("x.pfx")}, "", "O arquivo /dev/zero"},
      {{"assinar", dir_.file("pequeno.xml"), "--pfx", dir_.file("x.pfx"), "--senha-arquivo", "/dev/zero"}, "",
       "O arquivo /dev/zero"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    const auto r = moxtest::RunProgram(moxtest::BuiltProgram("moxnfe"), c.args, c.entrada);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find(c.origem + " passa do limite de entrada de 1 MiB"), std::string::npos) << r.err;
  }
}

TEST_F(EntradaLimitada, EmptyInputsAreSaidToBeEmpty) {
  moxtest::WriteText(dir_.file("vazio.xml"), "");
  moxtest::WriteText(dir_.file("brancos.xml"), "\xEF\xBB\xBF \r\n\n");
  const struct {
    std::vector<std::string> args;
    std::string entrada, mensagem;
  } casos[] = {
      {{"assinar", dir_.file("vazio.xml"), "--pfx", dir_.file("x.pfx")}, "",
       "O arquivo " + dir_.file("vazio.xml") + " está vazio: não há XML para assinar."},
      {{"assinar", "-", "--pfx", dir_.file("x.pfx")}, "\n\n", "A entrada padrão está vazia: não há XML para assinar."},
      {{"sefaz", "enviar-lote", dir_.file("brancos.xml")}, "",
       "O arquivo " + dir_.file("brancos.xml") + " está vazio: não há nota para enviar."},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    const auto r = moxtest::RunProgram(moxtest::BuiltProgram("moxnfe"), c.args, c.entrada);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find(c.mensagem), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("assinatura"), std::string::npos) << r.err;
  }
}

}  // namespace
