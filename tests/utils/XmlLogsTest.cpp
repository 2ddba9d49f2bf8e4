// Lookups in transaction logs given as a path, a name in the log folder or the XML itself.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/TestSupport.h"
#include "utils/TmoxNFeXMLLogs.h"
#include "utils/UtilsTestSupport.h"
#include "utils/moxXmlLookup.h"

using mox::TmoxNFeXMLLogs;
using moxtest::Raised;
using moxtest::RaisedBy;

namespace {

const std::vector<std::string>& kChaves = moxtest::kChavesLote;

std::string Envio() { return moxtest::ReadText(moxtest::Fixture("lote/envio-lote-3-notas.xml")); }
std::string Recibo() { return moxtest::ReadText(moxtest::Fixture("lote/ret-cons-reci-3-protocolos.xml")); }

// The message of a plain (not component) exception raised by aCall.
template <class F>
std::string PlainMessage(F&& aCall) {
  try {
    aCall();
  } catch (const mox::EmoxException&) {
    return "component exception";
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return {};
}

}  // namespace

TEST(TmoxNFeXMLLogs, LoadLogThreeForms) {
  moxtest::TempDir dir;
  const std::string xml = "<retConsReciNFe><cStat>104</cStat></retConsReciNFe>";
  moxtest::WriteText(dir.file("com-bom-rec.xml"), "\xEF\xBB\xBF" + xml);

  EXPECT_EQ(TmoxNFeXMLLogs::LoadLog(dir.file("com-bom-rec.xml"), "/nao/usada"), xml);  // absolute path
  EXPECT_EQ(TmoxNFeXMLLogs::LoadLog("com-bom-rec.xml", dir.str()), xml);              // name in the folder
  EXPECT_EQ(TmoxNFeXMLLogs::LoadLog("outra\\com-bom-rec.xml", dir.str()), xml);       // only the name counts
  EXPECT_EQ(TmoxNFeXMLLogs::LoadLog("com-bom-rec.xml", dir.path().string()), xml);    // folder without separator
  EXPECT_EQ(TmoxNFeXMLLogs::LoadLog("nao-existe-rec.xml", dir.str()), "nao-existe-rec.xml");
  EXPECT_EQ(TmoxNFeXMLLogs::LoadLog("com-bom-rec.xml", ""), "com-bom-rec.xml");
  EXPECT_EQ(TmoxNFeXMLLogs::LoadLog("\xEF\xBB\xBF" + xml, dir.str()), xml);  // the text itself
  EXPECT_EQ(TmoxNFeXMLLogs::LoadLog("", dir.str()), "");

  const std::string faltando = dir.file("faltando-rec.xml");
  EXPECT_EQ(RaisedBy([&] { TmoxNFeXMLLogs::LoadLog(faltando, dir.str()); }),
            (Raised{"EmoxNFeLogNotFoundException", "Arquivo de Log " + faltando + " não existe."}));
  // A folder is not a log file.
  EXPECT_EQ(RaisedBy([&] { TmoxNFeXMLLogs::LoadLog(dir.path().string(), ""); }).className,
            "EmoxNFeLogNotFoundException");
}

TEST(TmoxNFeXMLLogs, SignedNoteOfTheSendLog) {
  moxtest::TempDir dir;
  moxtest::WriteText(dir.file("lote-env-lot.xml"), Envio());
  for (size_t i = 0; i < kChaves.size(); ++i) {
    SCOPED_TRACE(i);
    const std::string nota = TmoxNFeXMLLogs::AchaNFeAssinadaLogEnvio(kChaves[i], "lote-env-lot.xml", dir.str());
    EXPECT_EQ(nota.rfind("<NFe xmlns=\"http://www.portalfiscal.inf.br/nfe\"><infNFe Id=\"NFe" + kChaves[i], 0), 0u)
        << nota;
    EXPECT_EQ(nota.substr(nota.size() - 18), "</Signature></NFe>");
    EXPECT_EQ(nota.find(kChaves[(i + 1) % 3]), std::string::npos);
  }
  // Letter case is ignored; only an uppercase N is refused.
  EXPECT_NE(TmoxNFeXMLLogs::AchaNFeAssinadaLogEnvio("nfe" + kChaves[1], Envio(), "").find(kChaves[1]),
            std::string::npos);
  EXPECT_EQ(TmoxNFeXMLLogs::AchaNFeAssinadaLogEnvio("35140312345678000195550010000009991123456780", Envio(), ""), "");
  EXPECT_EQ(PlainMessage([] { TmoxNFeXMLLogs::AchaNFeAssinadaLogEnvio("NFe" + kChaves[0], Envio(), ""); }),
            "A Chave deve ser composta apenas por Números");

  // A note quoting another note's key (a referenced note) is not taken for that note.
  std::string comReferencia = Envio();
  comReferencia.insert(comReferencia.find("<tpAmb>"), "<NFref><refNFe>" + kChaves[2] + "</refNFe></NFref>");
  const std::string terceira = TmoxNFeXMLLogs::AchaNFeAssinadaLogEnvio(kChaves[2], comReferencia, "");
  EXPECT_NE(terceira.find("Id=\"NFe" + kChaves[2]), std::string::npos) << terceira;
  EXPECT_EQ(terceira.find("<refNFe>"), std::string::npos);

  moxtest::WriteText(dir.file("vazio-env-lot.xml"), "\xEF\xBB\xBF");
  EXPECT_EQ(RaisedBy([&] { TmoxNFeXMLLogs::AchaNFeAssinadaLogEnvio(kChaves[0], "vazio-env-lot.xml", dir.str()); }),
            (Raised{"EmoxNFeCheckParams", "Arquivo de Log Vazio"}));
  for (const auto& log : std::vector<std::string>{Recibo(), "<enviNFe><NFe>"}) {
    EXPECT_EQ(RaisedBy([&] { TmoxNFeXMLLogs::AchaNFeAssinadaLogEnvio(kChaves[0], log, ""); }),
              (Raised{"EmoxNFeCheckParams", "Arquivo Log não contém Chave de NFe ou é inválido."}));
  }
}

TEST(TmoxNFeXMLLogs, ProtocolOfTheReceiptAnswer) {
  const std::string recibo = Recibo();
  const std::string prot = TmoxNFeXMLLogs::AchaInfProtLogConsRec(kChaves[2], recibo, "");
  EXPECT_EQ(prot.rfind("<infProt xmlns=\"http://www.portalfiscal.inf.br/nfe\" Id=\"ID135140000000103\">", 0), 0u)
      << prot;
  EXPECT_EQ(mox::GetValueTag("chNFe", prot), kChaves[2]);
  EXPECT_EQ(TmoxNFeXMLLogs::AchaInfProtLogConsRec(kChaves[1], recibo, "").find("<cStat>302</cStat>") != std::string::npos,
            true);
  EXPECT_EQ(TmoxNFeXMLLogs::AchaInfProtLogConsRec("35140312345678000195550010000009991123456780", recibo, ""), "");
  EXPECT_EQ(RaisedBy([&] { TmoxNFeXMLLogs::AchaInfProtLogConsRec("N" + kChaves[0], recibo, ""); }),
            (Raised{"EmoxChaveNFeException", "A Chave deve ser composta apenas por Números"}));

  // Each note of the batch pairs with its own protocol by digest.
  const std::string envio = Envio();
  for (size_t i = 0; i < kChaves.size(); ++i) {
    const std::string nota = TmoxNFeXMLLogs::AchaNFeAssinadaLogEnvio(kChaves[i], envio, "");
    for (size_t j = 0; j < kChaves.size(); ++j)
      EXPECT_EQ(mox::CompareDigValLogsNFe(nota, TmoxNFeXMLLogs::AchaInfProtLogConsRec(kChaves[j], recibo, "")), i == j)
          << i << " x " << j;
  }
}

TEST(TmoxNFeXMLLogs, ProtocolOfTheInvoiceQuery) {
  const std::string consulta =
      "<retConsSitNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><cStat>100</cStat><protNFe "
      "versao=\"3.10\"><infProt><chNFe>" +
      kChaves[0] + "</chNFe><cStat>100</cStat></infProt></protNFe></retConsSitNFe>";
  // The key is not compared: the answer is about one note.
  EXPECT_EQ(TmoxNFeXMLLogs::AchaInfProtLogConsNF(kChaves[1], consulta, ""),
            "<infProt xmlns=\"http://www.portalfiscal.inf.br/nfe\"><chNFe>" + kChaves[0] +
                "</chNFe><cStat>100</cStat></infProt>");
  EXPECT_EQ(TmoxNFeXMLLogs::AchaInfProtLogConsNF(kChaves[0], "<retConsSitNFe/>", ""), "");
  EXPECT_EQ(PlainMessage([&] { TmoxNFeXMLLogs::AchaInfProtLogConsNF("NFe", consulta, ""); }),
            "A Chave deve ser composta apenas por Números");
}

TEST(TmoxNFeXMLLogs, KeysOfReceiptAndSendLogs) {
  moxtest::TempDir dir;
  moxtest::WriteText(dir.file("recibo-pro-rec.xml"), Recibo());
  std::vector<std::string> lista{"anterior"};
  TmoxNFeXMLLogs::ListaChavesLogRecibo("recibo-pro-rec.xml", 100, &lista, dir.str());
  EXPECT_EQ(lista, (std::vector<std::string>{"anterior", kChaves[0], kChaves[2]}));
  std::vector<std::string> denegadas;
  TmoxNFeXMLLogs::ListaChavesLogRecibo(Recibo(), 302, &denegadas, "");
  EXPECT_EQ(denegadas, std::vector<std::string>{kChaves[1]});
  std::vector<std::string> nenhuma;
  TmoxNFeXMLLogs::ListaChavesLogRecibo(Recibo(), 150, &nenhuma, "");
  EXPECT_TRUE(nenhuma.empty());

  EXPECT_EQ(RaisedBy([&] { TmoxNFeXMLLogs::ListaChavesLogRecibo(Recibo(), 0, &nenhuma, ""); }),
            (Raised{"EmoxNFeCheckParams", "O cStat deve ser informado."}));
  EXPECT_EQ(RaisedBy([&] { TmoxNFeXMLLogs::ListaChavesLogRecibo(Recibo(), -1, nullptr, ""); }).message,
            "O cStat deve ser informado.");
  EXPECT_EQ(RaisedBy([&] { TmoxNFeXMLLogs::ListaChavesLogRecibo(Recibo(), 100, nullptr, ""); }),
            (Raised{"EmoxNFeCheckParams", "Lista não foi instanciada."}));

  std::vector<std::string> chaves;
  TmoxNFeXMLLogs::ListaChavesLogEnv(Envio(), &chaves, "");
  EXPECT_EQ(chaves, kChaves);
  EXPECT_EQ(RaisedBy([] { TmoxNFeXMLLogs::ListaChavesLogEnv(Envio(), nullptr, ""); }),
            (Raised{"EmoxNFeCheckParams", "Lista não foi instanciada."}));
}
