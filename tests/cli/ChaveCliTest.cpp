// moxnfe chave calcular | validar | decodificar, run as a user runs them.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

const std::string kChave = "35140312345678000195550010000001241123456788";

moxtest::ProgramResult Moxnfe(const std::vector<std::string>& aArgs) {
  return moxtest::RunProgram(moxtest::BuiltProgram("moxnfe"), aArgs);
}

std::vector<std::string> Campos(std::vector<std::string> aExtra,
                                std::vector<std::string> aEmitente = {"--cnpj", "12345678000195"}) {
  std::vector<std::string> args = {"chave", "calcular", "--uf", "SP", aEmitente[0], aEmitente[1],
                                   "--serie", "1", "--numero", "124", "--codigo", "12345678"};
  args.insert(args.end(), aExtra.begin(), aExtra.end());
  return args;
}

bool Contains(const std::string& aText, const std::string& aPart) { return aText.find(aPart) != std::string::npos; }

}  // namespace

TEST(CliChave, CalcularBothLayouts) {
  auto r = Moxnfe(Campos({"--data", "2014-03-15T10:00:00-03:00"}));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Chave de acesso: " + kChave + "\nDígito verificador: 8\n");

  r = Moxnfe(Campos({"--aamm", "1403", "--json"}));
  ASSERT_EQ(r.status, 0) << r.err;
  auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["chave"], kChave);
  EXPECT_EQ(j["digitoVerificador"], "8");
  EXPECT_EQ(j["versaoManual"], "6.0");

  // Old layout: nine-digit code, no emission type.
  std::vector<std::string> antiga = Campos({"--data", "2014-03-15", "--versao-manual", "3.0", "--json"});
  antiga[11] = "123456789";
  r = Moxnfe(antiga);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(nlohmann::json::parse(r.out)["chave"], "35140312345678000195550010000001241234567898");
}

