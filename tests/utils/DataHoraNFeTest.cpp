// Date and time texts of the XML turned into dates and into the Brazilian display form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "utils/UtilsTestSupport.h"
#include "utils/moxDataHoraNFe.h"

using namespace mox;
using moxtest::Raised;
using moxtest::RaisedBy;

namespace {

const std::string kDataInvalida = "Erro na conversão de datas: data inválida";
const std::string kAno = "Erro na conversão de datas: ano inválido";
const std::string kMes = "Erro na conversão de datas: mês inválido";
const std::string kDia = "Erro na conversão de datas: dia inválido";

}  // namespace

TEST(XmlDateToDateTime, DatePartAtMidnight) {
  for (const std::string texto : {"2014-03-15", "2014-03-15T10:11:12-03:00"}) {
    DateTimeParts p = DecodeDateTime(XmlDateToDateTime(texto));
    EXPECT_EQ((std::vector<int>{p.year, p.month, p.day, p.hour, p.minute, p.second}),
              (std::vector<int>{2014, 3, 15, 0, 0, 0}))
        << texto;
  }
  EXPECT_EQ(DecodeDateTime(XmlDateToDateTime("2016-02-29")).day, 29);
}

TEST(XmlDateToDateTime, EachPartHasItsMessage) {
  struct Case {
    std::string texto, mensagem;
  };
  const std::vector<Case> cases = {
      {"2014-03-1", kDia},      // day read first
      {"2014-0", kDia},
      {"", kDia},
      {"2014-3-015", kMes},
      {"20X4-03-15", kAno},
      {"2014-02-30", kDataInvalida},
      {"2015-02-29", kDataInvalida},
      {"2014-13-01", kDataInvalida},
      {"2014-03-1x", kDia},     // letters never pass as a number
  };
  for (const auto& c : cases)
    EXPECT_EQ(RaisedBy([&] { XmlDateToDateTime(c.texto); }), (Raised{"EmoxNFEConvertDateException", c.mensagem}))
        << c.texto;
}

TEST(ConverteData, ResultsAndMessages) {
  struct Case {
    std::string data, esperado, mensagem;
  };
  const std::vector<Case> cases = {
      {"2014-03-05", "05/03/2014", ""},
      {"2014/03/05", "05/03/2014", ""},  // separators are not read
      {"", "", ""},
      {"    ", "", ""},
      {"2014-3-05", "", kDataInvalida},   // 9 characters
      {"2014-03-05T08:07:06-03:00", "", kDataInvalida},
      {"201X-03-05", "", kAno},
      {"2014-AB-05", "", kMes},
      {"2014-03-0X", "", kDia},
      {" 2014-03-05", "", kAno},  // pieces are cut from the text as given
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.data);
    if (c.mensagem.empty()) {
      EXPECT_EQ(ConverteData(c.data), c.esperado);
    } else {
      EXPECT_EQ(RaisedBy([&] { ConverteData(c.data); }), (Raised{"EmoxNFEConvertDateException", c.mensagem}));
    }
  }
}

TEST(ConverteDataComVersaoNFe, LengthFollowsTheLayoutVersion) {
  EXPECT_EQ(ConverteDataComVersaoNFe("2014-03-05T08:07:06-03:00", "3.10"), "05/03/2014");
  EXPECT_EQ(ConverteDataComVersaoNFe("2014-03-05", "2.00"), "05/03/2014");
  EXPECT_EQ(RaisedBy([] { ConverteDataComVersaoNFe("2014-03-05", "3.10"); }).message, kDataInvalida);
  EXPECT_EQ(RaisedBy([] { ConverteDataComVersaoNFe("2014-03-05T08:07:06-03:00", "2.00"); }).message, kDataInvalida);
  // Any other version takes either form; a one-digit day gains its zero.
  EXPECT_EQ(ConverteDataComVersaoNFe("2014-03-05T08:07:06-03:00", "4.00"), "05/03/2014");
  EXPECT_EQ(ConverteDataComVersaoNFe("2014-03-05", "4.00"), "05/03/2014");
  EXPECT_EQ(ConverteDataComVersaoNFe("2014-03-5", "4.00"), "05/03/2014");
  // Short text without a length rule ends in a message, never in a cut past the end.
  EXPECT_EQ(RaisedBy([] { ConverteDataComVersaoNFe("2014-03", "4.00"); }).message, kDia);
  EXPECT_EQ(RaisedBy([] { ConverteDataComVersaoNFe("20", "4.00"); }).message, kAno);
  EXPECT_EQ(ConverteDataComVersaoNFe("  ", "3.10"), "");
}

TEST(ConverteHora, ResultsAndMessages) {
  struct Case {
    std::string hora, esperado, mensagem;
  };
  const std::vector<Case> cases = {
      {"2014-03-05T08:07:06-03:00", "08:07:06", ""},
      {"  2014-03-05T23:59:58-02:00 ", "23:59:58", ""},
      {"", "", ""},
      {"2014-03-05T08:07:06-0300", "", "Erro na conversão de horas: hora inválida"},  // 24 characters
      {"2014-03-05", "", "Erro na conversão de horas: hora inválida"},
      {"2014-03-05Tx8:07:06-03:00", "", "Erro na conversão de horas: Hora inválida"},
      {"2014-03-05T08:0x:06-03:00", "", "Erro na conversão de horas: minuto inválido"},
      {"2014-03-05T08:07:x6-03:00", "", "Erro na conversão de horas: segundo inválido"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hora);
    if (c.mensagem.empty()) {
      EXPECT_EQ(ConverteHora(c.hora), c.esperado);
    } else {
      EXPECT_EQ(RaisedBy([&] { ConverteHora(c.hora); }), (Raised{"EmoxNFEConvertHoraException", c.mensagem}));
    }
  }
}
