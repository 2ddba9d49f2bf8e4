// The services server's certificates: store listing and removal, every PKCS#12 encoding in
// circulation, and the checks that keep an unusable certificate from signing.
#include <gtest/gtest.h>

#include <filesystem>

#include "external/CertificateStore.h"
#include "external/EKivoException.h"
#include "external/Pkcs12.h"
#include "external/TmoxKivoX.h"
#include "support/MensagemDe.h"
#include "support/TestCertificates.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using mox::EKivoException;
using mox::TmoxKivoX;

mox::CertificateCredential WithValidity(const std::string& aCommonName, std::chrono::hours aFromNow,
                                        std::chrono::hours aUntil) {
  mox::TCertificateRequest r;
  r.CommonName = aCommonName;
  r.NotBefore = std::chrono::system_clock::now() + aFromNow;
  r.NotAfter = std::chrono::system_clock::now() + aUntil;
  return moxtest::IssueHolder(r);
}

mox::CertificateCredential WithoutKey(const mox::CertificateCredential& aFrom) {
  mox::CertificateCredential c;
  c.Certificate = mox::ShareX509(aFrom.Certificate.get());
  return c;
}

TEST(CertificateInfo, ReadsTheTaxIdFromIcpBrasilFieldsOrTheCommonName) {
  mox::TCertificateRequest cnpjInAltName;
  cnpjInAltName.CommonName = "EMPRESA SEM SUFIXO";
  cnpjInAltName.Cnpj = "11222333000181";
  mox::TCertificateRequest cpfHolder;
  cpfHolder.CommonName = "FULANO DE TAL:12345678909";
  cpfHolder.Cpf = "12345678909";
  mox::TCertificateRequest cpfOnlyInName;
  cpfOnlyInName.CommonName = "CICLANO:98765432100";
  mox::TCertificateRequest plain;
  plain.CommonName = "servidor:8080x";

  struct Case {
    const mox::TCertificateRequest* request;
    std::string cnpj, cpf;
  } cases[] = {{&cnpjInAltName, "11222333000181", ""},
               {&cpfHolder, "", "12345678909"},
               {&cpfOnlyInName, "", "98765432100"},
               {&plain, "", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.request->CommonName);
    auto info = mox::DescribeCertificate(moxtest::IssueHolder(*c.request));
    EXPECT_EQ(info.Cnpj, c.cnpj);
    EXPECT_EQ(info.Cpf, c.cpf);
  }
  auto company = mox::DescribeCertificate(moxtest::Pki().Company);
  EXPECT_EQ(company.CommonName, "EMPRESA TESTE LTDA:12345678000195");
  EXPECT_EQ(company.Cnpj, moxtest::kCompanyCnpj);
  EXPECT_EQ(company.IssuerName, "AC Teste moxnfe");
}

