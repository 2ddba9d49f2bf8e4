// The recipient documents assembled from a batch-send log and a receipt or invoice-query log.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/SandboxDeTeste.h"
#include "support/TestSupport.h"
#include "utils/TmoxNFeXmlDestinatario.h"
#include "UtilsTestSupport.h"

using mox::TmoxNFeXmlDestinatario;
using moxtest::kChavesLote;

namespace {

constexpr const char* kRecibo = "351000000012345";
constexpr const char* kModelo =
    "<nfeProc xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\">%s<protNFe versao=\"3.10\">%s</protNFe>"
    "</nfeProc>";

class XmlDestinatario : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir.path() / "Log");
    std::filesystem::create_directories(dir.path() / "Dest");
    moxtest::WriteText(dir.path() / "Log/1-env-lot.xml", moxtest::ReadText(moxtest::Fixture("lote/envio-lote-3-notas.xml")));
    recibo = moxtest::ReadText(moxtest::Fixture("lote/ret-cons-reci-3-protocolos.xml"));
    moxtest::WriteText(dir.path() / "Dest" / kRecibo, "env-lot=1-env-lot.xml");
    x.SetDiretorioLog(dir.str() + "Log/");
    x.SetDiretorioXmlDestinatario(dir.str() + "Dest/");
    x.SetTemplate(kModelo);
    x.OnXmlDestinatario = [this](const std::string& f) { avisos.push_back(f); };
  }
  std::string Dest(const std::string& aNome) { return dir.str() + "Dest/" + aNome; }
  void Recibo(const std::string& aTexto) {
    moxtest::WriteText(dir.path() / "Log/2-pro-rec.xml", aTexto);
    x.SetLogConsRec("2-pro-rec.xml");
  }

  moxtest::TempDir dir;
  TmoxNFeXmlDestinatario x;
  std::string recibo;
  std::vector<std::string> avisos;
};

TEST_F(XmlDestinatario, ReciboComDuasAutorizadasEUmaDenegada) {
  Recibo(recibo);
  x.GerarXmlDestinatario(kRecibo);
  EXPECT_EQ(avisos, (std::vector<std::string>{Dest(kChavesLote[0] + "-nfe.xml"), Dest(kChavesLote[2] + "-nfe.xml"),
                                              Dest(kChavesLote[1] + "-den.xml")}));
  EXPECT_FALSE(std::filesystem::exists(Dest(kRecibo)));
  const std::string proc = moxtest::ReadText(Dest(kChavesLote[2] + "-nfe.xml"));
  EXPECT_TRUE(proc.starts_with("<nfeProc xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><NFe"));
  EXPECT_NE(proc.find("<infNFe Id=\"NFe" + kChavesLote[2] + "\" versao=\"3.10\">"), std::string::npos);
  EXPECT_NE(proc.find("<protNFe versao=\"3.10\"><infProt Id=\"ID135140000000103\"><tpAmb>"), std::string::npos) << proc;
  EXPECT_TRUE(proc.ends_with("</protNFe></nfeProc>\r\n"));
  EXPECT_NE(moxtest::ReadText(Dest(kChavesLote[1] + "-den.xml")).find("<cStat>302</cStat>"), std::string::npos);
}

TEST_F(XmlDestinatario, DigValDiferenteGravaOArquivoDeErro) {
  moxtest::Troca(recibo, "<digVal>dGhpcmQgbm90ZSBkaWdlc3QgdmFsdWU=</digVal>", "<digVal>b3V0cm8=</digVal>");
  Recibo(recibo);
  x.GerarXmlDestinatario(kRecibo);
  EXPECT_EQ(moxtest::ReadText(Dest("Erro-" + kChavesLote[2])),
            "O digVal encontrado no Xml de Envio dGhpcmQgbm90ZSBkaWdlc3QgdmFsdWU= difere do digVal de processamento "
            "b3V0cm8=\r\n");
  EXPECT_FALSE(std::filesystem::exists(Dest(kChavesLote[2] + "-nfe.xml")));
}

