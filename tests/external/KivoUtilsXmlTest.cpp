// XML queries, schema validation and safe parsing of the utility server.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "external/EKivoException.h"
#include "external/SchemaCache.h"
#include "external/TmoxKivoUtils.h"
#include "support/TestSupport.h"

using mox::EKivoException;
using mox::TmoxKivoUtils;

namespace {

const std::string kNfx = TmoxKivoUtils::kNfxDeclaration;

std::string Nfe310() { return moxtest::ReadText(moxtest::Fixture("xml/nfe310-assinada-ficticia.xml")); }

std::string Xsd(const std::string& aPackage, const std::string& aFile) {
  return (moxtest::SchemasDir() / aPackage / aFile).string();
}

const std::string kStatus =
    R"(<consStatServ xmlns="http://www.portalfiscal.inf.br/nfe" versao="3.10"><tpAmb>2</tpAmb><cUF>35</cUF><xServ>STATUS</xServ></consStatServ>)";

}  // namespace

TEST(KivoUtilsXPath, SelectSingleNodeTable) {
  struct Case {
    const char* name;
    std::string xpath;
    std::string ns;
    bool text;
    bool found;
    std::string value;  // expected value, or its beginning when prefixOnly
    bool prefixOnly;
  };
  const std::vector<Case> cases = {
      {"attribute through nfx", ".//nfx:infNFe/@Id", kNfx, true, true, "NFe35140312345678000195550010000001241123456788", false},
      {"element text through nfx", "//nfx:ide/nfx:cUF", kNfx, true, true, "35", false},
      {"local-name without binding", "//*[local-name()='nNF']", "", true, true, "124", false},
      {"plain name misses namespaced element", "//cUF", "", true, false, "", false},
      {"node XML carries inherited namespace", "//nfx:emit/nfx:enderEmit", kNfx, false, true,
       R"(<enderEmit xmlns="http://www.portalfiscal.inf.br/nfe"><xLgr>RUA DAS FLORES</xLgr>)", true},
      {"element text joins descendants", "//nfx:enderEmit/nfx:UF/..", kNfx, true, true, "RUA DAS FLORES100CENTRO", true},
      {"scalar result", "count(//nfx:det)", kNfx, true, true, "10", false},
      {"second item by position", "//nfx:det[2]/nfx:prod/nfx:cProd", kNfx, true, true, "PRD0002", false},
      {"double-quoted declaration", "//n:xNome", R"(xmlns:n="http://www.portalfiscal.inf.br/nfe")", true, true,
       "EMPRESA EMITENTE DE TESTE LTDA", false},
  };
  TmoxKivoUtils utils;
  const std::string xml = Nfe310();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string value = "unchanged";
    bool found = utils.XPathSelectSingleNode(xml, c.xpath, value, c.ns, c.text);
    EXPECT_EQ(found, c.found);
    if (!c.found) {
      EXPECT_EQ(value, "unchanged");
    } else if (c.prefixOnly) {
      EXPECT_EQ(value.substr(0, c.value.size()), c.value);
    } else {
      EXPECT_EQ(value, c.value);
    }
  }
}

TEST(KivoUtilsXPath, SelectNodesGivesSelfContainedXml) {
  TmoxKivoUtils utils;
  std::vector<std::string> nodes;
  ASSERT_TRUE(utils.XPathSelectNodes(Nfe310(), "//nfx:det", nodes, kNfx, true));
  ASSERT_EQ(nodes.size(), 10u);
  for (size_t i = 0; i < nodes.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(utils.IsValidXml(nodes[i]));
    EXPECT_EQ(utils.GetNodeNamespaceURI(nodes[i]), TmoxKivoUtils::kNFeNamespace);
    EXPECT_EQ(utils.GetXMLAttributeByIndex(nodes[i], "", 0), TmoxKivoUtils::kNFeNamespace);
    EXPECT_EQ(utils.GetXMLAttributeByIndex(nodes[i], "", 1), std::to_string(i + 1)) << "nItem after xmlns";
  }
  EXPECT_FALSE(utils.XPathSelectNodes(Nfe310(), "//nfx:nada", nodes, kNfx, false));
  EXPECT_TRUE(nodes.empty());
}

TEST(KivoUtilsXPath, ErrorsAreExceptions) {
  TmoxKivoUtils utils;
  std::string value;
  std::vector<std::string> nodes;
  const std::string xml = Nfe310();
  EXPECT_THROW(utils.XPathSelectSingleNode(xml, "//nfx:ide", value, "", true), EKivoException) << "unbound prefix";
  EXPECT_THROW(utils.XPathSelectSingleNode(xml, "//[", value, kNfx, true), EKivoException) << "bad expression";
  EXPECT_THROW(utils.XPathSelectNodes("<a><b></a>", "//b", nodes, "", true), EKivoException) << "malformed";
  EXPECT_THROW(utils.XPathSelectSingleNode(xml, "//x", value, "xmlns:x", true), EKivoException) << "bad declaration";
}

