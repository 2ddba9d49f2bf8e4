// A signed document is copied from the text it was read from when that text is already what
// libxml2 writes back. Both roads must give the same bytes: each case is signed from its text
// (copied when the form is accepted) and from the parsed document (always written in full).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "external/CertificateCache.h"
#include "external/EKivoException.h"
#include "external/XmlDocument.h"
#include "external/XmlDumpForm.h"
#include "external/XmlSigner.h"
#include "support/TestCertificates.h"
#include "support/TestSupport.h"

namespace {

using mox::XmlDocument;

class XmlDumpFormTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    moxtest::TempDir dir;
    const std::string pfx = moxtest::WritePfx(dir.file("empresa.pfx"), moxtest::Pki().Company, "segredo");
    mox::CertificateCache cache;
    signer_ = new mox::XmlSigner(cache.Load(pfx, {"segredo"}));
  }
  static void TearDownTestSuite() {
    delete signer_;
    signer_ = nullptr;
  }

  // Signed from the text, and from the document read from it, written in full.
  static std::pair<std::string, std::string> BothRoads(const std::string& aXml, const std::vector<std::string>& aIds) {
    std::string fromText = signer_->Sign(aXml, "", aIds);
    XmlDocument doc = XmlDocument::Parse(aXml);
    std::string written = signer_->Sign(doc, "", aIds);
    return {std::move(fromText), std::move(written)};
  }

  static mox::XmlSigner* signer_;
};

mox::XmlSigner* XmlDumpFormTest::signer_ = nullptr;

struct FormCase {
  const char* what;
  std::string xml;
  std::vector<std::string> ids;
  bool accepted;  // the text is taken as it stands
};

std::string Nota(const std::string& aInside) { return "<NFe><infNFe Id=\"N1\">" + aInside + "</infNFe></NFe>"; }

const std::vector<FormCase>& FormCases() {
  const std::string ns = "http://www.portalfiscal.inf.br/nfe";
  static const std::vector<FormCase> cases{
      {"plain", Nota("<a>1</a><b>x y</b>"), {"N1"}, true},
      {"declaration, mark and content outside the root",
       "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- antes -->\n" + Nota("<a>1</a>") +
           "\n<?fim x?>\n<!-- depois -->\n",
       {"N1"},
       true},
      {"UTF-8 text", Nota("<xNome>Ação Ñandu ü € 𝄞</xNome>"), {"N1"}, true},
      {"references written back", Nota("<a>A &amp; B &lt; C &gt; D</a>"), {"N1"}, true},
      {"references in an attribute", Nota("<a v=\"&amp;&lt;&gt;&quot;'\">1</a>"), {"N1"}, true},
      {"namespace declarations first", "<NFe xmlns=\"" + ns + "\" xmlns:x=\"urn:x\" versao=\"4.00\"><infNFe Id=\"N1\" versao=\"4.00\"><a>1</a></infNFe></NFe>", {"N1"}, true},
      {"elements without content", Nota("<a/><b c=\"1\"/><d>2</d>"), {"N1"}, true},
      {"blanks between elements", "<NFe>\n  <infNFe Id=\"N1\">\n\t<a>1</a>\n  </infNFe>\n</NFe>\n", {"N1"}, true},
      {"signed element with no content", "<NFe><infNFe Id=\"N1\"/></NFe>", {"N1"}, true},
      {"several notes, signed out of order",
       "<enviNFe><idLote>1</idLote><vazio/><NFe><infNFe Id=\"A\"><a>1</a></infNFe></NFe>\n<NFe><infNFe Id=\"B\"><a>2</a></infNFe></NFe></enviNFe>",
       {"B", "A"},
       true},
      {"targets under the root and under a child",
       "<lote><infR Id=\"R\">1</infR><NFe><infNFe Id=\"C\">2</infNFe></NFe><fim/></lote>",
       {"C", "R"},
       true},
      {"two targets under one parent", "<NFe><infA Id=\"A\">1</infA><infB Id=\"B\">2</infB></NFe>", {"A", "B"}, true},
      {"parent deeper than a child of the root", "<a><b><c><d Id=\"D\">1</d></c></b></a>", {"D"}, true},
      {"start and end tags in one", Nota("<a></a>"), {"N1"}, false},
      {"blank before >", Nota("<a >1</a>"), {"N1"}, false},
      {"blank in an end tag", Nota("<a>1</a >"), {"N1"}, false},
      {"two blanks between attributes", Nota("<a b=\"1\"  c=\"2\">1</a>"), {"N1"}, false},
      {"line break between attributes", Nota("<a b=\"1\"\nc=\"2\">1</a>"), {"N1"}, false},
      {"blanks around =", Nota("<a b = \"1\">1</a>"), {"N1"}, false},
      {"single quotes", Nota("<a b='1'>1</a>"), {"N1"}, false},
      {"namespace declaration after an attribute", "<NFe versao=\"4.00\" xmlns=\"" + ns + "\"><infNFe Id=\"N1\">1</infNFe></NFe>", {"N1"}, false},
      {"empty default namespace", "<NFe xmlns=\"" + ns + "\"><infNFe Id=\"N1\"><a xmlns=\"\">1</a></infNFe></NFe>", {"N1"}, false},
      {"reference in a namespace name", "<NFe xmlns:x=\"urn:a&amp;b\"><infNFe Id=\"N1\">1</infNFe></NFe>", {"N1"}, false},
      {"> in text", Nota("<a>1 > 0</a>"), {"N1"}, false},
      {"carriage return in text", Nota("<a>1\r\n2</a>"), {"N1"}, false},
      {"&quot; in text", Nota("<a>&quot;1&quot;</a>"), {"N1"}, false},
      {"&apos; in text", Nota("<a>&apos;1</a>"), {"N1"}, false},
      {"decimal character reference", Nota("<a>&#65;</a>"), {"N1"}, false},
      {"hexadecimal character reference", Nota("<a>&#x41;</a>"), {"N1"}, false},
      {"tab in an attribute", Nota("<a b=\"1\t2\">1</a>"), {"N1"}, false},
      {"line break in an attribute", Nota("<a b=\"1\n2\">1</a>"), {"N1"}, false},
      {"> in an attribute", Nota("<a b=\"1>2\">1</a>"), {"N1"}, false},
      {"accented attribute", Nota("<a b=\"ação\">1</a>"), {"N1"}, false},
      {"comment inside the root", Nota("<!-- c --><a>1</a>"), {"N1"}, false},
      {"processing instruction inside the root", Nota("<?pi x?><a>1</a>"), {"N1"}, false},
      {"CDATA", Nota("<a><![CDATA[1 < 2]]></a>"), {"N1"}, false},
      {"prefixed element", Nota("<p:a xmlns:p=\"urn:p\">1</p:a>"), {"N1"}, false},
      {"prefixed attribute",
       "<NFe xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:schemaLocation=\"urn:x x.xsd\"><infNFe Id=\"N1\">1</infNFe></NFe>",
       {"N1"},
       false},
  };
  return cases;
}

