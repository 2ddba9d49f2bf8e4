// XML signatures made by the services server, checked by the independent xmlsec1 tool, by our
// verifier and by the official schemas.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "external/EKivoException.h"
#include "external/TmoxKivoUtils.h"
#include "external/TmoxKivoX.h"
#include "external/XmlDocument.h"
#include "external/XmlDsigNodes.h"
#include "external/XmlSignatureVerifier.h"
#include "support/MensagemDe.h"
#include "support/TestCertificates.h"
#include "support/TestSupport.h"

namespace {

using mox::EKivoException;
using mox::TmoxKivoX;

std::string WithoutSignature(std::string aXml) {
  auto start = aXml.find("<Signature");
  if (start != std::string::npos) aXml.erase(start, aXml.find("</Signature>") + 12 - start);
  return aXml;
}

struct SignedKind {
  std::string element, fixture, id, schema;
  std::string tamperFrom, tamperTo;  // one character changed inside the signed element
};

const std::vector<SignedKind>& Kinds() {
  static const std::vector<SignedKind> kinds{
      {"infNFe", "xml/nfe310-assinada-ficticia.xml", "NFe35140312345678000195550010000001241123456788",
       "PL_008i2/nfe_v3.10.xsd", "<nNF>124</nNF>", "<nNF>125</nNF>"},
      {"infCanc", "xml/cancelamento-ficticio.xml", "ID35140312345678000195550010000001241123456788",
       "PL_006v/cancNFe_v2.00.xsd", "antes da entrega", "antes da entregA"},
      {"infInut", "xml/inutilizacao-ficticia.xml", "ID35141234567800019555001000000001000000010",
       "PL_008i2/inutNFe_v3.10.xsd", "<nNFFin>10</nNFFin>", "<nNFFin>19</nNFFin>"},
      {"infEvento", "xml/cce-evento-ficticio.xml", "ID1101103514031234567800019555001000000124112345678801",
       "Evento_CCe_PL_v1.01/envCCe_v1.00.xsd", "Rua das Acacias", "Rua das Acacia5"},
  };
  return kinds;
}

class KivoSignature : public ::testing::Test {
 protected:
  void SetUp() override {
    pfx_ = moxtest::WritePfx(dir_.file("empresa.pfx"), moxtest::Pki().Company, "segredo");
    caPem_ = moxtest::WriteCertificatePem(dir_.file("ca.pem"), moxtest::Pki().Authority);
    kivo_.SignerSettings.CertificateType = mox::kCertFile;
    kivo_.SignerSettings.CertificatePath = pfx_;
    kivo_.SignerSettings.CertificatePassword = "segredo";
  }

  std::string Sign(const SignedKind& aKind, const std::string& aXml) {
    kivo_.SignerSettings.XmlElement = aKind.element;
    return kivo_.SignXmlById(aXml, aKind.id);
  }

  // The independent check: xmlsec1 with the Id attribute registered and the test CA trusted.
  moxtest::ProgramResult Xmlsec1Verify(const std::string& aElement, const std::string& aXml) {
    std::string file = dir_.file("verificar-" + aElement + ".xml");
    moxtest::WriteText(file, aXml);
    return moxtest::RunProgram("/usr/bin/xmlsec1", {"--verify", "--id-attr:Id",
                                                    std::string(mox::TmoxKivoUtils::kNFeNamespace) + ":" + aElement,
                                                    "--trusted-pem", caPem_, file});
  }

