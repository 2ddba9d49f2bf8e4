// The component configured for an A3 certificate from its configuration file: the PIN kept
// encrypted, the module path, the certificate checked on its SoftHSM token when named.
#include <gtest/gtest.h>

#include <cstdlib>

#include "component/TmoxNFe.h"
#include "external/CertificateFactory.h"
#include "external/Pkcs11Token.h"
#include "external/TmoxIniFile.h"
#include "external/TmoxKivoUtils.h"
#include "support/TestCertificates.h"
#include "support/TestSupport.h"
#include "support/TokenSoftHsm.h"

namespace {

using moxtest::TokenSoftHsm;

TEST(ComponentTokenA3, LoadsTheTokenSettingsFromItsFileAndChecksTheCertificateWithOneLogin) {
  moxtest::TempDir dir;
  ::setenv("MOXNFE_CHAVE", dir.file("chave.key").c_str(), 1);
  const TokenSoftHsm token(mox::CertificateFactory::CreateECnpj(moxtest::Pki().Authority, "EMPRESA A3 LTDA",
                                                                moxtest::kCompanyCnpj, moxtest::SpareKey()));
  token.Activate();
  const std::string pinCifrado = mox::TmoxKivoUtils().Encrypt(token.Pin());
  moxtest::WriteText(dir.file("nfeConfig.ini"), "[NFE]\nTipoCertificado=SMARTCARD\nNomeCertificado=" +
                                                    std::string(moxtest::kCompanyCnpj) + "\nPinCode=" + pinCifrado +
                                                    "\nModuloPKCS11=" + TokenSoftHsm::Module() + "\nUF=SP\n");
  mox::TmoxNFe nfe;
  std::string descricao;
  nfe.OnCheckCertificate = [&](std::string& aTexto) { descricao = aTexto; };
  nfe.GetKivo();  // as a host does before loading: naming the certificate then checks it
  const long logins = mox::Pkcs11Session::LoginCount();
  nfe.LoadConfig(dir.file("nfeConfig.ini"));
  EXPECT_EQ(nfe.TipoCertificado(), mox::TCertificadoKind::ckSmartCard);
  EXPECT_EQ(nfe.ModuloPKCS11(), TokenSoftHsm::Module());
  EXPECT_NE(descricao.find("Tipo: A3 (chave no token \"Token Teste\", usada com o PIN)"), std::string::npos)
      << descricao;
  nfe.CheckCertificate();
  nfe.GetVencimentoCertificado();
  EXPECT_EQ(mox::Pkcs11Session::LoginCount() - logins, 1);

  nfe.SaveConfig(dir.file("salvo.ini"));
  const std::string salvo = moxtest::ReadText(dir.file("salvo.ini"));
  EXPECT_NE(salvo.find("ModuloPKCS11=" + TokenSoftHsm::Module()), std::string::npos) << salvo;
  EXPECT_EQ(salvo.find(token.Pin()), std::string::npos) << salvo;
  ::unsetenv("MOXNFE_CHAVE");
}

}  // namespace
