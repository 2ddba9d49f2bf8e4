// The business rules on the command line: tx2 converter --regras and regras listar.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

#include "support/TestSupport.h"

namespace {

moxtest::ProgramResult Moxnfe(const std::vector<std::string>& aArgs, const std::string& aInput = {}) {
  return moxtest::RunProgram(moxtest::BuiltProgram("moxnfe"), aArgs, aInput);
}

// The examples are dated 2016: the rules that compare the emission with today's clock are left
// out, so the check does not depend on the day the test runs.
const std::string kRelogio = "GB09.1;GB09.2";

// The second note of the example with a series reserved to the tax authority.
std::string SegundaNotaComSerie891() {
  std::string texto = moxtest::ReadText(moxtest::Fixture("tx2/duas-notas.tx2"));
  const size_t segunda = texto.find("serie_B07=", texto.find("INCLUIR\n", 1) + 1);
  return texto.replace(segunda, texto.find('\n', segunda) - segunda, "serie_B07=891");
}

}  // namespace

TEST(CliRegras, ConverterComRegrasAceitaAsNotasValidas) {
  auto ok = Moxnfe({"tx2", "converter", "--esquema", "pl_008i1", "--regras", "--excecoes", kRelogio,
                    moxtest::Fixture("tx2/duas-notas.tx2").string()});
  ASSERT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(std::count(ok.out.begin(), ok.out.end(), '\n'), 2);
  // The 4.00 example on the default package, under the 6.0 set; and its payment short of the
  // total is refused with SEFAZ's code.
  const std::string quatro = moxtest::ReadText(moxtest::Fixture("tx2/venda-simples-400.tx2"));
  auto ok400 = Moxnfe({"tx2", "converter", "--regras", "--excecoes", kRelogio, "-"}, quatro);
  ASSERT_EQ(ok400.status, 0) << ok400.err;
  std::string curto = quatro;
  curto.replace(curto.find("vPag_YA03=100.00"), 16, "vPag_YA03=70.00");
  curto.replace(curto.find("vTroco_YA09=20.20\n"), 18, "");
  auto ruim400 = Moxnfe({"tx2", "converter", "--regras", "--excecoes", kRelogio, "-"}, curto);
  EXPECT_EQ(ruim400.status, 1);
  EXPECT_NE(ruim400.err.find(": [865] Rejeição: Total dos pagamentos menor que o total da nota (regra YA03.10, campo "
                             "vPag_YA03)"),
            std::string::npos)
      << ruim400.err;
}

TEST(CliRegras, RegraQuebradaDizALinhaOCodigoEOCampo) {
  const std::string texto = SegundaNotaComSerie891();
  const size_t linhaDoSalvar = 227;  // the second note's SALVAR
  ASSERT_EQ(std::count(texto.begin(), texto.begin() + static_cast<long>(texto.rfind("\nSALVAR\n")), '\n') + 2, 227);
  // A 3.10 example: its package named, the default being the 4.00 layout.
  auto ruim = Moxnfe({"tx2", "converter", "--esquema", "pl_008i1", "--regras", "--excecoes", kRelogio, "-"}, texto);
  EXPECT_EQ(ruim.status, 1);
  EXPECT_TRUE(ruim.out.empty()) << "nothing converted is printed when a note is rejected";
  EXPECT_EQ(ruim.err, "linha " + std::to_string(linhaDoSalvar) +
                          ": [266] Rejeição: Série utilizada fora da faixa permitida no WebService (0-899) (regra "
                          "GB07, campo serie_B07)\n");

  auto json =
      Moxnfe({"tx2", "converter", "--esquema", "pl_008i1", "--regras", "--json", "--excecoes", kRelogio, "-"}, texto);
  EXPECT_EQ(json.status, 1);
  const auto erro = nlohmann::json::parse(json.out)["erro"];
  EXPECT_EQ(erro["linha"], linhaDoSalvar);
  EXPECT_EQ(erro["regra"], "GB07");
  EXPECT_EQ(erro["codigo"], "266");
  EXPECT_EQ(erro["campo"], "serie_B07");
  EXPECT_EQ(erro["mensagem"], "Rejeição: Série utilizada fora da faixa permitida no WebService (0-899)");

  auto semRegras = Moxnfe({"tx2", "converter", "--esquema", "pl_008i1", "-"}, texto);
  EXPECT_EQ(semRegras.status, 0) << "without --regras the converter only converts";
  auto excecao =
      Moxnfe({"tx2", "converter", "--esquema", "pl_008i1", "--regras", "--excecoes", kRelogio + ";GB07", "-"}, texto);
  EXPECT_EQ(excecao.status, 0) << excecao.err;
}

TEST(CliRegras, ListarMostraCadaConjuntoNaOrdem) {
  struct Caso {
    std::vector<std::string> args;
    size_t quantas;
    const char* primeira;
  };
  const Caso casos[] = {{{}, 185, "GA03"},
                        {{"--versao-manual", "5.0a"}, 183, "GA03"},
                        {{"--versao-manual", "5.0"}, 102, "GA03"},
                        {{"--versao-manual", "6.0"}, 185, "GA03"},
                        {{"--esquema", "pl_009"}, 185, "GA03"},
                        {{"--versao-manual", "vm40"}, 91, "GA03"},
                        {{"--versao-manual", "3.0"}, 0, ""},
                        {{"--ajustes"}, 4, "Zelto1"}};
  for (const Caso& caso : casos) {
    std::vector<std::string> args{"regras", "listar", "--json"};
    args.insert(args.end(), caso.args.begin(), caso.args.end());
    auto r = Moxnfe(args);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto regras = nlohmann::json::parse(r.out)["regras"];
    ASSERT_EQ(regras.size(), caso.quantas);
    if (caso.quantas) {
      EXPECT_EQ(regras[0]["regra"], caso.primeira);
    }
  }
  auto texto = Moxnfe({"regras", "listar"});
  ASSERT_EQ(texto.status, 0);
  EXPECT_NE(texto.out.find("185 regra(s) do conjunto 6.0"), std::string::npos);
  EXPECT_NE(texto.out.find("GB07 [266] campo serie_B07\n   Rejeição: Série utilizada fora da faixa permitida no "
                           "WebService (0-899)\n"),
            std::string::npos);
  auto seis = Moxnfe({"regras", "listar", "--versao-manual", "6.0"});
  ASSERT_EQ(seis.status, 0) << seis.err;
  EXPECT_NE(seis.out.find("185 regra(s) do conjunto 6.0"), std::string::npos);
  EXPECT_NE(seis.out.find("YA03.10 [865] campo vPag_YA03\n   Rejeição: Total dos pagamentos menor que o total da nota\n"),
            std::string::npos);
  EXPECT_EQ(seis.out.find("GL102a"), std::string::npos) << "the 4.00 layout has no natural-gas share";
  auto ruim = Moxnfe({"regras", "listar", "--versao-manual", "7.0"});
  EXPECT_EQ(ruim.status, 2);
  EXPECT_NE(ruim.err.find("versão do Manual desconhecida: 7.0"), std::string::npos);
}