TEST(CliChave, CalcularRefusesBadInput) {
  struct Case {
    const char* name;
    std::vector<std::string> extra;
    int status;
    std::string err;
    std::vector<std::string> emitente = {"--cnpj", "12345678000195"};
  };
  const std::vector<Case> cases = {
      {"no date", {}, 2, "informe --data ou --aamm"},
      {"both dates", {"--data", "2014-03-15", "--aamm", "1403"}, 2, "apenas um deles"},
      {"unknown state", {"--data", "2014-03-15", "--uf", "XX"}, 1, "UF desconhecida: XX"},
      {"unknown state code", {"--data", "2014-03-15", "--uf", "99"}, 1, "UF desconhecida: 99"},
      {"unknown manual version", {"--data", "2014-03-15", "--versao-manual", "7.0"}, 2,
       "Versão do Manual informada: 7.0 não é suportada. \nUtilize:"},
      {"date written otherwise", {"--data", "15/03/2014"}, 1, "data de emissão em formato inválido: 15/03/2014"},
      {"day that does not exist", {"--data", "2014-02-29"}, 1, "data de emissão impossível: 2014-02-29"},
      {"thirteenth month", {"--data", "2014-13-01T10:00:00-03:00"}, 1, "data de emissão impossível: 2014-13-01"},
      {"hour that does not exist", {"--data", "2014-03-15T25:00:00-03:00"}, 1, "hora de emissão impossível"},
      {"thirteenth month by year-month", {"--aamm", "1413"}, 1, "ano e mês impossíveis: 1413"},
      {"year-month not digits", {"--aamm", "14-3"}, 1, "--aamm deve ter 4 dígitos"},
      {"date length", {"--data", "2014-03-5"}, 1, "2014-03-5 Data de Emissão no Formato inválido."},
      {"CNPJ check digits", {"--data", "2014-03-15"}, 1,
       "CNPJ inválido (dígitos verificadores não conferem): 12345678000194", {"--cnpj", "12345678000194"}},
      {"CNPJ too short", {"--data", "2014-03-15"}, 1, "o CNPJ deve ter 14 dígitos: 1234567800019",
       {"--cnpj", "1234567800019"}},
      {"CNPJ with letters", {"--data", "2014-03-15"}, 1, "O campo CNPJ: 12345678ABC195 deve ser um número Inteiro",
       {"--cnpj", "12345678ABC195"}},
      {"CPF check digits", {"--data", "2014-03-15"}, 1,
       "CPF inválido (dígitos verificadores não conferem): 11144477734", {"--cpf", "11144477734"}},
      {"nine-digit code in the current layout", {"--data", "2014-03-15", "--codigo", "123456789"}, 1,
       "excede o máximo de 8 dígitos"},
      {"number too long for 44 digits", {"--data", "2014-03-15", "--numero", "1234567890"}, 1,
       "a chave calculada tem 45 dígitos em vez de 44"},
      {"letters in a field", {"--data", "2014-03-15", "--modelo", "5X"}, 1, "não é um valor inteiro válido"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto r = Moxnfe(Campos(c.extra, c.emitente));
    EXPECT_EQ(r.status, c.status);
    EXPECT_TRUE(Contains(r.err, c.err)) << r.err;
    EXPECT_EQ(r.out, "");

    // A script asking for JSON reads the same failure on standard output.
    std::vector<std::string> json = Campos(c.extra, c.emitente);
    json.push_back("--json");
    auto j = Moxnfe(json);
    EXPECT_EQ(j.status, c.status);
    EXPECT_TRUE(Contains(j.err, c.err)) << j.err;
    auto saida = nlohmann::json::parse(j.out);
    EXPECT_TRUE(Contains(saida["erro"].get<std::string>(), c.err)) << j.out;
    EXPECT_EQ(saida["codigo"], c.status);
  }
}

TEST(CliChave, CalcularWithTheIssuersCpf) {
  auto r = Moxnfe(Campos({"--data", "2014-03-15", "--json"}, {"--cpf", "11144477735"}));
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string chave = nlohmann::json::parse(r.out)["chave"];
  EXPECT_EQ(chave.substr(6, 14), "00011144477735");
  EXPECT_EQ(Moxnfe({"chave", "validar", chave}).status, 0);
}

TEST(CliChave, Validar) {
  auto r = Moxnfe({"chave", "validar", "3514 0312 3456 7800 0195 5500 1000 0001 2411 2345 6788"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Chave válida: o dígito verificador 8 confere.\n");

  r = Moxnfe({"chave", "validar", "NFe" + kChave.substr(0, 43) + "9"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "Chave inválida: dígito verificador informado 9, calculado 8.\n");

  r = Moxnfe({"chave", "validar", "--json", kChave.substr(0, 43) + "9"});
  EXPECT_EQ(r.status, 1);
  auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["valida"], false);
  EXPECT_EQ(j["dvInformado"], "9");
  EXPECT_EQ(j["dvCalculado"], "8");

  r = Moxnfe({"chave", "validar", "--json", kChave.substr(1)});
  EXPECT_EQ(r.status, 1);
  j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["valida"], false);
  EXPECT_TRUE(Contains(j["erro"].get<std::string>(), "deve possuir exatamente 44 dígitos."));

  EXPECT_EQ(Moxnfe({"chave", "validar"}).status, 2);
}

TEST(CliChave, Decodificar) {
  auto r = Moxnfe({"chave", "decodificar", kChave});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "Chave de acesso: " + kChave +
                "\nUF: 35 (SP)\nAno e mês de emissão: 03/2014\nCNPJ do emitente: 12.345.678/0001-95\n"
                "Modelo: 55 (NF-e)\nSérie: 001\nNúmero: 000000124\nTipo de emissão: 1\nCódigo numérico: 12345678\n"
                "Dígito verificador: 8 (confere)\n");

  r = Moxnfe({"chave", "decodificar", "--json", "--versao-manual", "3.0", kChave});
  ASSERT_EQ(r.status, 0) << r.err;
  auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["UF"], "SP");
  EXPECT_EQ(j["AAMM"], "1403");
  EXPECT_EQ(j["tpEmis"], "");
  EXPECT_EQ(j["cNF"], "112345678");
  EXPECT_EQ(j["dvConfere"], true);

  r = Moxnfe({"chave", "decodificar", kChave.substr(0, 43) + "1"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.out, "Dígito verificador: 1 (não confere)"));

  r = Moxnfe({"chave", "decodificar", "123"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(r.err, "A Chave da NFe 123 deve possuir exatamente 44 dígitos.")) << r.err;
}