TEST_F(XmlDestinatario, ProtocoloNaoAutorizadoViraOTextoDoErro) {
  moxtest::Troca(recibo, "<cStat>100</cStat><xMotivo>Autorizado o uso da NF-e</xMotivo></infProt></protNFe>",
                 "<cStat>204</cStat><xMotivo>Duplicidade de NF-e</xMotivo></infProt></protNFe>");
  Recibo(recibo);
  x.SetLogEnvio("1-env-lot.xml");
  x.SetChaveNFe(kChavesLote[0]);
  EXPECT_EQ(x.GerarXmlDestinatario(), "O xml não está autorizado, cstat de retorno: 204");
  EXPECT_EQ(x.SalvarComo(), Dest("Erro-" + kChavesLote[0]));
  EXPECT_TRUE(std::filesystem::exists(Dest("Erro-" + kChavesLote[0])));
}

TEST_F(XmlDestinatario, ConsultaPorChaveReconstroiOProtocolo) {
  const std::string sit = "<retConsSitNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><tpAmb>2</tpAmb>"
                          "<cStat>100</cStat><protNFe versao=\"3.10\"><infProt Id=\"ID1\"><tpAmb>2</tpAmb>"
                          "<verAplic>SP</verAplic><chNFe>" + kChavesLote[1] + "</chNFe><dhRecbto>2014-03-15T10:00:05-03:00"
                          "</dhRecbto><nProt>135140000000102</nProt><digVal>c2Vjb25kIG5vdGUgZGlnZXN0IHZhbA==</digVal>"
                          "<cStat>150</cStat><xMotivo>Autorizado fora de prazo</xMotivo></infProt></protNFe></retConsSitNFe>";
  moxtest::WriteText(dir.path() / "Log/3-sit.xml", sit);
  moxtest::WriteText(dir.path() / "Dest" / kChavesLote[1], "env-lot=1-env-lot.xml");
  x.SetLogConsChave("3-sit.xml");
  x.GerarXmlDestinatario(kChavesLote[1]);
  ASSERT_EQ(avisos, (std::vector<std::string>{Dest(kChavesLote[1] + "-nfe.xml")}));
  EXPECT_NE(moxtest::ReadText(avisos[0]).find("<protNFe versao=\"3.10\"><infProt><tpAmb>2</tpAmb><verAplic>SP</verAplic>"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(Dest(kChavesLote[1])));
}

TEST_F(XmlDestinatario, NumeroQueNaoEReciboNemChave) {
  EXPECT_EQ(moxtest::RaisedBy([&] { x.GerarXmlDestinatario("12345"); }),
            (moxtest::Raised{"EmoxNFeXmlDestinatario",
                             "O Número informado: 12345 não se refere nem a um Recibo e nem a uma Chave de NFe"}));
  // Without the marker nothing is done.
  std::filesystem::remove(Dest(kRecibo));
  Recibo(recibo);
  x.GerarXmlDestinatario(kRecibo);
  EXPECT_TRUE(avisos.empty());
}

TEST(TrataXmlAssinado, IdAntesDeVersaoSemOQueHaviaEntreEles) {
  const std::string id = "Id=\"NFe" + kChavesLote[0] + "\"";
  EXPECT_EQ(TmoxNFeXmlDestinatario::TrataXmlAssinado("<NFe><infNFe " + id + " a=\"1\" versao=\"3.10\"><x/></infNFe></NFe>"),
            "<NFe><infNFe " + id + " versao=\"3.10\"><x/></infNFe></NFe>");
  const std::string antes = "<NFe><infNFe versao=\"3.10\" " + id + "><x/></infNFe></NFe>";
  EXPECT_EQ(TmoxNFeXmlDestinatario::TrataXmlAssinado(antes), antes);
}

}  // namespace
