// Text, number, date and compression operations of the utility server.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "external/EKivoException.h"
#include "external/TmoxKivoUtils.h"

using mox::EKivoException;
using mox::TmoxKivoUtils;

TEST(KivoUtilsText, AccentsAreRemovedByCodePoint) {
  TmoxKivoUtils utils;
  const std::string all = "áéíóúàèìòùâêîôûäëïöüãõñçÁÉÍÓÚÀÈÌÒÙÂÊÎÔÛÄËÏÖÜÃÕÑÇºª";
  EXPECT_EQ(utils.RemoveAccents(all), "aeiouaeiouaeiouaeiouaoncAEIOUAEIOUAEIOUAEIOUAONCoa");
  EXPECT_EQ(utils.RemoveAccents("Avenida São João, Nº 10 – Açaí €"), "Avenida Sao Joao, No 10 – Acai €");
  EXPECT_EQ(utils.DynamicRemoveAccents("Ação Única ü", "çã"), "Acao Única ü");
  EXPECT_EQ(utils.DynamicRemoveAccents("Ação", ""), "Ação");
  // Bytes that are not UTF-8 pass through untouched rather than being mangled.
  EXPECT_EQ(utils.RemoveAccents(std::string("a\xE7\xE3o")), std::string("a\xE7\xE3o"));
}

TEST(KivoUtilsText, SmallConversionsTable) {
  TmoxKivoUtils utils;
  EXPECT_EQ(utils.Czro("123", 9), "000000123");
  EXPECT_EQ(utils.Czro("", 3), "000");
  EXPECT_EQ(utils.Czro("12345", 3), "12345");
  EXPECT_EQ(utils.RemoveBOM("\xEF\xBB\xBF<a/>"), "<a/>");
  EXPECT_EQ(utils.RemoveBOM("<a/>"), "<a/>");
  EXPECT_EQ(utils.ParseString("a,,b", ","), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(utils.ParseString("a||b", "||"), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(utils.ParseString("", ",").empty());
  const std::string params = "ModeloRetrato=/x/retrato.rtm\r\nQtdeCopias=2\nVazio=\nIgual=a=b";
  EXPECT_EQ(utils.GetValueParam(params, "qtdecopias"), "2");
  EXPECT_EQ(utils.GetValueParam(params, "ModeloRetrato"), "/x/retrato.rtm");
  EXPECT_EQ(utils.GetValueParam(params, "Igual"), "a=b");
  EXPECT_EQ(utils.GetValueParam(params, "Vazio"), "");
  EXPECT_EQ(utils.GetValueParam(params, "Nada"), "");
}

TEST(KivoUtilsText, TaxpayerNumbers) {
  struct Case {
    std::string number;
    bool cnpj, cpf;
  };
  const std::vector<Case> cases = {
      {"12345678000195", true, false},     {"12.345.678/0001-95", true, false}, {"12345678000194", false, false},
      {"11222333000181", true, false},     {"00000000000000", false, false},    {"1234567800019", false, false},
      {"11144477735", false, true},        {"111.444.777-35", false, true},     {"11144477734", false, false},
      {"11111111111", false, false},       {"", false, false},                  {"1114447773X", false, false},
  };
  TmoxKivoUtils utils;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.number);
    EXPECT_EQ(utils.ValidateCNPJ(c.number), c.cnpj);
    EXPECT_EQ(utils.ValidateCPF(c.number), c.cpf);
  }
}

TEST(KivoUtilsText, XsdDateTimes) {
  struct Case {
    std::string text;
    std::string formatted;  // empty: must raise
  };
  const std::vector<Case> cases = {
      {"2014-03-15T10:20:30-03:00", "15/03/2014 10:20:30"},
      {"2014-03-15T10:20:30Z", "15/03/2014 10:20:30"},
      {"2014-03-15T10:20:30", "15/03/2014 10:20:30"},
      {"2014-03-15T10:20:30.250+01:00", "15/03/2014 10:20:30"},
      {"2014-03-15", "15/03/2014 00:00:00"},
      {"2014-02-30", ""},
      {"2014-03-15T25:00:00", ""},
      {"15/03/2014", ""},
      {"2014-03-15T10:20:30-0300", ""},
      {"", ""},
  };
  TmoxKivoUtils utils;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    if (c.formatted.empty()) {
      EXPECT_THROW(utils.XsdDateTimeToDateTime(c.text), EKivoException);
    } else {
      EXPECT_EQ(mox::FormatDateTimeBR(utils.XsdDateTimeToDateTime(c.text)), c.formatted);
    }
  }
  EXPECT_EQ(mox::DecodeDateTime(utils.XsdDateTimeToDateTime("2014-03-15T10:20:30.250Z")).millisecond, 250);
}

TEST(KivoUtilsCompression, GzipBase64RoundTripOfOneMebibyte) {
  std::mt19937 rng(42);
  std::string text;
  const std::string words[] = {"<det>", "produto ", "ação ", "12,50 ", "</det>\n", "NF-e "};
  while (text.size() < (1u << 20)) text += words[rng() % 6];
  TmoxKivoUtils utils;
  const std::string packed = utils.EncodeBase64(utils.GZipString(text));
  EXPECT_LT(packed.size(), text.size() / 2);
  EXPECT_EQ(packed.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
            std::string::npos);
  EXPECT_EQ(utils.DecompressBase64Gz(packed, true, ""), text);
  EXPECT_EQ(utils.DecompressBase64Gz(utils.GZipString(text), false, ""), text);
}

TEST(KivoUtilsCompression, BadInputRaises) {
  TmoxKivoUtils utils;
  const std::string gz = utils.GZipString("conteúdo");
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"not base64", "@@@@"},
      {"base64 of text", utils.EncodeBase64("texto simples")},
      {"truncated gzip", utils.EncodeBase64(gz.substr(0, gz.size() / 2))},
      {"empty", ""},
  };
  for (const auto& [name, input] : cases) {
    SCOPED_TRACE(name);
    EXPECT_THROW(utils.DecompressBase64Gz(input, true, ""), EKivoException);
  }
  EXPECT_EQ(utils.DecodeBase64("TW94\r\nTkZl"), "MoxNFe");
}