TEST(KivoUtilsXPath, PinnedExpressionsStayUsable) {
  TmoxKivoUtils utils;
  const std::string path = "//nfx:det/nfx:prod/nfx:vProd";
  utils.PreAddXPathCache(path);
  std::vector<std::string> nodes;
  EXPECT_TRUE(utils.XPathSelectNodes(Nfe310(), path, nodes, kNfx, true));
  EXPECT_EQ(nodes.size(), 10u);
  utils.RemovePreAddedXPathCache(path);
  EXPECT_TRUE(utils.XPathSelectNodes(Nfe310(), path, nodes, kNfx, true));
  EXPECT_THROW(utils.PreAddXPathCache("//["), EKivoException);
}

TEST(KivoUtilsXml, TagsAttributesAndNamespaces) {
  TmoxKivoUtils utils;
  const std::string xml = Nfe310();
  EXPECT_EQ(utils.GetValueTag("xNome", xml), "EMPRESA EMITENTE DE TESTE LTDA");
  EXPECT_EQ(utils.GetValueTag("xNome", xml, "dest"), "NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL");
  EXPECT_EQ(utils.GetValueTag("xNome", xml, "", 2), "TRANSPORTADORA TESTE LTDA");
  EXPECT_EQ(utils.GetValueTag("cProd", xml, "det", 9), "PRD0010");
  EXPECT_EQ(utils.GetValueTag("cProd", xml, "det", 10), "");
  EXPECT_EQ(utils.GetValueTag("nada", xml), "");

  const std::string infNFe = R"(<infNFe xmlns="http://www.portalfiscal.inf.br/nfe" Id="NFe1" versao="3.10"/>)";
  EXPECT_EQ(utils.GetXMLAttributeByIndex(infNFe, "", 0), TmoxKivoUtils::kNFeNamespace);
  EXPECT_EQ(utils.GetXMLAttributeByIndex(infNFe, "", 1), "NFe1");
  EXPECT_EQ(utils.GetXMLAttributeByIndex(infNFe, "", 2), "3.10");
  EXPECT_EQ(utils.GetXMLAttributeByIndex(infNFe, "", 3), "");
  EXPECT_EQ(utils.GetXMLAttributeByIndex(R"(<det nItem="7"/>)", "", 0), "7") << "no declaration, nothing before";
  EXPECT_EQ(utils.GetXMLNamespace(infNFe), TmoxKivoUtils::kNFeNamespace);
  EXPECT_EQ(utils.GetNodeNamespaceURI("<a/>"), "");
  EXPECT_TRUE(utils.IsValidXml("\xEF\xBB\xBF<a>x</a>"));
  EXPECT_FALSE(utils.IsValidXml("<a>x</b>"));
  EXPECT_FALSE(utils.IsValidXml(""));
}

TEST(KivoUtilsXml, EscapeAndUnescape) {
  struct Case {
    std::string input, escaped;
  };
  const std::vector<Case> cases = {
      {"<xJust>Erro & acerto</xJust>", "<xJust>Erro &amp; acerto</xJust>"},
      {"<a>1 < 2 > 0</a>", "<a>1 &lt; 2 &gt; 0</a>"},
      {"<a>j&aacute; &amp; &#233; &#xE9;</a>", "<a>j&aacute; &amp; &#233; &#xE9;</a>"},
      {R"(<a b="x & y">t</a>)", R"(<a b="x &amp; y">t</a>)"},
      {"<?xml version=\"1.0\"?><!-- a & b --><a><![CDATA[x & y]]></a>",
       "<?xml version=\"1.0\"?><!-- a & b --><a><![CDATA[x & y]]></a>"},
      {"sem marcação: R&D", "sem marcação: R&amp;D"},
      {"<a>&</a>", "<a>&amp;</a>"},
      {R"(<a b="1<2" c='R&D'>t</a>)", R"(<a b="1&lt;2" c='R&amp;D'>t</a>)"},
      // A "<" that opens no tag is text, and what was read as its attributes stays text once.
      {R"(<a b="x & y" <b>t</b>)", R"(&lt;a b="x &amp; y" <b>t</b>)"},
  };
  TmoxKivoUtils utils;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    const std::string escaped = utils.Escape(c.input);
    EXPECT_EQ(escaped, c.escaped);
    EXPECT_EQ(utils.Escape(escaped), escaped) << "escaping twice changes nothing";
  }
  EXPECT_EQ(utils.Unescape("&lt;a b=&quot;1&quot;&gt;R&amp;D &apos;x&apos; &#233;&#xE7;&#x1F600;&lt;/a&gt;"),
            "<a b=\"1\">R&D 'x' éç\xF0\x9F\x98\x80</a>");
  EXPECT_EQ(utils.Unescape("&desconhecida; &#0; & solto"), "&desconhecida; &#0; & solto");
}

