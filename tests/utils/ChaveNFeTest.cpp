// The access key: check digit, both layouts with their checks, decoding and the digit check.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "utils/UtilsTestSupport.h"
#include "utils/moxChaveNFe.h"

using namespace mox;
using moxtest::Raised;
using moxtest::RaisedBy;

namespace {

// The worked example: SP, March 2014, CNPJ 12345678000195, model 55, series 1, number 124,
// emission type 1, code 12345678; body sum 630, remainder 3, digit 8.
const std::string kChave = "35140312345678000195550010000001241123456788";

std::string Atual(const std::string& aNumero, const std::string& aCodigo = "12345678",
                  const std::string& aData = "2014-03-15") {
  return CalculaChave(aData, "35", "12345678000195", "55", "1", aNumero, "1", aCodigo);
}

}  // namespace

TEST(DigVerificador, ModuloOnzeTable) {
  struct Case {
    std::string valor;
    int base;
    bool resto;
    std::string esperado;
  };
  const std::vector<Case> cases = {
      {"3514031234567800019555001000000124112345678", 9, false, "8"},  // remainder 3
      {"3514031234567800019555001000000124112345678", 9, true, "3"},
      {"3514031234567800019555001000000123112345678", 9, false, "0"},  // remainder 0
      {"3514031234567800019555001000000106112345678", 9, false, "0"},  // remainder 1
      {"3514031234567800019555001000000115112345678", 9, false, "9"},  // remainder 2
      {"3514031234567800019555001000000109112345678", 9, false, "1"},  // remainder 10
      {"3514031234567800019555001000000109112345678", 9, true, "10"},
      {"123456", 4, false, "7"},  // weights 2,3,4,2,3,4 from the right: sum 48
      {"123456", 4, true, "4"},
      {"", 9, false, "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.valor + " base " + std::to_string(c.base));
    EXPECT_EQ(DigVerificador(c.valor, c.base, c.resto), c.esperado);
  }
}

TEST(DigVerificador, NonDigitIsAnErrorNotZero) {
  for (const std::string valor : {"12a4", "35 14", "-1"}) {
    SCOPED_TRACE(valor);
    EXPECT_EQ(RaisedBy([&] { DigVerificador(valor, 9, false); }),
              (Raised{"EmoxNFeCheckParams", "'" + valor + "' não é um valor inteiro válido."}));
  }
}

TEST(CalculaChave, CurrentLayoutKeys) {
  EXPECT_EQ(Atual("124"), kChave);
  EXPECT_EQ(Atual("123"), "35140312345678000195550010000001231123456780");
  EXPECT_EQ(Atual("115"), "35140312345678000195550010000001151123456789");
  // The date-time of layout 3.10 gives the same key as the plain date.
  EXPECT_EQ(Atual("124", "12345678", "2014-03-15T10:00:00-03:00"), kChave);
  // Short code, series and state code are zero-filled.
  EXPECT_EQ(Atual("124", "1"), "35140312345678000195550010000001241000000018");
  EXPECT_EQ(CalculaChave("2014-03-15", "5", "12345678000195", "55", "", "124", "1", "12345678").substr(0, 25),
            "0514031234567800019555000");
}

TEST(CalculaChave, CurrentLayoutChecksInOrder) {
  const std::string requiredMsg =
      "Os Campos: Código da UF Emitente =  %s\rCNPJ do Emitente = 12345678000195 \rCódigo do Modelo do Documento "
      "Fiscal = 55 \rNúmero da Nota Fiscal = 124\rTipo de emissão = 1\rCódigo (controle do sistema) Nota Fiscal = "
      "12345678\rsão campos obrigatórios para o cálculo do dígito verificador.";
  struct Case {
    const char* name;
    std::string data, uf, cnpj, serie, tpEmis, codigo;
    Raised raised;
  };
  const std::vector<Case> cases = {
      {"CNPJ not an integer", "2014-03-15", "35", "12.345.678/0001-95", "1", "1", "12345678",
       {"EmoxNFeCheckTXT", "O campo CNPJ: 12.345.678/0001-95 deve ser um número Inteiro"}},
      {"empty CNPJ fails the integer check first", "2014-03-15", "35", "", "1", "1", "12345678",
       {"EmoxNFeCheckTXT", "O campo CNPJ:  deve ser um número Inteiro"}},
      {"CNPJ beyond 64 bits", "2014-03-15", "35", "123456789012345678901", "1", "1", "12345678",
       {"EmoxNFeCheckTXT", "O campo CNPJ: 123456789012345678901 deve ser um número Inteiro"}},
      {"CNPJ checked before the code", "2014-03-15", "35", "X", "1", "1", "123456789",
       {"EmoxNFeCheckTXT", "O campo CNPJ: X deve ser um número Inteiro"}},
      {"nine-digit code", "2014-03-15", "35", "12345678000195", "1", "1", "123456789",
       {"EmoxCheckParams", "O Código da nota(cNF) \"123456789\", excede o máximo de 8 dígitos (Manual 4.01)"}},
      {"four-digit series", "2014-03-15", "35", "12345678000195", "1000", "1", "12345678",
       {"EmoxCheckParams", "A série não pode ser maior que 999"}},
      {"empty emission type", "2014-03-15", "35", "12345678000195", "1", "", "12345678",
       {"EmoxCheckParams", "O valor do tipo de emissão(tpEmis) \"\" é inesperado."}},
      {"two-character emission type", "2014-03-15", "35", "12345678000195", "1", "10", "12345678",
       {"EmoxCheckParams", "O valor do tipo de emissão(tpEmis) \"10\" é inesperado."}},
      {"date of 9 characters, checked before the required fields", "2014-3-15", "", "12345678000195", "1", "1",
       "12345678",
       {"EmoxNFeCheckParams",
        "2014-3-15 Data de Emissão no Formato inválido.Utilizar YYYY-MM-DD para NF-e 2.0 ou "
        "YYYY-MM-DDTHH:mm:ssTZD para NF-e 3.10"}},
      {"empty state code", "2014-03-15", "", "12345678000195", "1", "1", "12345678",
       {"EmoxNFeCheckParams",
        std::string(requiredMsg).replace(requiredMsg.find("%s"), 2, "")}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RaisedBy([&] { CalculaChave(c.data, c.uf, c.cnpj, "55", c.serie, "124", c.tpEmis, c.codigo); }),
              c.raised);
  }
}

TEST(CalculaChave, OldLayoutKeysAndChecks) {
  const auto antiga = [](const std::string& aData, const std::string& aUF, const std::string& aCNPJ,
                         const std::string& aSerie, const std::string& aCodigo) {
    return CalculaChave(aData, aUF, aCNPJ, "55", aSerie, "124", aCodigo);
  };
  // A nine-digit code fills positions 35-43.
  EXPECT_EQ(antiga("2014-03-15", "35", "12345678000195", "1", "123456789"),
            "35140312345678000195550010000001241234567898");
  // Neither the series nor the code length is checked in this layout.
  EXPECT_EQ(antiga("2014-03-15", "35", "12345678000195", "1000", "1").substr(22, 4), "1000");

  struct Case {
    const char* name;
    std::string data, uf, cnpj;
    Raised raised;
  };
  const std::vector<Case> cases = {
      {"date checked first", "15/03/14", "", "X",
       {"EmoxNFeCheckParams",
        "15/03/14 Data de Emissão no Formato inválido. Utilizar YYYY-MM-DD para NF-e 2.0 ou "
        "YYYY-MM-DDTHH:mm:ssTZD para NF-e 3.10"}},
      {"required fields before the CNPJ integer check", "2014-03-15", "35", "",
       {"EmoxNFeCheckParams",
        "Os Campos: Código da UF Emitente =  35\rCNPJ do Emitente =  \rCódigo do Modelo do Documento Fiscal = 55 "
        "\rNúmero da Nota Fiscal = 124\rCódigo (controle do sistema) Nota Fiscal = 1\rsão campos obrigatórios para "
        "o cálculo do dígito verificador."}},
      {"CNPJ not an integer", "2014-03-15", "35", "1234567800019A",
       {"EmoxNFeCheckTXT", "O campo CNPJ: 1234567800019A deve ser um número Inteiro"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RaisedBy([&] { antiga(c.data, c.uf, c.cnpj, "1", "1"); }), c.raised);
  }
}

TEST(CalculaChave, NonDigitFieldIsRefusedByTheCheckDigit) {
  // The state abbreviation instead of its code must not yield a key.
  EXPECT_EQ(RaisedBy([] { CalculaChave("2014-03-15", "SP", "12345678000195", "55", "1", "124", "1", "1"); })
                .className,
            "EmoxNFeCheckParams");
}

TEST(CalculaDadosDaNFe, ZeroFilledFieldsAndCheckDigit) {
  EXPECT_EQ(CalculaDadosDaNFe("35", "6", "12345678000195", "12345", "1", "2", "15"),
            "356123456780001950000000001234512152");
}

TEST(DecodeChave, BothLayouts) {
  const TmoxDecodeChaveNFe atual = DecodeChave(kChave, TVersaoManual::vm50a);
  const std::vector<std::string> camposAtual = {atual.cUF, atual.AAMM,  atual.CNPJ, atual.Modelo, atual.Serie,
                                                atual.nNF, atual.tpEmis, atual.cNF,  atual.cDV};
  EXPECT_EQ(camposAtual, (std::vector<std::string>{"35", "1403", "12345678000195", "55", "001", "000000124", "1",
                                                   "12345678", "8"}));
  for (TVersaoManual v : {TVersaoManual::vm202a, TVersaoManual::vm30}) {
    const TmoxDecodeChaveNFe antiga = DecodeChave(kChave, v);
    EXPECT_EQ(antiga.tpEmis, "");
    EXPECT_EQ(antiga.cNF, "112345678");
    EXPECT_EQ(antiga.nNF, "000000124");
    EXPECT_EQ(antiga.cDV, "8");
  }
  for (TVersaoManual v : {TVersaoManual::vm40, TVersaoManual::vm50}) EXPECT_EQ(DecodeChave(kChave, v).cNF, "12345678");
}

TEST(DecodeChave, RefusesOtherLengthsAndVersions) {
  for (const auto& chave : std::vector<std::string>{kChave.substr(0, 43), kChave + "0", ""}) {
    SCOPED_TRACE(chave);
    EXPECT_EQ(RaisedBy([&] { DecodeChave(chave, TVersaoManual::vm50a); }),
              (Raised{"EmoxCheckParams", "A Chave da NFe " + chave + " deve possuir exatamente 44 dígitos."}));
  }
  EXPECT_EQ(RaisedBy([] { DecodeChave(kChave, static_cast<TVersaoManual>(9)); }),
            (Raised{"EmoxChaveNFeException", "Versão de Manual não suportada para decodificação."}));
}

TEST(ValidaAutenticidadeDV, RecomputesTheDigit) {
  for (TVersaoManual v : {TVersaoManual::vm30, TVersaoManual::vm40, TVersaoManual::vm50a}) {
    SCOPED_TRACE(static_cast<int>(v));
    EXPECT_TRUE(ValidaAutenticidadeDV(kChave, v));
    EXPECT_FALSE(ValidaAutenticidadeDV(kChave.substr(0, 43) + "9", v));
    // A changed digit in the body is caught too.
    EXPECT_FALSE(ValidaAutenticidadeDV("35140312345678000195550010000001251123456788", v));
  }
  EXPECT_EQ(RaisedBy([] { ValidaAutenticidadeDV(kChave.substr(1), TVersaoManual::vm50a); }).className,
            "EmoxCheckParams");
  EXPECT_EQ(RaisedBy([] { ValidaAutenticidadeDV("35140312345678000195550010000001241123456A88", TVersaoManual::vm50a); })
                .className,
            "EmoxNFeCheckParams");
}

TEST(ObterNotaID, KeyAfterTheIdLiteral) {
  struct Case {
    std::string xml, esperado;
  };
  const std::vector<Case> cases = {
      {"<NFe><infNFe Id=\"NFe" + kChave + "\" versao=\"3.10\"></infNFe></NFe>", kChave},
      {"<infNFe versao=\"3.10\" Id=\"NFe" + kChave + "\"/>", ""},  // the literal wants Id first
      {"<infNFe Id=\"NFe3514\"/>", "3514\"/>"},                    // short input gives what is there
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ObterNotaID(c.xml), c.esperado) << c.xml;
}

TEST(ObterNumRecibo, FirstNRec) {
  EXPECT_EQ(ObterNumRecibo("<retEnviNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\"><infRec><nRec>351000000012345"
                           "</nRec><tMed>1</tMed></infRec></retEnviNFe>"),
            "351000000012345");
  EXPECT_EQ(ObterNumRecibo("<retEnviNFe><cStat>215</cStat></retEnviNFe>"), "");
}
