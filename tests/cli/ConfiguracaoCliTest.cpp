// moxnfe configuracao as a user runs it.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/TestSupport.h"

namespace {

moxtest::ProgramResult Moxnfe(const std::vector<std::string>& aArgs) {
  return moxtest::RunProgram(moxtest::BuiltProgram("moxnfe"), aArgs);
}

}  // namespace

TEST(CliConfiguracao, CreateShowAndCheck) {
  moxtest::TempDir dir;
  const std::string ini = dir.file("nfeConfig.ini");
  const std::string hom = dir.file("hom.ini");
  moxtest::WriteText(hom, "[BA]\n");

  auto criar = Moxnfe({"configuracao", "criar", ini, "--uf", "ba", "--cnpj", "12345678000195", "--servidores-hom", hom,
                       "--versao-manual", "5.0a"});
  ASSERT_EQ(criar.status, 0) << criar.err;

  auto mostrar = Moxnfe({"configuracao", "mostrar", ini, "--json"});
  ASSERT_EQ(mostrar.status, 0) << mostrar.err;
  auto json = nlohmann::json::parse(mostrar.out);
  EXPECT_EQ(json["UF"], "BA");
  EXPECT_EQ(json["VersaoManual"], "5.0a");
  EXPECT_EQ(json["ArquivoServidoresHom"], hom);

  auto texto = Moxnfe({"configuracao", "mostrar", ini});
  EXPECT_NE(texto.out.find("CNPJ = 12345678000195\n"), std::string::npos) << texto.out;

  auto ok = Moxnfe({"configuracao", "verificar", ini});
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_NE(ok.out.find("Configuração válida"), std::string::npos);

  std::string conteudo = moxtest::ReadText(ini);
  conteudo.replace(conteudo.find("CNPJ=12345678000195"), 19, "CNPJ=123");
  moxtest::WriteText(ini, conteudo);
  auto ruim = Moxnfe({"configuracao", "verificar", ini});
  EXPECT_EQ(ruim.status, 1);
  EXPECT_NE(ruim.err.find("O CNPJ não possui 14 digitos."), std::string::npos) << ruim.err;

  auto faltando = Moxnfe({"configuracao", "mostrar", dir.file("nao/existe.ini")});
  EXPECT_EQ(faltando.status, 1);
  EXPECT_NE(faltando.err.find("não foi encontrado"), std::string::npos) << faltando.err;
}