TEST(Pkcs12, EveryEncodingLoadsWithItsPasswordAndOnlyWithIt) {
  for (auto encoding : {mox::TPkcs12Encoding::Aes256, mox::TPkcs12Encoding::LegacyRc2_40,
                        mox::TPkcs12Encoding::Legacy3Des}) {
    SCOPED_TRACE(static_cast<int>(encoding));
    std::string bytes = mox::WritePkcs12(moxtest::Pki().Company, "senha", encoding);
    auto loaded = mox::ReadPkcs12(bytes, "senha", "empresa.pfx");
    ASSERT_NE(loaded.PrivateKey, nullptr);
    EXPECT_EQ(X509_cmp(loaded.Certificate.get(), moxtest::Pki().Company.Certificate.get()), 0);
    ASSERT_EQ(loaded.Chain.size(), 1u);
    EXPECT_EQ(X509_cmp(loaded.Chain[0].get(), moxtest::Pki().Authority.Certificate.get()), 0);
    EXPECT_THROW(mox::ReadPkcs12(bytes, "errada", "empresa.pfx"), mox::EPkcs12WrongPassword);
  }
  // An empty password: written as the empty text, opened with it.
  auto open = mox::ReadPkcs12(mox::WritePkcs12(moxtest::Pki().Company, ""), "", "aberto.pfx");
  EXPECT_NE(open.PrivateKey, nullptr);
  // Certificates only: the holder's certificate is found among them.
  auto certOnly = WithoutKey(moxtest::Pki().Company);
  certOnly.Chain.push_back(mox::ShareX509(moxtest::Pki().Authority.Certificate.get()));
  auto noKey = mox::ReadPkcs12(mox::WritePkcs12(certOnly, "x"), "x", "sem-chave.pfx");
  EXPECT_EQ(noKey.PrivateKey, nullptr);
  EXPECT_EQ(X509_cmp(noKey.Certificate.get(), moxtest::Pki().Company.Certificate.get()), 0);
  EXPECT_NE(moxtest::MensagemDe<EKivoException>([] { mox::ReadPkcs12("isto não é pfx", "", "lixo.pfx"); }).find("não é um certificado PKCS#12"),
            std::string::npos);
}

class KivoCertificates : public ::testing::Test {
 protected:
  void SetUp() override {
    kivo_.SetCertificateStoreFolder(store_.str());
    kivo_.OnCheckCertificate = [this](TmoxKivoX&, const std::string& aText) { checkedTexts_.push_back(aText); };
  }
  void UseFile(const std::string& aPath, const std::string& aPassword) {
    kivo_.SignerSettings.CertificateType = mox::kCertFile;
    kivo_.SignerSettings.CertificatePath = aPath;
    kivo_.SignerSettings.CertificatePassword = aPassword;
  }

  moxtest::TempDir store_, files_;
  TmoxKivoX kivo_;
  std::vector<std::string> checkedTexts_;
};

TEST_F(KivoCertificates, ListGivesOneReadableLinePerStoreFile) {
  mox::CertificateCache cache;
  mox::CertificateStore store(store_.str(), cache);
  store.Import(moxtest::WritePfx(files_.file("empresa.pfx"), moxtest::Pki().Company, "guardada"), "guardada");
  moxtest::WritePfx(store_.file("legado.pfx"), WithValidity("LEGADO LTDA:11222333000181", -std::chrono::hours(1),
                                                            std::chrono::hours(100)),
                    "", mox::TPkcs12Encoding::LegacyRc2_40);
  moxtest::WritePfx(store_.file("trancado.p12"), moxtest::Pki().Company, "ninguem-sabe");
  moxtest::WriteText(store_.file("corrompido.pfx"), "lixo");
  moxtest::WriteText(store_.file("leia-me.txt"), "não é certificado");

  auto lines = kivo_.ListCertificates();
  ASSERT_EQ(lines.size(), 4u);
  auto company = mox::DescribeCertificate(moxtest::Pki().Company);
  const std::string companyLine = "EMPRESA TESTE LTDA:12345678000195 | CNPJ 12345678000195 | Emissor: AC Teste moxnfe"
                                   " | Validade: " + mox::FormatDateTimeBR(mox::ToLocalDateTime(company.NotAfter)) +
                                   " | Série: " + company.Serial;
  EXPECT_NE(std::find(lines.begin(), lines.end(), companyLine), lines.end()) << lines[0];
  auto has = [&](const std::string& aText) {
    return std::any_of(lines.begin(), lines.end(), [&](const auto& l) { return l.find(aText) != std::string::npos; });
  };
  EXPECT_TRUE(has("LEGADO LTDA:11222333000181 | CNPJ 11222333000181"));
  EXPECT_TRUE(has("trancado.p12 | senha desconhecida"));
  EXPECT_TRUE(has("corrompido.pfx | O arquivo não é um certificado PKCS#12"));

  // The password offered in the settings opens the locked file too.
  kivo_.SignerSettings.CertificatePassword = "ninguem-sabe";
  auto unlocked = kivo_.ListCertificates();
  EXPECT_EQ(std::count(unlocked.begin(), unlocked.end(), companyLine), 2);
}

