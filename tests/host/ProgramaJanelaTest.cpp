// moxnfe-certificados as a user starts it, on a machine without a display.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/TestSupport.h"

namespace {

// No display at all while a test runs; the other tests of this program draw off screen.
class SemTela : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) ::unsetenv(v);
    ::setenv("MOXNFE_CERTIFICADOS", pasta.str().c_str(), 1);
  }
  void TearDown() override {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::unsetenv("MOXNFE_CERTIFICADOS");
  }
  moxtest::ProgramResult Janela(const std::vector<std::string>& aArgs) {
    return moxtest::RunProgram(moxtest::BuiltProgram("moxnfe-certificados"), aArgs);
  }
  moxtest::TempDir pasta;
};

TEST_F(SemTela, HelpAndMistakesNeedNoDisplay) {
  auto ajuda = Janela({"--help"});
  EXPECT_EQ(ajuda.status, 0) << ajuda.err;
  EXPECT_EQ(ajuda.out.rfind("Uso: moxnfe-certificados [opções]", 0), 0u) << ajuda.out;
  EXPECT_NE(ajuda.out.find("--captura ARQUIVO.png"), std::string::npos);

  auto errada = Janela({"--nao-existe"});
  EXPECT_EQ(errada.status, 2);
  EXPECT_NE(errada.err.find("opção desconhecida"), std::string::npos) << errada.err;
}

TEST_F(SemTela, TheWindowSaysHowToRunWithoutADisplay) {
  auto r = Janela({});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("não há tela"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("moxnfe-certificados --captura janela.png"), std::string::npos) << r.err;

  // A capture draws off screen by itself.
  const std::string imagem = pasta.file("janela.png");
  auto captura = Janela({"--captura", imagem});
  EXPECT_EQ(captura.status, 0) << captura.err;
  EXPECT_GT(std::filesystem::file_size(imagem), 1000u);
}

}  // namespace
