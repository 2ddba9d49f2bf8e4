// Invoices inside batch texts: keys, counts and each note's XML.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "external/EKivoException.h"
#include "support/TestSupport.h"
#include "utils/TmoxNFeXmlUtils.h"
#include "utils/UtilsTestSupport.h"

using mox::TmoxNFeXmlUtils;
using moxtest::Raised;
using moxtest::RaisedBy;

namespace {

const std::vector<std::string>& kChaves = moxtest::kChavesLote;

std::string Fixture(const std::string& aName) { return moxtest::ReadText(moxtest::Fixture(aName)); }
std::string Envio() { return Fixture("lote/envio-lote-3-notas.xml"); }
std::string Procs() { return Fixture("lote/lote-2-nfeproc.xml"); }

bool StartsWith(const std::string& s, const std::string& p) { return s.rfind(p, 0) == 0; }
bool EndsWith(const std::string& s, const std::string& e) {
  return s.size() >= e.size() && s.compare(s.size() - e.size(), e.size(), e) == 0;
}

}  // namespace

TEST(TmoxNFeXmlUtils, IdOfTheNote) {
  const std::string nota = Fixture("xml/nfe310-assinada-ficticia.xml");
  EXPECT_EQ(TmoxNFeXmlUtils::getIDNotaXPath(nota, true), "NFe" + kChaves[0]);
  EXPECT_EQ(TmoxNFeXmlUtils::getIDNotaXPath(nota, false), kChaves[0]);
  // In a batch the first note answers.
  EXPECT_EQ(TmoxNFeXmlUtils::getIDNotaXPath(Envio(), false), kChaves[0]);
  EXPECT_EQ(TmoxNFeXmlUtils::getIDNotaXPath("<retConsReciNFe/>", true), "");
  // A note outside the NF-e namespace is not one.
  EXPECT_EQ(TmoxNFeXmlUtils::getIDNotaXPath("<infNFe Id=\"NFe" + kChaves[0] + "\"/>", true), "");
  EXPECT_THROW(TmoxNFeXmlUtils::getIDNotaXPath("<NFe><infNFe", true), mox::EKivoException);
}

TEST(TmoxNFeXmlUtils, GetXMLAttribute) {
  const std::string nota = Fixture("xml/nfe310-assinada-ficticia.xml");
  EXPECT_EQ(TmoxNFeXmlUtils::GetXMLAttribute(nota, "infNFe", "versao"), "3.10");
  EXPECT_EQ(TmoxNFeXmlUtils::GetXMLAttribute(nota, "det", "nItem"), "1");
  EXPECT_EQ(TmoxNFeXmlUtils::GetXMLAttribute(nota, "Reference", "URI"), "#NFe" + kChaves[0]);
  EXPECT_EQ(TmoxNFeXmlUtils::GetXMLAttribute(nota, "nfeProc", "versao"), "");
  EXPECT_EQ(TmoxNFeXmlUtils::GetXMLAttribute(nota, "infNFe", "naoExiste"), "");
  // A tag that breaks the query and a text that is not XML both end in the component's message.
  EXPECT_EQ(RaisedBy([&] { TmoxNFeXmlUtils::GetXMLAttribute(nota, "in\"fNFe", "versao"); }),
            (Raised{"EmoxNFeException", "Problema ao localizar o atributo : versao  na tag: in\"fNFe do Xml"}));
  EXPECT_EQ(RaisedBy([] { TmoxNFeXmlUtils::GetXMLAttribute("<a versao='1'>", "a", "versao"); }).message,
            "Problema ao localizar o atributo : versao  na tag: a do Xml");
}

