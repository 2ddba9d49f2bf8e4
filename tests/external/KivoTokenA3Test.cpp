// A3 certificates on a SoftHSM token made by the test: listed beside the store's, chosen by
// name, signing with the key on the token (checked by xmlsec1), one login for a batch, and the
// messages of a wrong PIN, of an absent token and of a token pulled out during a batch.
#include <gtest/gtest.h>

#include "external/Base64.h"
#include "external/CertificateFactory.h"
#include "external/EKivoException.h"
#include "external/Pkcs11Token.h"
#include "external/TmoxKivoUtils.h"
#include "external/TmoxKivoX.h"
#include "support/MensagemDe.h"
#include "support/SandboxDeTeste.h"
#include "support/TokenSoftHsm.h"

namespace {

using moxtest::MensagemDe;
using moxtest::TokenSoftHsm;

const mox::CertificateCredential& HolderA3() {
  static const mox::CertificateCredential holder = mox::CertificateFactory::CreateECnpj(
      moxtest::Pki().Authority, "EMPRESA A3 LTDA", moxtest::kCompanyCnpj, mox::CertificateFactory::GenerateKey());
  return holder;
}

class KivoTokenA3 : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { token_ = new TokenSoftHsm(HolderA3()); }
  static void TearDownTestSuite() {
    delete token_;
    token_ = nullptr;
  }

  void SetUp() override {
    token_->Activate();
    kivo_ = std::make_unique<mox::TmoxKivoX>();
    kivo_->SetCertificateStoreFolder(dir_.file("repositorio"));
    kivo_->SetPkcs11Modules(TokenSoftHsm::Module());
    for (mox::TKivoCertificateSettings* s : {static_cast<mox::TKivoCertificateSettings*>(&kivo_->SignerSettings),
                                             static_cast<mox::TKivoCertificateSettings*>(&kivo_->HttpSettings)}) {
      s->CertificateType = mox::kCertSmartCard;
      s->CertificateName = moxtest::kCompanyCnpj;
      s->Pincode = token_->Pin();
    }
    kivo_->SignerSettings.XmlElement = "infNFe";
  }

  std::string SignNote(int aNumber) {
    const std::string note = moxtest::NotaDeTeste(aNumber);
    return kivo_->SignXmlById(note, "NFe" + moxtest::ChaveDe(note));
  }

  moxtest::ProgramResult Xmlsec1Verify(const std::string& aXml) {
    const std::string file = dir_.file("nota.xml"), ca = dir_.file("ac.pem");
    moxtest::WriteText(file, aXml);
    moxtest::WriteCertificatePem(ca, moxtest::Pki().Authority);
    return moxtest::RunProgram("/usr/bin/xmlsec1", {"--verify", "--id-attr:Id",
                                                    std::string(mox::TmoxKivoUtils::kNFeNamespace) + ":infNFe",
                                                    "--trusted-pem", ca, file});
  }

  static inline TokenSoftHsm* token_ = nullptr;
  moxtest::TempDir dir_;
  std::unique_ptr<mox::TmoxKivoX> kivo_;
};

TEST_F(KivoTokenA3, ListsTheTokenHolderBesideTheStoreMarkedA3AndLeavesItsAuthorityOut) {
  std::filesystem::create_directories(dir_.file("repositorio"));
  moxtest::WritePfx(dir_.file("repositorio/empresa.pfx"), moxtest::Pki().Company, "");
  const std::vector<std::string> lines = kivo_->ListCertificates();
  ASSERT_EQ(lines.size(), 2u) << ::testing::PrintToString(lines);
  EXPECT_EQ(lines[0].find(" | A3"), std::string::npos) << lines[0];
  EXPECT_EQ(lines[1].rfind("EMPRESA A3 LTDA:12345678000195 | CNPJ 12345678000195 | Emissor: AC Teste moxnfe", 0), 0u)
      << lines[1];
  EXPECT_TRUE(lines[1].ends_with(" | A3: token Token Teste")) << lines[1];

  // The whole line names the certificate, as the window hands it back.
  kivo_->SignerSettings.CertificateName = lines[1];
  std::string description;
  kivo_->OnCheckCertificate = [&](mox::TmoxKivoX&, const std::string& aText) { description = aText; };
  kivo_->CheckCertificate();
  EXPECT_NE(description.find("Tipo: A3 (chave no token \"Token Teste\", usada com o PIN)"), std::string::npos)
      << description;
  EXPECT_NE(description.find("Módulo PKCS#11: " + TokenSoftHsm::Module()), std::string::npos) << description;
}

TEST_F(KivoTokenA3, SignsANoteWithTheKeyOnTheTokenThatXmlsec1Verifies) {
  const std::string signedNote = SignNote(7001);
  const moxtest::ProgramResult check = Xmlsec1Verify(signedNote);
  EXPECT_EQ(check.status, 0) << check.out << check.err;
  EXPECT_NE(check.err.find("OK"), std::string::npos) << check.err;
  // KeyInfo carries the token's certificate, not the store's.
  const std::string certificate = moxtest::Campo(signedNote, "X509Certificate");
  EXPECT_EQ(certificate, mox::Base64Encode(mox::CertificateDer(HolderA3().Certificate.get())));
}

TEST_F(KivoTokenA3, ABatchOfFiftyNotesLogsInOnce) {
  const long before = mox::Pkcs11Session::LoginCount();
  kivo_->CheckCertificate();
  for (int n = 1; n <= 50; ++n) ASSERT_NE(SignNote(7100 + n).find("<SignatureValue>"), std::string::npos);
  EXPECT_EQ(mox::Pkcs11Session::LoginCount() - before, 1);
}