TEST_F(XmlDumpFormTest, EveryFormGivesTheBytesOfTheWholeDocumentWritten) {
  for (const FormCase& c : FormCases()) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(mox::ScanXmlDumpForm(c.xml).has_value(), c.accepted);
    const auto [fromText, written] = BothRoads(c.xml, c.ids);
    EXPECT_EQ(fromText, written);
    EXPECT_NE(fromText.find("<SignatureValue>"), std::string::npos);
  }
}

// Every cut of a document the scan accepts is refused, read only within its own bytes (each cut
// in a block of its exact size, for memory checkers).
TEST(XmlDumpFormScan, CutTextsAreRefused) {
  const std::string whole = "<?xml version=\"1.0\"?><NFe xmlns=\"urn:n\"><infNFe Id=\"N1\"><a>1 &amp; 2</a><b c=\"&quot;x\"/></infNFe></NFe>";
  ASSERT_TRUE(mox::ScanXmlDumpForm(whole).has_value());
  for (size_t n = 0; n < whole.size(); ++n) {
    std::unique_ptr<char[]> cut(new char[n]);
    std::memcpy(cut.get(), whole.data(), n);
    EXPECT_FALSE(mox::ScanXmlDumpForm(std::string_view(cut.get(), n)).has_value()) << whole.substr(0, n);
  }
}

// A signature of the same element already present is replaced: the document is written in full.
TEST_F(XmlDumpFormTest, ASignatureReplacedGivesTheSameBytesAsTheWholeDocumentWritten) {
  const std::string once = signer_->Sign(Nota("<a>1</a>"), "", std::vector<std::string>{"N1"});
  ASSERT_TRUE(mox::ScanXmlDumpForm(once).has_value());
  const auto [fromText, written] = BothRoads(once, {"N1"});
  EXPECT_EQ(fromText, written);
  EXPECT_EQ(fromText, once);
}

// Characters changed, inserted and removed all over a real note: wherever the result is still
// a document with the signed element, both roads agree.
TEST_F(XmlDumpFormTest, MutatedNotesGiveTheSameBytesOnBothRoads) {
  std::string note = moxtest::ReadText(moxtest::Fixture("xml/nfe310-assinada-ficticia.xml"));
  const auto start = note.find("<Signature");
  ASSERT_NE(start, std::string::npos);
  note.erase(start, note.find("</Signature>") + 12 - start);
  const std::string id = "NFe35140312345678000195550010000001241123456788";
  ASSERT_TRUE(mox::ScanXmlDumpForm(note).has_value());  // the unedited note is copied
  struct Edit {
    std::string text;
    bool replaces;  // the character at the place, else inserted before it
  };
  const std::vector<Edit> edits{{" ", false},  {"\n", false}, {"\r", false},      {">", false},
                                {"&amp;", false}, {"&#65;", false}, {"<a></a>", false}, {"ç", false},
                                {"'", false},  {"\"", true},  {" ", true},         {"", true}};
  mox::XmlErrorCollector quiet;  // texts the signer refuses make libxml2 complain
  // Every place of the opening tags, then places spread over the rest.
  for (size_t at = 0; at < note.size(); at += at < 300 ? 1 : 97) {
    for (const Edit& edit : edits) {
      std::string xml = note;
      if (edit.replaces)
        xml.replace(at, 1, edit.text);
      else
        xml.insert(at, edit.text);
      if (!XmlDocument::IsWellFormed(xml)) continue;
      std::pair<std::string, std::string> roads;
      try {
        roads = BothRoads(xml, {id});
      } catch (const mox::EKivoException&) {
        continue;  // the Id or its element was edited away
      }
      SCOPED_TRACE("at " + std::to_string(at) + (edit.replaces ? " replaced by \"" : " inserted \"") + edit.text + "\"");
      ASSERT_EQ(roads.first, roads.second);
    }
  }
}

}  // namespace
