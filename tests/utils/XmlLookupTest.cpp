// Free lookups in XML texts and the escaping of values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TestSupport.h"
#include "utils/UtilsTestSupport.h"
#include "utils/moxXmlLookup.h"

using namespace mox;
using moxtest::Raised;
using moxtest::RaisedBy;

TEST(GetValueTag, PlainTextSearch) {
  struct Case {
    const char* name;
    std::string tag, xml, esperado;
  };
  const std::string prot =
      "<protNFe versao=\"3.10\"><infProt Id=\"ID1\"><nProt>135</nProt><cStat>100</cStat></infProt></protNFe>";
  const std::vector<Case> cases = {
      {"element content", "nRec", "<infRec><nRec>351000000012345</nRec></infRec>", "351000000012345"},
      {"first occurrence", "cStat", "<a><cStat>104</cStat><b><cStat>100</cStat></b></a>", "104"},
      {"NF-e default namespace dropped", "retConsReciNFe",
       "<retConsReciNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\"><cStat>104</cStat></retConsReciNFe>",
       "<cStat>104</cStat>"},
      {"content with markup", "infProt", "<infProt><nProt>1</nProt></infProt>", "<nProt>1</nProt>"},
      {"attribute on the element: from character 9 of the input", "infProt", prot,
       prot.substr(8, prot.find("</infProt>") - 8)},
      {"no closing tag", "nRec", "<nRec>123", ""},
      {"closing before opening", "b", "<a></b><b>", ""},
      {"empty text", "nRec", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(GetValueTag(c.tag, c.xml), c.esperado) << c.name;
  EXPECT_EQ(GetValueTagFilho("infRec", "nRec", "<nRec>0</nRec><infRec><tMed>1</tMed><nRec>42</nRec></infRec>"), "42");
  EXPECT_EQ(GetValueTagFilho("dest", "CNPJ", "<emit><CNPJ>1</CNPJ></emit><dest><CNPJ>2</CNPJ></dest>"), "2");
}

TEST(CompareDigValLogsNFe, DigestAgainstProtocol) {
  const std::string envio = "<Signature><DigestValue>abc=</DigestValue></Signature>";
  EXPECT_TRUE(CompareDigValLogsNFe(envio, "<infProt><digVal>abc=</digVal></infProt>"));
  EXPECT_FALSE(CompareDigValLogsNFe(envio, "<infProt><digVal>abd=</digVal></infProt>"));
  EXPECT_FALSE(CompareDigValLogsNFe(envio, "<infProt><digVal>ABC=</digVal></infProt>"));
  // An unsigned note never matches a protocol without digVal.
  EXPECT_FALSE(CompareDigValLogsNFe("<NFe/>", "<infProt><cStat>204</cStat></infProt>"));
}

TEST(ValidaAssinatura, ExactStartTag) {
  EXPECT_TRUE(ValidaAssinatura(moxtest::ReadText(moxtest::Fixture("xml/nfe310-assinada-ficticia.xml"))));
  EXPECT_TRUE(ValidaAssinatura("<x><Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\"></Signature></x>"));
  for (const std::string texto : {"<Signature xmlns='http://www.w3.org/2000/09/xmldsig#'>",
                                  "<Signature Id=\"s\" xmlns=\"http://www.w3.org/2000/09/xmldsig#\">",
                                  "<ds:Signature xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\">", "<Signature>", ""})
    EXPECT_FALSE(ValidaAssinatura(texto)) << texto;
}

TEST(GetReferenceInfo, FirstIdAnywhere) {
  EXPECT_EQ(GetReferenceInfo(moxtest::ReadText(moxtest::Fixture("xml/nfe310-assinada-ficticia.xml"))),
            "NFe35140312345678000195550010000001241123456788");
  EXPECT_EQ(GetReferenceInfo("<envEvento><evento><infEvento Id=\"ID1101113514\"/></evento></envEvento>"),
            "ID1101113514");
  EXPECT_EQ(RaisedBy([] { GetReferenceInfo("<infEvento id=\"x\"/>"); }),
            (Raised{"EmoxNFeException", "Campo Id não encontrado para nota fiscal"}));
}

TEST(GetRetEvento, FirstRetEventoElement) {
  const std::string resposta =
      "<soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\"><soap:Body><retEnvEvento "
      "xmlns=\"http://www.portalfiscal.inf.br/nfe\"><cStat>128</cStat><retEvento versao=\"1.00\"><infEvento>"
      "<cStat>135</cStat></infEvento></retEvento><retEvento versao=\"1.00\"/></retEnvEvento></soap:Body>"
      "</soap:Envelope>";
  EXPECT_EQ(GetRetEvento(resposta),
            "<retEvento xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"1.00\"><infEvento><cStat>135</cStat>"
            "</infEvento></retEvento>");
  EXPECT_EQ(RaisedBy([] { GetRetEvento("<retEnvEvento><cStat>215</cStat></retEnvEvento>"); }),
            (Raised{"EmoxEventoRetException", "Não foi possível encontrar a tag RetEvento do XML."}));
}

TEST(EscapeCaracteres, EscapesOnceAndKeepsEntities) {
  struct Case {
    std::string valor, esperado;
  };
  const std::vector<Case> cases = {
      {"a<b&c", "a&lt;b&amp;c"},
      {"'\"<>&", "&apos;&quot;&lt;&gt;&amp;"},
      {"&apos;&quot;&lt;&gt;&amp;", "&apos;&quot;&lt;&gt;&amp;"},
      {"&#233; &nbsp; &amp", "&amp;#233; &amp;nbsp; &amp;amp"},
      {"AT&T; R&D", "AT&amp;T; R&amp;D"},
      {"ação 5 > 3", "ação 5 &gt; 3"},
      {"", ""},
      {"&", "&amp;"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EscapeCaracteres(c.valor), c.esperado) << c.valor;
    EXPECT_EQ(EscapeCaracteres(c.esperado), c.esperado) << "twice: " << c.valor;
  }
}