TEST_F(KivoTokenA3, AWrongPinIsRefusedOnceAndNeverSentAgain) {
  const std::string wrong = "975310";
  kivo_->SignerSettings.Pincode = wrong;
  const long before = mox::Pkcs11Session::LoginCount();
  const std::string first = MensagemDe<mox::EKivoException>([&] { SignNote(7201); });
  EXPECT_EQ(first.rfind("PIN incorreto para o token \"Token Teste\".", 0), 0u) << first;
  EXPECT_TRUE(first.ends_with(" Este PIN não será tentado de novo: corrija o PinCode.")) << first;
  // A batch that goes on does not spend the card's attempts.
  for (int n = 0; n < 5; ++n)
    EXPECT_EQ(MensagemDe<mox::EKivoException>([&] { SignNote(7202); }),
              "O PIN informado já foi recusado pelo token \"Token Teste\" e não será tentado de novo, para não "
              "bloquear o token: corrija o PinCode.");
  EXPECT_EQ(mox::Pkcs11Session::LoginCount() - before, 1);
  EXPECT_EQ(first.find(wrong), std::string::npos);

  kivo_->SignerSettings.Pincode = "";
  EXPECT_EQ(MensagemDe<mox::EKivoException>([&] { SignNote(7203); }),
            "Informe o PIN do token \"Token Teste\" (PinCode) para usar o certificado A3.");
  kivo_->SignerSettings.Pincode = token_->Pin();
  EXPECT_NE(SignNote(7204).find("<SignatureValue>"), std::string::npos);
}

TEST_F(KivoTokenA3, NamesNoTokenHoldsAreRefusedWithTheTokensPresent) {
  kivo_->SignerSettings.CertificateName = "99888777000166";
  EXPECT_EQ(MensagemDe<mox::EKivoException>([&] { SignNote(7301); }),
            "Certificado A3 não encontrado nos tokens conectados (\"Token Teste\"): 99888777000166");
  kivo_->SignerSettings.CertificateName = "";
  EXPECT_EQ(MensagemDe<mox::EKivoException>([&] { SignNote(7302); }),
            "Certificado A3 não informado: indique em NomeCertificado o nome, o CNPJ ou a série de um certificado do "
            "token.");
}

TEST(KivoTokenA3Absent, WithoutTheTokenTheCertificateIsRefusedAskingToConnectIt) {
  TokenSoftHsm empty;
  empty.Activate();
  moxtest::TempDir dir;
  mox::TmoxKivoX kivo;
  kivo.SetCertificateStoreFolder(dir.file("repositorio"));
  kivo.SetPkcs11Modules(TokenSoftHsm::Module());
  kivo.SignerSettings.CertificateType = mox::kCertSmartCard;
  kivo.SignerSettings.CertificateName = moxtest::kCompanyCnpj;
  kivo.SignerSettings.Pincode = "246813";
  EXPECT_EQ(MensagemDe<mox::EKivoException>([&] { kivo.CheckCertificate(); }),
            "Nenhum token ou cartão inteligente conectado (módulo PKCS#11 " + TokenSoftHsm::Module() +
                "): conecte o token do certificado A3 \"12345678000195\" e tente de novo.");

  kivo.SetPkcs11Modules("/nao/existe/modulo.so");
  EXPECT_EQ(MensagemDe<mox::EKivoException>([&] { kivo.CheckCertificate(); }),
            "Módulo PKCS#11 não encontrado: /nao/existe/modulo.so");
  // The list goes on with a line for the module it could not read.
  const auto lines = kivo.ListCertificates();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "Módulo PKCS#11 /nao/existe/modulo.so | Módulo PKCS#11 não encontrado: /nao/existe/modulo.so");
}

TEST(KivoTokenA3Removed, ATokenPulledOutDuringABatchStopsItWithItsMessage) {
  const auto token = std::make_unique<TokenSoftHsm>(HolderA3(), "Token Removivel");
  mox::TmoxKivoX kivo;
  kivo.SetPkcs11Modules(TokenSoftHsm::Module());
  kivo.SignerSettings.CertificateType = mox::kCertSmartCard;
  kivo.SignerSettings.CertificateName = moxtest::kCompanyCnpj;
  kivo.SignerSettings.Pincode = token->Pin();
  kivo.SignerSettings.XmlElement = "infNFe";
  const std::string note = moxtest::NotaDeTeste(7401);
  ASSERT_NE(kivo.SignXmlById(note, "NFe" + moxtest::ChaveDe(note)).find("<SignatureValue>"), std::string::npos);
  // SoftHSM keeps a token as a folder: without it the token is gone.
  for (const auto& t : std::filesystem::directory_iterator(token->Folder() + "/tokens")) std::filesystem::remove_all(t);
  const std::string message =
      MensagemDe<mox::EKivoException>([&] { kivo.SignXmlById(note, "NFe" + moxtest::ChaveDe(note)); });
  EXPECT_EQ(message,
            "O token \"Token Removivel\" foi removido ou deixou de responder durante a assinatura: reconecte-o e "
            "repita a operação.");
  // The next note looks for the token again instead of reusing the dead session.
  const std::string next =
      MensagemDe<mox::EKivoException>([&] { kivo.SignXmlById(note, "NFe" + moxtest::ChaveDe(note)); });
  EXPECT_EQ(next, "Nenhum token ou cartão inteligente conectado (módulo PKCS#11 " + TokenSoftHsm::Module() +
                      "): conecte o token do certificado A3 \"12345678000195\" e tente de novo.");
}

}  // namespace