TEST_F(KivoCertificates, RemoveDeletesExactlyTheNamedCertificate) {
  mox::CertificateCache cache;
  mox::CertificateStore store(store_.str(), cache);
  std::string company = store.Import(moxtest::WritePfx(files_.file("a.pfx"), moxtest::Pki().Company, "s1"), "s1");
  auto renewed = WithValidity("EMPRESA TESTE LTDA:12345678000195", -std::chrono::hours(1), std::chrono::hours(9000));
  std::string renewedFile = store.Import(moxtest::WritePfx(files_.file("b.pfx"), renewed, ""), "");
  auto other = WithValidity("OUTRA LTDA:11222333000181", -std::chrono::hours(1), std::chrono::hours(100));
  std::string otherFile = store.Import(moxtest::WritePfx(files_.file("c.pfx"), other, ""), "");

  EXPECT_FALSE(kivo_.RemoveCertificate("NINGUEM:00000000000000"));
  // Two certificates share the name: nothing is removed.
  EXPECT_NE(moxtest::MensagemDe<EKivoException>([&] { kivo_.RemoveCertificate(moxtest::kCompanyCnpj); }).find("corresponde a 2 certificados"),
            std::string::npos);
  EXPECT_TRUE(fs::exists(company) && fs::exists(renewedFile));

  // The list line the user picked, with the line break the component's name list leaves.
  std::string line;
  for (const auto& l : kivo_.ListCertificates())
    if (l.find(mox::DescribeCertificate(renewed).Serial) != std::string::npos) line = l;
  ASSERT_FALSE(line.empty());
  EXPECT_TRUE(kivo_.RemoveCertificate(line + "\r\n"));
  EXPECT_FALSE(fs::exists(renewedFile));
  EXPECT_TRUE(fs::exists(company) && fs::exists(otherFile));

  EXPECT_TRUE(kivo_.RemoveCertificate(moxtest::kCompanyCnpj));
  EXPECT_FALSE(fs::exists(company));
  EXPECT_FALSE(fs::exists(company + ".senha"));
  EXPECT_EQ(kivo_.ListCertificates().size(), 1u);
}

TEST_F(KivoCertificates, StoreNamesSelectTheCertificateValidNow) {
  mox::CertificateCache cache;
  mox::CertificateStore store(store_.str(), cache);
  auto expired = WithValidity("EMPRESA TESTE LTDA:12345678000195", -std::chrono::hours(900), -std::chrono::hours(1));
  store.Import(moxtest::WritePfx(files_.file("velho.pfx"), expired, ""), "");
  store.Import(moxtest::WritePfx(files_.file("novo.pfx"), moxtest::Pki().Company, "x"), "x");

  kivo_.SignerSettings.CertificateType = mox::kCertMemory;
  kivo_.SignerSettings.CertificateName = "empresa teste ltda:12345678000195";
  EXPECT_NO_THROW(kivo_.CheckCertificate());
  EXPECT_EQ(kivo_.CertificateExpiration(),
            mox::ToLocalDateTime(mox::DescribeCertificate(moxtest::Pki().Company).NotAfter));
  ASSERT_EQ(checkedTexts_.size(), 1u);
  EXPECT_NE(checkedTexts_[0].find("CNPJ: 12345678000195"), std::string::npos) << checkedTexts_[0];
  EXPECT_NE(checkedTexts_[0].find("Emissor: AC Teste moxnfe"), std::string::npos);
}

