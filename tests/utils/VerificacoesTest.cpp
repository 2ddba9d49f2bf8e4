// GTIN/EAN and municipality check digits, tolerant comparison and state codes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "utils/UtilsTestSupport.h"
#include "utils/moxCodigoUF.h"
#include "utils/moxVerificacoes.h"

using namespace mox;
using moxtest::RaisedBy;

TEST(ValidaEAN, EveryAcceptedLengthAndTheRejectedOnes) {
  struct Case {
    std::string ean;
    bool valido;
  };
  const std::vector<Case> cases = {
      {"", true},
      {"96385074", true},            // 8
      {"96385075", false},
      {"036000291452", true},        // 12
      {"036000291453", false},
      {"7891234567895", true},       // 13
      {"7891234567890", false},
      {"00012345600012", true},      // 14
      {"00012345600019", false},
      {"106141410000000019", true},  // 18
      {"106141410000000018", false},
      {"0000000000000", false},      // only zeros
      {"00000000", false},
      {"1234567890", false},         // 10: length not accepted
      {"123456789", false},
      {"1234567", false},
      {"789123456789512", false},    // 15
      {"1061414100000000190", false},  // 19
  };
  for (const auto& c : cases) EXPECT_EQ(ValidaEAN(c.ean), c.valido) << c.ean;
}

TEST(ValidaEAN, NonDigitInAcceptedLengthRaises) {
  EXPECT_EQ(RaisedBy([] { ValidaEAN("78912345678X5"); }).className, "EmoxNFeCheckParams");
  EXPECT_EQ(RaisedBy([] { ValidaEAN("7891234567 95"); }).className, "EmoxNFeCheckParams");
  // Other lengths are refused before any digit is read.
  EXPECT_FALSE(ValidaEAN("ABCDEFGHIJ"));
}

TEST(CodigoMunicipio, DigitAndExceptionList) {
  EXPECT_EQ(CalcDigVerificadorCodMunicipio("355030"), "8");  // products 3, 10->1, 5, 0, 3, 0
  EXPECT_EQ(CalcDigVerificadorCodMunicipio("520393"), "0");  // sum multiple of 10
  struct Case {
    std::string codigo;
    bool valido;
  };
  const std::vector<Case> cases = {
      {"3550308", true},  {"3304557", true}, {"4314902", true}, {"5300108", true},
      {"3550301", false},  // wrong digit
      {"355030", false},   // no seventh character
      {"35", false},
      {"2201919", true},  // exceptions, whatever their digit
      {"2201988", true},  {"2202251", true}, {"2611533", true}, {"3117836", true},
      {"3152131", true},  {"4305871", true}, {"5203939", true}, {"5203962", true},
      {"2201911", true},   // same prefix with the computed digit
      {"2201918", false},  // same prefix, neither rule
  };
  for (const auto& c : cases) EXPECT_EQ(ValidaCodigoMunicipio(c.codigo), c.valido) << c.codigo;
  for (const std::string codigo : {"35503A8", "", "3550308 "})
    EXPECT_EQ(RaisedBy([&] { ValidaCodigoMunicipio(codigo); }).className, "EmoxNFeCheckParams") << codigo;
}

TEST(CompareComTolerancia, BoundsAreInclusive) {
  EXPECT_TRUE(CompareComTolerancia(10, 11, 1));
  EXPECT_TRUE(CompareComTolerancia(12, 11, 1));
  EXPECT_FALSE(CompareComTolerancia(10, 11.5, 1));
  EXPECT_FALSE(CompareComTolerancia(12.01L, 11, 1));
  EXPECT_TRUE(CompareComTolerancia(100.005L, 100.00L, 0.01L));
  EXPECT_TRUE(CompareComTolerancia(5, 5, 0));
}

TEST(CodigoUF, TableAndLookup) {
  std::vector<std::string> lista{"primeira"};
  PopulaListaUF(lista);
  ASSERT_EQ(lista.size(), 29u);
  EXPECT_EQ(lista[0], "primeira");  // appends, keeps what was there
  EXPECT_EQ(lista[1], "AC=12");
  EXPECT_EQ(lista.back(), "AN=91");
  // Every line is found back through the lookup, in either letter case.
  for (size_t i = 1; i < lista.size(); ++i) {
    const std::string uf = lista[i].substr(0, 2), codigo = lista[i].substr(3);
    EXPECT_EQ(GetCodeUF(uf), codigo) << uf;
    EXPECT_EQ(GetCodeUF(std::string{static_cast<char>(uf[0] + 32), static_cast<char>(uf[1] + 32)}), codigo) << uf;
  }
  EXPECT_EQ(GetCodeUF("sp"), "35");
  EXPECT_EQ(GetCodeUF("RJ"), "33");
  for (const std::string desconhecida : {"XX", "", "S", "SPX", "35", " SP"})
    EXPECT_EQ(GetCodeUF(desconhecida), "") << desconhecida;
}
