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

std::vector<std::string> Campos(std::vector<std::string> aExtra) {
  std::vector<std::string> args = {"chave", "calcular", "--uf", "SP", "--cnpj", "12345678000195",
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
  EXPECT_EQ(j["versaoManual"], "5.0a");

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
  };
  const std::vector<Case> cases = {
      {"no date", {}, 2, "informe --data ou --aamm"},
      {"both dates", {"--data", "2014-03-15", "--aamm", "1403"}, 2, "apenas um deles"},
      {"unknown state", {"--data", "2014-03-15", "--uf", "XX"}, 2, "UF desconhecida: XX"},
      {"unknown manual version", {"--data", "2014-03-15", "--versao-manual", "6.0"}, 2,
       "Versão do Manual informada: 6.0 não é suportada. \nUtilize:"},
      {"date written otherwise", {"--data", "15/03/2014"}, 2, "--data deve ser AAAA-MM-DD"},
      {"date length", {"--data", "2014-03-5"}, 1, "2014-03-5 Data de Emissão no Formato inválido."},
      {"nine-digit code in the current layout", {"--data", "2014-03-15", "--codigo", "123456789"}, 1,
       "excede o máximo de 8 dígitos"},
      {"number too long for 44 digits", {"--data", "2014-03-15", "--numero", "1234567890"}, 1,
       "a chave calculada tem 45 dígitos em vez de 44"},
      {"letters in a field", {"--data", "2014-03-15", "--modelo", "5X"}, 1, "não é um valor inteiro válido"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto r = Moxnfe(Campos(c.extra));
    EXPECT_EQ(r.status, c.status);
    EXPECT_TRUE(Contains(r.err, c.err)) << r.err;
    EXPECT_EQ(r.out, "");
  }
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