  moxtest::TempDir dir_;
  std::string pfx_, caPem_;
  TmoxKivoX kivo_;
};

TEST_F(KivoSignature, EachDocumentKindVerifiesWithXmlsec1AndOurVerifierAndItsSchema) {
  mox::XmlSignatureVerifier verifier;
  verifier.AddTrustedCertificate(moxtest::Pki().Authority.Certificate.get());
  for (const auto& kind : Kinds()) {
    SCOPED_TRACE(kind.element);
    std::string xml = Sign(kind, WithoutSignature(moxtest::ReadText(moxtest::Fixture(kind.fixture))));

    auto tool = Xmlsec1Verify(kind.element, xml);
    EXPECT_EQ(tool.status, 0) << tool.err;

    auto check = verifier.Verify(xml, kind.element);
    EXPECT_TRUE(check.Valid) << check.Error;
    EXPECT_TRUE(check.Trusted) << check.Error;
    EXPECT_EQ(check.ReferenceId, kind.id);
    EXPECT_EQ(check.Signer.Cnpj, moxtest::kCompanyCnpj);

    mox::TmoxKivoUtils utils;
    EXPECT_NO_THROW(utils.ValidateSchema(xml, mox::TmoxKivoUtils::kNFeNamespace,
                                         (moxtest::SchemasDir() / kind.schema).string()))
        << (utils.ValidatorErrors().empty() ? "" : utils.ValidatorErrors().front());

    std::string tampered = xml;
    auto at = tampered.find(kind.tamperFrom);
    ASSERT_NE(at, std::string::npos);
    tampered.replace(at, kind.tamperFrom.size(), kind.tamperTo);
    EXPECT_NE(Xmlsec1Verify(kind.element, tampered).status, 0);
    EXPECT_FALSE(verifier.Verify(tampered, kind.element).Valid);
  }
}

TEST_F(KivoSignature, SignatureIsTheLastChildOfTheSignedElementsParentWrittenAsSefazExpects) {
  const SignedKind& evento = Kinds()[3];
  std::string xml = Sign(evento, WithoutSignature(moxtest::ReadText(moxtest::Fixture(evento.fixture))));

  EXPECT_EQ(xml.rfind("<envEvento", 0), 0u) << "no XML declaration before the document";
  EXPECT_NE(xml.find("<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\"><SignedInfo>"), std::string::npos);
  EXPECT_EQ(xml.find('\n'), std::string::npos) << "no line breaks inside the signature";
  for (const char* algorithm : {"http://www.w3.org/TR/2001/REC-xml-c14n-20010315",
                                "http://www.w3.org/2000/09/xmldsig#rsa-sha1",
                                "http://www.w3.org/2000/09/xmldsig#enveloped-signature",
                                "http://www.w3.org/2000/09/xmldsig#sha1"})
    EXPECT_NE(xml.find(std::string("Algorithm=\"") + algorithm + "\""), std::string::npos) << algorithm;

  auto doc = mox::XmlDocument::Parse(xml);
  auto signatures = mox::SignaturesIn(doc.Root());
  ASSERT_EQ(signatures.size(), 1u);
  xmlNodePtr evento_ = signatures[0]->parent;
  EXPECT_EQ(mox::LocalName(evento_), "evento");
  EXPECT_EQ(xmlGetLastChild(evento_), signatures[0]);
  EXPECT_NE(mox::ChildElement(mox::ChildElement(mox::ChildElement(signatures[0], "KeyInfo"), "X509Data"),
                              "X509Certificate"),
            nullptr);
}

TEST_F(KivoSignature, SigningAgainReplacesTheSignatureAndEachSignatureOfABatchVerifies) {
  const SignedKind& evento = Kinds()[3];
  std::string once = Sign(evento, WithoutSignature(moxtest::ReadText(moxtest::Fixture(evento.fixture))));
  std::string twice = Sign(evento, once);
  auto doc = mox::XmlDocument::Parse(twice);
  EXPECT_EQ(mox::SignaturesIn(doc.Root()).size(), 1u);
  EXPECT_EQ(Xmlsec1Verify("infEvento", twice).status, 0);

  // Two events in one lot: each signed in turn, both signatures hold.
  std::string second = once;
  std::string lot = WithoutSignature(moxtest::ReadText(moxtest::Fixture(evento.fixture)));
  std::string eventoXml = lot.substr(lot.find("<evento "), lot.find("</evento>") + 9 - lot.find("<evento "));
  std::string otherId = "ID1101103514031234567800019555001000000124112345678802";
  std::string other = eventoXml;
  other.replace(other.find(evento.id), evento.id.size(), otherId);
  other.replace(other.find("<nSeqEvento>1<"), 14, "<nSeqEvento>2<");
  lot.insert(lot.find("</envEvento>"), other);
  lot = Sign(evento, lot);
  kivo_.SignerSettings.XmlElement = "infEvento";
  lot = kivo_.SignXmlById(lot, otherId);
  mox::XmlSignatureVerifier verifier;
  auto results = verifier.VerifyAll(lot);
  ASSERT_EQ(results.size(), 2u);
  for (const auto& r : results) EXPECT_TRUE(r.Valid) << r.Error;
}

// The text between <aTag> and </aTag>, blanks and line breaks taken out (xmlsec1 breaks Base64
// lines).
std::string ValueOf(const std::string& aXml, const std::string& aTag) {
  const size_t start = aXml.find("<" + aTag + ">"), end = aXml.find("</" + aTag + ">");
  if (start == std::string::npos || end == std::string::npos) return "(sem " + aTag + ")";
  std::string value = aXml.substr(start + aTag.size() + 2, end - start - aTag.size() - 2);
  std::erase_if(value, [](char c) { return c == ' ' || c == '\n' || c == '\r'; });
  return value;
}

// Our signature bytes against xmlsec1 signing the same template with the same key through
// xmlsec's own node sets: the digest and the signature value (deterministic with RSA PKCS#1
// v1.5) must be the same, so the canonical forms of the element and of SignedInfo are.
TEST_F(KivoSignature, DigestAndSignatureValueAreThoseXmlsec1WritesForTheSameTemplate) {
  const std::string ns = "xmlns=\"http://www.portalfiscal.inf.br/nfe\"";
  const std::string nota = WithoutSignature(moxtest::ReadText(moxtest::Fixture(Kinds()[0].fixture)));
  const std::string infNFe = nota.substr(nota.find("<infNFe"), nota.find("</infNFe>") + 9 - nota.find("<infNFe"));
  const struct {
    const char* what;
    std::string element, id, xml;
  } cases[] = {
      {"nota de 12 KB", "infNFe", Kinds()[0].id, nota},
      {"cancelamento", "infCanc", Kinds()[1].id, WithoutSignature(moxtest::ReadText(moxtest::Fixture(Kinds()[1].fixture)))},
      {"evento", "infEvento", Kinds()[3].id, WithoutSignature(moxtest::ReadText(moxtest::Fixture(Kinds()[3].fixture)))},
      // Namespaces and xml: attributes inherited from ancestors, a comment, escapes, another
      // note before the signed one, carriage returns and blanks between elements.
      {"nota em lote com heranças", "infNFe", "NFe00000000000000000000000000000000000000000099",
       "<lote xmlns:x=\"urn:x\" xml:lang=\"pt-BR\" x:a=\"1\"><NFe " + ns + ">" + infNFe + "</NFe>\r\n  <NFe " + ns +
           " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><infNFe versao=\"3.10\" "
           "Id=\"NFe00000000000000000000000000000000000000000099\"><!-- nota --><ide><cUF>35</cUF>"
           "<natOp>A &amp; B &lt; C &gt; \"D\" &#13;</natOp></ide><x:obs x:t=\"&quot;&#9;\">\n texto \n</x:obs>"
           "</infNFe></NFe></lote>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    kivo_.SignerSettings.XmlElement = c.element;
    const std::string ours = kivo_.SignXmlById(c.xml, c.id);
    std::string model = ours;
    for (const char* tag : {"DigestValue", "SignatureValue"}) {
      const size_t start = model.find(std::string("<") + tag + ">") + std::strlen(tag) + 2;
      model.erase(start, model.find(std::string("</") + tag + ">") - start);
    }
    const std::string in = dir_.file("modelo.xml"), out = dir_.file("xmlsec1.xml");
    moxtest::WriteText(in, model);
    auto tool = moxtest::RunProgram(
        "/usr/bin/xmlsec1", {"--sign", "--pkcs12", pfx_, "--pwd", "segredo", "--id-attr:Id",
                             std::string(mox::TmoxKivoUtils::kNFeNamespace) + ":" + c.element, "--output", out, in});
    ASSERT_EQ(tool.status, 0) << tool.err;
    const std::string theirs = moxtest::ReadText(out);
    EXPECT_EQ(ValueOf(ours, "DigestValue"), ValueOf(theirs, "DigestValue"));
    EXPECT_EQ(ValueOf(ours, "SignatureValue"), ValueOf(theirs, "SignatureValue"));
    EXPECT_EQ(Xmlsec1Verify(c.element, ours).status, 0);
    const auto check = mox::XmlSignatureVerifier().Verify(ours, c.element);
    EXPECT_TRUE(check.Valid) << check.Error;
  }
}

TEST_F(KivoSignature, RefusesWhatCannotBeSignedSafely) {
  const std::string canc = WithoutSignature(moxtest::ReadText(moxtest::Fixture("xml/cancelamento-ficticio.xml")));
  const std::string cancId = "ID35140312345678000195550010000001241123456788";
  struct Case {
    std::string what, element, xml, id, message;
  } cases[] = {
      {"empty id", "infCanc", canc, "", "Id do elemento a assinar não informado."},
      {"unknown id", "infCanc", canc, "ID999", "Não foi encontrado elemento infCanc com Id \"ID999\""},
      {"id of another element", "infNFe", canc, cancId, "pertence ao elemento infCanc, não ao elemento infNFe"},
      {"signed element is the root", "infCanc", "<infCanc Id=\"ID1\"><a/></infCanc>", "ID1", "não pode ser a raiz"},
      {"duplicated id", "infCanc", "<c><infCanc Id=\"ID1\"/><infCanc Id=\"ID1\"/></c>", "ID1", "mais de um elemento"},
      {"malformed", "infCanc", "<cancNFe><infCanc Id=\"ID1\"></cancNFe>", "ID1", "XML mal formado"},
      {"element not allowed", "infPedido", "<c><infPedido Id=\"ID1\"/></c>", "ID1", "não está entre os elementos"},
      {"entity declaration after a comment", "infCanc",
       "<!-- a --><!DOCTYPE c [<!ENTITY e \"x\">]><c><infCanc Id=\"ID1\">&e;</infCanc></c>", "ID1",
       "DOCTYPE e ENTITY não são permitidas"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    kivo_.SignerSettings.XmlElement = c.element;
    std::string message = moxtest::MensagemDe<EKivoException>([&] { kivo_.SignXmlById(c.xml, c.id); });
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
  }
  // The parser kept between signatures still reads well after refusals and after a document of
  // more distinct names than it keeps.
  std::string names = "<c><infCanc Id=\"ID1\">";
  for (int i = 0; i < 5000; ++i) names += "<n" + std::to_string(i) + "/>";
  names += "</infCanc></c>";
  for (const std::string& xml : {names, canc}) {
    kivo_.SignerSettings.XmlElement = "infCanc";
    const std::string id = xml == canc ? cancId : "ID1";
    EXPECT_EQ(Xmlsec1Verify("infCanc", kivo_.SignXmlById(xml, id)).status, 0) << id;
  }
}

TEST_F(KivoSignature, ACertificateWithoutKeyCannotSign) {
  mox::CertificateCredential certOnly;
  certOnly.Certificate = mox::ShareX509(moxtest::Pki().Company.Certificate.get());
  kivo_.SignerSettings.CertificatePath = moxtest::WritePfx(dir_.file("sem-chave.pfx"), certOnly, "segredo");
  const SignedKind& inut = Kinds()[2];
  std::string message = moxtest::MensagemDe<EKivoException>([&] { Sign(inut, moxtest::ReadText(moxtest::Fixture(inut.fixture))); });
  EXPECT_NE(message.find("não possui chave privada"), std::string::npos) << message;
}

TEST_F(KivoSignature, AReplacedCertificateFileSignsWithTheNewCertificate) {
  const SignedKind& inut = Kinds()[2];
  const std::string xml = moxtest::ReadText(moxtest::Fixture(inut.fixture));
  mox::XmlSignatureVerifier verifier;
  auto first = verifier.Verify(Sign(inut, xml), "infInut");

  mox::TCertificateRequest other;
  other.CommonName = "OUTRA EMPRESA LTDA:11222333000181";
  moxtest::WritePfx(pfx_ + ".novo", moxtest::IssueHolder(other), "segredo");
  std::filesystem::rename(pfx_ + ".novo", pfx_);

  auto second = verifier.Verify(Sign(inut, xml), "infInut");
  EXPECT_TRUE(second.Valid) << second.Error;
  EXPECT_EQ(first.Signer.Cnpj, moxtest::kCompanyCnpj);
  EXPECT_EQ(second.Signer.Cnpj, "11222333000181");
}

TEST(XmlSignatureVerifier, RejectsReferencesThatDoNotPointAtASiblingOfTheSignature) {
  moxtest::TempDir dir;
  TmoxKivoX kivo;
  kivo.SignerSettings.CertificateType = mox::kCertFile;
  kivo.SignerSettings.CertificatePath = moxtest::WritePfx(dir.file("e.pfx"), moxtest::Pki().Company, "x");
  kivo.SignerSettings.CertificatePassword = "x";
  kivo.SignerSettings.XmlElement = "infCanc";
  std::string xml = kivo.SignXmlById(moxtest::ReadText(moxtest::Fixture("xml/cancelamento-ficticio.xml")),
                                     "ID35140312345678000195550010000001241123456788");

  // The signature moved away from what it signs: a classic wrapping of a valid signature.
  std::string moved = xml;
  auto sigStart = moved.find("<Signature");
  std::string sig = moved.substr(sigStart, moved.find("</Signature>") + 12 - sigStart);
  moved.erase(sigStart, sig.size());
  moved.insert(moved.find("</infCanc>") + 10, "<extra>" + sig + "</extra>");

  std::string external = xml;
  external.replace(external.find("URI=\"#"), 6, "URI=\"file:///etc/passwd#");

  mox::XmlSignatureVerifier verifier;
  for (const auto& [what, text, message] :
       std::vector<std::tuple<std::string, std::string, std::string>>{
           {"moved", moved, "não está ao lado da assinatura"}, {"external", external, "referência da assinatura não aceita"}}) {
    SCOPED_TRACE(what);
    auto results = verifier.VerifyAll(text);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(results[0].Valid);
    EXPECT_NE(results[0].Error.find(message), std::string::npos) << results[0].Error;
  }

  // Without the authority among the trusted ones the signature holds but is not trusted.
  mox::XmlSignatureVerifier stranger;
  stranger.AddTrustedCertificate(moxtest::StrangerAuthority("AC Estranha").Certificate.get());
  auto check = stranger.Verify(xml, "infCanc");
  EXPECT_TRUE(check.Valid);
  EXPECT_FALSE(check.Trusted);
}

}  // namespace