TEST_F(KivoCertificates, CheckRefusesEveryUnusableCertificateWithAClearMessage) {
  std::string good = moxtest::WritePfx(files_.file("bom.pfx"), moxtest::Pki().Company, "certa");
  std::string expired = moxtest::WritePfx(
      files_.file("vencido.pfx"), WithValidity("VENCIDA LTDA:11222333000181", -std::chrono::hours(900), -std::chrono::hours(2)), "");
  std::string future = moxtest::WritePfx(
      files_.file("futuro.pfx"), WithValidity("FUTURA LTDA:11222333000181", std::chrono::hours(48), std::chrono::hours(900)), "");
  std::string noKey = moxtest::WritePfx(files_.file("sem-chave.pfx"), WithoutKey(moxtest::Pki().Company), "");

  struct Case {
    std::string what;
    int type;
    std::string path, password, name, message;
  } cases[] = {
      {"expired", mox::kCertFile, expired, "", "", "está vencido desde"},
      {"not yet valid", mox::kCertFile, future, "", "", "ainda não é válido"},
      {"no private key", mox::kCertFile, noKey, "", "", "não possui chave privada"},
      {"wrong password", mox::kCertFile, good, "errada", "", "Senha incorreta para o certificado: " + good},
      {"missing file", mox::kCertFile, files_.file("nao-existe.pfx"), "", "",
       "Arquivo do certificado não encontrado: " + files_.file("nao-existe.pfx")},
      {"no file and no name", mox::kCertFile, "", "", "",
       "Certificado não informado: indique o arquivo PKCS#12 (CaminhoCertificado) ou o nome de um certificado "
       "instalado (NomeCertificado)."},
      {"smart card without a name", mox::kCertSmartCard, "", "", "", "Certificado A3 não informado: indique em NomeCertificado"},
      {"not in store", mox::kCertLocalMachine, "", "", "NINGUEM", "Certificado não encontrado no repositório"},
      {"no name", mox::kCertMemory, "", "", " \r\n", "Nenhum certificado selecionado"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    kivo_.SignerSettings.CertificateType = c.type;
    kivo_.SignerSettings.CertificatePath = c.path;
    kivo_.SignerSettings.CertificatePassword = c.password;
    kivo_.SignerSettings.CertificateName = c.name;
    std::string message = moxtest::MensagemDe<EKivoException>([&] { kivo_.CheckCertificate(); });
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
  }
  EXPECT_TRUE(checkedTexts_.empty());

  UseFile(good, "certa");
  EXPECT_NO_THROW(kivo_.CheckCertificate());
  EXPECT_EQ(checkedTexts_.size(), 1u);
}

TEST_F(KivoCertificates, LegacyRc2FileFromAnOlderExportOpensAndSigns) {
  UseFile(moxtest::WritePfx(files_.file("exportado-windows.pfx"), moxtest::Pki().Company, "1234",
                            mox::TPkcs12Encoding::LegacyRc2_40),
          "1234");
  EXPECT_NO_THROW(kivo_.CheckCertificate());
  kivo_.SignerSettings.XmlElement = "infInut";
  std::string signedXml = kivo_.SignXmlById(moxtest::ReadText(moxtest::Fixture("xml/inutilizacao-ficticia.xml")),
                                            "ID35141234567800019555001000000001000000010");
  EXPECT_NE(signedXml.find("<SignatureValue>"), std::string::npos);
}

TEST_F(KivoCertificates, ImportKeepsThePasswordPrivate) {
  mox::CertificateCache cache;
  mox::CertificateStore store(store_.str() + "nova/", cache);
  std::string stored = store.Import(moxtest::WritePfx(files_.file("e.pfx"), moxtest::Pki().Company, "p@ss"), "p@ss");
  auto perms = fs::status(stored + ".senha").permissions();
  EXPECT_EQ(perms & (fs::perms::group_all | fs::perms::others_all), fs::perms::none);
  EXPECT_EQ(fs::status(stored).permissions() & fs::perms::others_all, fs::perms::none);
  EXPECT_THROW(store.Import(files_.file("e.pfx"), "errada"), mox::EPkcs12WrongPassword);
}

}  // namespace
