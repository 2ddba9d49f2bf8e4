// moxnfe certificados ... and moxnfe assinar, run as a user runs them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "external/XmlSignatureVerifier.h"
#include "support/TestCertificates.h"
#include "support/TestSupport.h"

namespace {

moxtest::ProgramResult Moxnfe(const std::vector<std::string>& aArgs, const std::string& aInput = {}) {
  return moxtest::RunProgram(moxtest::BuiltProgram("moxnfe"), aArgs, aInput);
}

bool Contains(const std::string& aText, const std::string& aPart) { return aText.find(aPart) != std::string::npos; }

class CliCertificados : public ::testing::Test {
 protected:
  void SetUp() override {
    pfx_ = moxtest::WritePfx(dir_.file("empresa.pfx"), moxtest::Pki().Company, "s3gredo",
                             mox::TPkcs12Encoding::LegacyRc2_40);
    moxtest::WriteText(dir_.file("senha.txt"), "s3gredo\n");
    store_ = dir_.str() + "repositorio";
  }

  moxtest::TempDir dir_;
  std::string pfx_, store_;
};

TEST_F(CliCertificados, ImportListCheckInspectAndRemoveAStoreCertificate) {
  auto imported = Moxnfe({"certificados", "importar", pfx_, "--senha-arquivo", dir_.file("senha.txt"),
                          "--repositorio", store_});
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_TRUE(Contains(imported.out, "Certificado importado: EMPRESA TESTE LTDA:12345678000195 | CNPJ 12345678000195"));

  auto list = Moxnfe({"certificados", "listar", "--repositorio", store_});
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out.rfind("EMPRESA TESTE LTDA:12345678000195 | CNPJ 12345678000195 | Emissor: AC Teste moxnfe", 0), 0u)
      << list.out;

  auto json = Moxnfe({"certificados", "listar", "--json", "--repositorio", store_});
  auto parsed = nlohmann::json::parse(json.out);
  ASSERT_EQ(parsed.size(), 1u);
  EXPECT_EQ(parsed[0]["cnpj"], moxtest::kCompanyCnpj);
  EXPECT_TRUE(parsed[0]["chavePrivada"].get<bool>());

  auto check = Moxnfe({"certificados", "verificar", "--nome", moxtest::kCompanyCnpj, "--repositorio", store_});
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_TRUE(Contains(check.out, "Certificado válido.\nTitular: EMPRESA TESTE LTDA:12345678000195\n")) << check.out;

  auto inspect = Moxnfe({"certificados", "inspecionar", "--nome", moxtest::kCompanyCnpj, "--repositorio", store_});
  EXPECT_TRUE(Contains(inspect.out, "Emissor: AC Teste moxnfe\n")) << inspect.out;
  EXPECT_TRUE(Contains(inspect.out, "Chave privada: presente\n"));

  auto removed = Moxnfe({"certificados", "remover", "EMPRESA TESTE LTDA:12345678000195", "--repositorio", store_});
  EXPECT_EQ(removed.status, 0) << removed.err;
  EXPECT_TRUE(Contains(Moxnfe({"certificados", "listar", "--repositorio", store_}).out, "Nenhum certificado em"));
  auto again = Moxnfe({"certificados", "remover", "EMPRESA TESTE LTDA:12345678000195", "--repositorio", store_});
  EXPECT_EQ(again.status, 1);
  EXPECT_TRUE(Contains(again.err, "corresponde a \"EMPRESA TESTE LTDA:12345678000195\""));
}

TEST_F(CliCertificados, UnusableCertificatesAndBadUsageFailWithAMessage) {
  mox::TCertificateRequest old;
  old.CommonName = "VENCIDA LTDA:11222333000181";
  old.NotBefore = std::chrono::system_clock::now() - std::chrono::hours(900);
  old.NotAfter = std::chrono::system_clock::now() - std::chrono::hours(1);
  std::string expired = moxtest::WritePfx(dir_.file("vencido.pfx"), moxtest::IssueHolder(old), "");

  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  } cases[] = {
      {{"certificados", "verificar", expired}, 1, "está vencido desde"},
      {{"certificados", "verificar", pfx_, "--senha", "errada"}, 1, "Senha incorreta para o certificado"},
      {{"certificados", "inspecionar", dir_.file("nada.pfx")}, 1, "Arquivo do certificado não encontrado"},
      {{"certificados", "verificar"}, 2, "informe o arquivo PKCS#12"},
      {{"certificados", "remover"}, 2, "informe o nome do certificado"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[1]);
    auto r = Moxnfe(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_TRUE(Contains(r.err, c.message)) << r.err;
    EXPECT_TRUE(r.out.empty());
  }
}

TEST_F(CliCertificados, SignsToStandardOutputOrToAFile) {
  const std::string nfe = moxtest::Fixture("xml/nfe310-assinada-ficticia.xml").string();
  ::setenv("MOXNFE_SENHA_CERTIFICADO", "s3gredo", 1);
  auto toStdout = Moxnfe({"assinar", nfe, "--pfx", pfx_});
  ::unsetenv("MOXNFE_SENHA_CERTIFICADO");
  ASSERT_EQ(toStdout.status, 0) << toStdout.err;
  EXPECT_EQ(toStdout.out.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?><NFe", 0), 0u);
  mox::XmlSignatureVerifier verifier;
  verifier.AddTrustedCertificate(moxtest::Pki().Authority.Certificate.get());
  auto check = verifier.Verify(toStdout.out, "infNFe");
  EXPECT_TRUE(check.Valid && check.Trusted) << check.Error;

  // A lot of two events: without --id every infEvento is signed.
  std::string lot = moxtest::ReadText(moxtest::Fixture("xml/cce-evento-ficticio.xml"));
  std::string evento = lot.substr(lot.find("<evento "), lot.find("</evento>") + 9 - lot.find("<evento "));
  std::string second = evento;
  second.replace(second.find("01\"><cOrgao>"), 2, "02");
  lot.insert(lot.find("</envEvento>"), second);
  moxtest::WriteText(dir_.file("lote.xml"), lot);
  auto toFile = Moxnfe({"assinar", dir_.file("lote.xml"), "--pfx", pfx_, "--senha-arquivo", dir_.file("senha.txt"),
                        "--saida", dir_.file("lote-assinado.xml"), "--json"});
  ASSERT_EQ(toFile.status, 0) << toFile.err;
  auto json = nlohmann::json::parse(toFile.out);
  EXPECT_EQ(json["elemento"], "infEvento");
  EXPECT_EQ(json["ids"].size(), 2u);
  auto results = verifier.VerifyAll(moxtest::ReadText(dir_.file("lote-assinado.xml")));
  ASSERT_EQ(results.size(), 2u);
  for (const auto& r : results) EXPECT_TRUE(r.Valid) << r.Error;

  auto wrong = Moxnfe({"assinar", nfe, "--pfx", pfx_, "--senha", "errada", "--saida", dir_.file("nao.xml")});
  EXPECT_EQ(wrong.status, 1);
  EXPECT_TRUE(Contains(wrong.err, "Senha incorreta"));
  EXPECT_FALSE(std::filesystem::exists(dir_.file("nao.xml")));
  EXPECT_EQ(Moxnfe({"assinar", nfe}).status, 2);
}

}  // namespace
