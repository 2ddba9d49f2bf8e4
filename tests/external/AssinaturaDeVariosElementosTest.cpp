// Several elements of one document signed in one call: the same text as one call per element,
// and signatures that hold for the whole document even where the ancestors declare namespaces
// and xml: attributes that the canonical form of each signed element carries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "external/EKivoException.h"
#include "external/TmoxKivoX.h"
#include "external/XmlSignatureVerifier.h"
#include "support/MensagemDe.h"
#include "support/TestCertificates.h"
#include "support/TestSupport.h"

namespace {

// A lot of aQuantos events, each infEvento two levels below a root with an unused prefix and
// xml:lang, with text between the elements.
std::string Lote(int aQuantos) {
  std::string xml =
      "<envEvento xmlns=\"http://www.portalfiscal.inf.br/nfe\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
      "xml:lang=\"pt-BR\" versao=\"1.00\"><idLote>1</idLote>\n";
  for (int i = 1; i <= aQuantos; ++i) {
    const std::string n = std::to_string(i);
    xml.append("  <grupo><evento versao=\"1.00\"><infEvento Id=\"ID").append(n);
    xml.append("\"><cOrgao>35</cOrgao><xCorrecao>Corre&#231;&#227;o &amp; texto ").append(n);
    xml.append("</xCorrecao></infEvento></evento></grupo>\n");
  }
  return xml.append("</envEvento>");
}

std::vector<std::string> Ids(int aQuantos) {
  std::vector<std::string> ids;
  for (int i = 1; i <= aQuantos; ++i) ids.push_back("ID" + std::to_string(i));
  return ids;
}

class AssinaturaDeVariosElementos : public ::testing::Test {
 protected:
  void SetUp() override {
    kivo_.SignerSettings.CertificateType = mox::kCertFile;
    pfx_ = moxtest::WritePfx(dir_.file("empresa.pfx"), moxtest::Pki().Company, "segredo");
    kivo_.SignerSettings.CertificatePath = pfx_;
    kivo_.SignerSettings.CertificatePassword = "segredo";
    kivo_.SignerSettings.XmlElement = "infEvento";
  }

  moxtest::TempDir dir_;
  std::string pfx_;
  mox::TmoxKivoX kivo_;
};

TEST_F(AssinaturaDeVariosElementos, MesmoTextoQueUmaChamadaPorElementoEAssinaturasValidas) {
  std::string umPorUm = Lote(5);
  for (const std::string& id : Ids(5)) umPorUm = kivo_.SignXmlById(umPorUm, id);
  const std::string deUmaVez = kivo_.SignXmlByIds(Lote(5), Ids(5));
  EXPECT_EQ(deUmaVez, umPorUm);
  const auto resultados = mox::XmlSignatureVerifier().VerifyAll(deUmaVez);
  ASSERT_EQ(resultados.size(), 5u);
  for (const auto& r : resultados) EXPECT_TRUE(r.Valid) << r.ReferenceId << ": " << r.Error;
  // The document is whole again: the text between the elements is where it was.
  EXPECT_EQ(deUmaVez.find("<idLote>1</idLote>\n  <grupo>"), deUmaVez.find("<idLote>"));
}

TEST_F(AssinaturaDeVariosElementos, AssinarDeNovoSubstituiAsAssinaturasAnteriores) {
  const std::string assinado = kivo_.SignXmlByIds(Lote(3), Ids(3));
  const std::string deNovo = kivo_.SignXmlByIds(assinado, {"ID3", "ID1", "ID2"});
  size_t assinaturas = 0;
  for (size_t p = deNovo.find("<Signature "); p != std::string::npos; p = deNovo.find("<Signature ", p + 1)) ++assinaturas;
  EXPECT_EQ(assinaturas, 3u);
  for (const auto& r : mox::XmlSignatureVerifier().VerifyAll(deNovo)) EXPECT_TRUE(r.Valid) << r.ReferenceId;
}

TEST_F(AssinaturaDeVariosElementos, IdAusenteOuRepetidoFalhaComAMensagemDeUmPorUm) {
  const struct {
    std::vector<std::string> ids;
    std::string mensagem;
  } casos[] = {
      {{"ID1", "ID9"}, "Não foi encontrado elemento infEvento com Id \"ID9\" no XML."},
      {{"ID1", ""}, "Id do elemento a assinar não informado."},
      {{}, "Id do elemento a assinar não informado."},
  };
  for (const auto& caso : casos)
    EXPECT_EQ(moxtest::MensagemDe<mox::EKivoException>([&] { kivo_.SignXmlByIds(Lote(2), caso.ids); }),
              caso.mensagem);
  std::string repetido = Lote(2);
  repetido.replace(repetido.find("ID2"), 3, "ID1");
  EXPECT_EQ(moxtest::MensagemDe<mox::EKivoException>([&] { kivo_.SignXmlByIds(repetido, {"ID1"}); }),
            "O Id \"ID1\" aparece em mais de um elemento do XML.");
}

}  // namespace