TEST(TmoxNFeXmlUtils, NotesByTextSearch) {
  const std::string envio = Envio();
  EXPECT_EQ(TmoxNFeXmlUtils::GetNumNotas(envio), 3);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const std::string nota = TmoxNFeXmlUtils::GetNota(i, envio, false);
    EXPECT_TRUE(StartsWith(nota, "<infNFe Id=\"NFe" + kChaves[static_cast<size_t>(i)] + "\""));
    EXPECT_TRUE(EndsWith(nota, "</infNFe>"));
    EXPECT_EQ(nota.find("<Signature"), std::string::npos);
  }
  EXPECT_EQ(TmoxNFeXmlUtils::GetNota(3, envio, false), "");
  EXPECT_EQ(TmoxNFeXmlUtils::GetNota(-1, envio, false), "");
  EXPECT_EQ(TmoxNFeXmlUtils::GetNota(0, envio, true), "");  // no protocol in a send batch

  const std::string procs = Procs();
  const std::string aprovada = TmoxNFeXmlUtils::GetNota(1, procs, true);
  EXPECT_TRUE(StartsWith(aprovada, "<infNFe Id=\"NFe" + kChaves[2]));
  EXPECT_TRUE(EndsWith(aprovada, "<cStat>100</cStat><xMotivo>Autorizado o uso da NF-e</xMotivo></infProt></protNFe>"));
  EXPECT_NE(aprovada.find("<DigestValue>"), std::string::npos);

  // The consumer invoice's infNFeSupl is not a note.
  const std::string nfce = "<NFe><infNFe Id=\"NFe1\">a</infNFe><infNFeSupl><qrCode>x</qrCode></infNFeSupl></NFe>"
                           "<NFe><infNFe\nId=\"NFe2\">b</infNFe></NFe>";
  EXPECT_EQ(TmoxNFeXmlUtils::GetNumNotas(nfce), 2);
  EXPECT_EQ(TmoxNFeXmlUtils::GetNota(1, nfce, false), "<infNFe\nId=\"NFe2\">b</infNFe>");
  EXPECT_EQ(TmoxNFeXmlUtils::GetNumNotas(""), 0);
}

TEST(TmoxNFeXmlUtils, NotesByXPath) {
  const std::string envio = Envio(), procs = Procs();
  EXPECT_EQ(TmoxNFeXmlUtils::GetNumNotasXPath(envio), 3);
  EXPECT_EQ(TmoxNFeXmlUtils::GetNumNotasXPath(procs), 2);
  EXPECT_EQ(TmoxNFeXmlUtils::GetNumNotasXPath(Fixture("xml/nfe310-assinada-ficticia.xml")), 1);
  EXPECT_EQ(TmoxNFeXmlUtils::GetNumNotasXPath("<enviNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\"/>"), 0);

  for (size_t i = 0; i < 3; ++i) {
    const std::string nota = TmoxNFeXmlUtils::getNotaXPath(static_cast<int>(i), envio, false);
    EXPECT_TRUE(StartsWith(nota, "<infNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" Id=\"NFe" + kChaves[i])) << nota;
  }
  EXPECT_EQ(TmoxNFeXmlUtils::getNotaXPath(3, envio, false), "");
  EXPECT_EQ(TmoxNFeXmlUtils::getNotaXPath(-1, envio, false), "");
  EXPECT_EQ(TmoxNFeXmlUtils::getNotaXPath(0, envio, true), "");

  // Alternating batches and paths: each answer belongs to the batch and path asked for.
  const std::string proc1 = TmoxNFeXmlUtils::getNotaXPath(1, procs, true);
  EXPECT_TRUE(StartsWith(proc1, "<nfeProc")) << proc1;
  EXPECT_NE(proc1.find(kChaves[2]), std::string::npos);
  EXPECT_NE(proc1.find("<protNFe"), std::string::npos);
  EXPECT_NE(TmoxNFeXmlUtils::getNotaXPath(1, procs, false).find(kChaves[2]), std::string::npos);
  EXPECT_NE(TmoxNFeXmlUtils::getNotaXPath(1, envio, false).find(kChaves[1]), std::string::npos);
  EXPECT_NE(TmoxNFeXmlUtils::getNotaXPath(1, procs, true).find(kChaves[2]), std::string::npos);

  EXPECT_THROW(TmoxNFeXmlUtils::getNotaXPath(0, "<enviNFe>", false), mox::EKivoException);
  // A failed parse leaves nothing stale behind.
  EXPECT_NE(TmoxNFeXmlUtils::getNotaXPath(0, envio, false).find(kChaves[0]), std::string::npos);
}

TEST(SelectNodesCached, AnswersBelongToTheTextAsked) {
  // More texts than the cache keeps, texts differing only near their end, asked in turns.
  std::vector<std::string> textos;
  for (int i = 0; i < 7; ++i)
    textos.push_back("<r xmlns=\"http://www.portalfiscal.inf.br/nfe\"><infNFe Id=\"a\"/><infNFe Id=\"" +
                     std::to_string(i) + "\"/></r>");
  for (int volta = 0; volta < 3; ++volta)
    for (size_t i = 0; i < textos.size(); ++i) {
      const std::string nota = TmoxNFeXmlUtils::getNotaXPath(1, textos[i], false);
      EXPECT_NE(nota.find("Id=\"" + std::to_string(i) + "\""), std::string::npos) << nota;
    }
}