TEST(KivoUtilsXml, HostileDocumentsAreRefused) {
  const std::string xxe =
      "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><r>&x;</r>";
  const std::string laughs =
      "<?xml version=\"1.0\"?><!DOCTYPE l [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
      "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]><l>&d;</l>";
  const std::string external = "<!DOCTYPE r SYSTEM \"http://127.0.0.1:1/x.dtd\"><r/>";
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"external entity", xxe}, {"entity expansion", laughs}, {"external DTD", external},
      {"deep nesting", deep}, {"binary noise", std::string("<a>\x01\x02\xff</a>")}, {"truncated", "<a><b>"}};
  TmoxKivoUtils utils;
  for (const auto& [name, xml] : cases) {
    SCOPED_TRACE(name);
    std::string value;
    EXPECT_FALSE(utils.IsValidXml(xml));
    try {
      utils.XPathSelectSingleNode(xml, "//*", value, "", true);
      ADD_FAILURE() << "accepted";
    } catch (const EKivoException& e) {
      EXPECT_NE(std::string(e.what()).find("XML"), std::string::npos) << e.what();
    }
    EXPECT_EQ(value.find("root:"), std::string::npos);
  }
}

TEST(KivoUtilsSchema, ValidationTable) {
  struct Case {
    const char* name;
    std::string xml;
    std::string xsd;
    bool valid;
    std::string errorFragment;
  };
  std::string nfe = Nfe310();
  std::string badNfe = nfe;
  badNfe.replace(badNfe.find("<cUF>35</cUF>"), 13, "<cUF>3</cUF>");
  const std::vector<Case> cases = {
      {"NF-e 3.10", nfe, Xsd("PL_008i2", "nfe_v3.10.xsd"), true, ""},
      {"NF-e with a short cUF", badNfe, Xsd("PL_008i2", "nfe_v3.10.xsd"), false, "cUF"},
      {"status request 3.10", kStatus, Xsd("PL_008i2", "consStatServ_v3.10.xsd"), true, ""},
      {"status request with the wrong version", kStatus, Xsd("PL_006v", "consStatServ_v2.00.xsd"), false, "versao"},
      {"missing schema", kStatus, Xsd("PL_008i2", "nao_existe.xsd"), false, "Esquema não encontrado"},
      {"malformed document", "<consStatServ>", Xsd("PL_008i2", "consStatServ_v3.10.xsd"), false, "mal formado"},
  };
  TmoxKivoUtils utils;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.valid) {
      EXPECT_TRUE(utils.ValidateSchema(c.xml, TmoxKivoUtils::kNFeNamespace, c.xsd));
      EXPECT_TRUE(utils.ValidatorErrors().empty());
      continue;
    }
    EXPECT_THROW(utils.ValidateSchema(c.xml, TmoxKivoUtils::kNFeNamespace, c.xsd), EKivoException);
    ASSERT_FALSE(utils.ValidatorErrors().empty());
    std::string all;
    for (const auto& e : utils.ValidatorErrors()) all += e + "\n";
    EXPECT_NE(all.find(c.errorFragment), std::string::npos) << all;
  }
}

TEST(KivoUtilsSchema, ByDirectoryFollowsSchemaLocation) {
  TmoxKivoUtils utils;
  const std::string dir = (moxtest::SchemasDir() / "PL_008i2").string();
  std::string located = kStatus;
  located.insert(located.find(" versao"),
                 " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
                 " xsi:schemaLocation=\"http://www.portalfiscal.inf.br/nfe consStatServ_v3.10.xsd\"");
  EXPECT_TRUE(utils.ValidateSchemaByDirectory(located, dir));
  EXPECT_THROW(utils.ValidateSchemaByDirectory(kStatus, dir), EKivoException);
  EXPECT_NE(utils.ValidatorErrors().front().find("schemaLocation"), std::string::npos);
}

TEST(KivoUtilsSchema, SchemaIsParsedOncePerFileVersion) {
  moxtest::TempDir dir;
  const std::string src = Xsd("PL_008i2", "consStatServ_v3.10.xsd");
  for (const char* f : {"consStatServ_v3.10.xsd", "leiauteConsStatServ_v3.10.xsd", "tiposBasico_v3.10.xsd",
                        "xmldsig-core-schema_v1.01.xsd"})
    std::filesystem::copy_file(moxtest::SchemasDir() / "PL_008i2" / f, dir.path() / f);
  const std::string xsd = dir.file("consStatServ_v3.10.xsd");
  auto first = mox::GetCompiledSchema(xsd);
  EXPECT_EQ(first.get(), mox::GetCompiledSchema(xsd).get());
  // A changed file is parsed again.
  std::filesystem::last_write_time(xsd, std::filesystem::last_write_time(xsd) + std::chrono::seconds(5));
  EXPECT_NE(first.get(), mox::GetCompiledSchema(xsd).get());
}
