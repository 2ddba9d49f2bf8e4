// The component's services server, its settings and the certificate operations.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "external/TmoxIniFile.h"
#include "external/TmoxKivoX.h"
#include "support/MensagemDe.h"
#include "support/TestCertificates.h"
#include "support/TestSupport.h"

using namespace mox;

namespace {

class ComponentShell : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(store());
    ::setenv("MOXNFE_CERTIFICADOS", store().c_str(), 1);
  }
  void TearDown() override { ::unsetenv("MOXNFE_CERTIFICADOS"); }
  std::string store() const { return dir.str() + "certificados"; }
  moxtest::TempDir dir;
};

}  // namespace

TEST_F(ComponentShell, FirstServerUseOverridesCertificateSettings) {
  TmoxNFe n;
  n.SetTipoCertificado(TCertificadoKind::ckMemory);
  n.SetIgnoreInvalidCertificates(false);
  n.SetProxy("proxy:8080");
  n.SetTimeOut(1234);
  n.EmailSettings().ServidorSmtp = "smtp.local";
  n.EmailSettings().CCo = "oculto@x.com";
  TmoxKivoX& kivo = n.GetKivo();
  EXPECT_EQ(n.TipoCertificado(), TCertificadoKind::ckFile);
  EXPECT_TRUE(n.IgnoreInvalidCertificates());
  EXPECT_EQ(kivo.SignerSettings.AllowedTransformations, 3);
  EXPECT_EQ(kivo.HttpSettings.CertificateType, static_cast<int>(TCertificadoKind::ckFile));
  EXPECT_EQ(kivo.HttpSettings.Proxy, "proxy:8080");
  EXPECT_EQ(kivo.HttpSettings.Timeout, 1234);
  EXPECT_EQ(kivo.EmailSettings.Server, "smtp.local");
  EXPECT_EQ(kivo.EmailSettings.BCC, "oculto@x.com");
  EXPECT_EQ(kivo.SignerSettings.AllowedElementsFile, n.DiretorioTemplates().substr(0, n.DiretorioTemplates().size() - 5) +
                                                           "elementospermitidos.bin");
  // Later changes reach the server on the next use.
  n.SetCaminhoCertificado("/x/empresa.pfx");
  n.SetSenhaCertificado("segredo");
  EXPECT_EQ(n.GetKivo().SignerSettings.CertificatePath, "/x/empresa.pfx");
  EXPECT_EQ(n.GetKivo().HttpSettings.CertificatePassword, "segredo");
}

TEST_F(ComponentShell, CertificateNameChecksOnlyAfterFirstUse) {
  TmoxNFe n;
  n.NomeCertificado().SetText("nao existe");
  EXPECT_EQ(n.NomeCertificado().Text(), "nao existe\n") << "before the server exists the text is only stored";
  EXPECT_EQ(n.GetKivo().SignerSettings.CertificateName, "nao existe");

  n.NomeCertificado().SetText("");
  EXPECT_EQ(n.GetKivo().SignerSettings.CertificateName, "");
  EXPECT_EQ(n.GetKivo().HttpSettings.CertificateName, "");

  try {
    n.NomeCertificado().SetText("outro que nao existe");
    ADD_FAILURE() << "an unknown certificate was accepted";
  } catch (const EmoxCertStoreException& e) {
    EXPECT_NE(std::string(e.what()).find("outro que nao existe"), std::string::npos) << e.what();
  }

  const std::string pfx = moxtest::WritePfx(store() + "/empresa.pfx", moxtest::Pki().Company, "");
  std::string recebido;
  n.OnCheckCertificate = [&](std::string& aTexto) { recebido = aTexto; };
  n.NomeCertificado().SetText(moxtest::kCompanyCnpj);
  EXPECT_NE(recebido.find(moxtest::kCompanyCnpj), std::string::npos) << recebido;
}

TEST_F(ComponentShell, ListingRemovingAndExpiry) {
  TmoxNFe n;
  EXPECT_EQ(moxtest::MensagemDe<EmoxException>([&] { n.ListarCertificados(nullptr); }),
            "A lista do certificado não foi instanciada. ");
  std::vector<std::string> lista{"linha anterior"};
  n.ListarCertificados(&lista);
  EXPECT_EQ(lista, std::vector<std::string>{"linha anterior"});

  moxtest::WritePfx(store() + "/empresa.pfx", moxtest::Pki().Company, "");
  lista.clear();
  n.ListarCertificados(&lista);
  ASSERT_EQ(lista.size(), 1u);
  EXPECT_NE(lista[0].find("EMPRESA TESTE LTDA:12345678000195"), std::string::npos) << lista[0];

  n.NomeCertificado().SetText(moxtest::kCompanyCnpj);
  EXPECT_GT(n.GetVencimentoCertificado(), Now());

  EXPECT_FALSE(n.RemoverCertificado("ninguem"));
  EXPECT_TRUE(n.RemoverCertificado(moxtest::kCompanyCnpj));
  lista.clear();
  n.ListarCertificados(&lista);
  EXPECT_TRUE(lista.empty());
  EXPECT_THROW(n.CheckCertificate(), EmoxCertStoreException);
}

TEST_F(ComponentShell, SettingsSnapshotAndServersFile) {
  const std::string hom = dir.file("hom.ini");
  moxtest::WriteText(hom, "[SP]\nNfeStatusServico3=https://sefaz.local/status\n");
  TmoxNFe n;
  n.SetUF("SP");
  n.SetCNPJ("12345678000195");
  n.SetArquivoServidoresHom(hom);
  n.SetVersaoManual(TVersaoManual::vm50a);
  n.UpdateNFeData();
  const TNFeData& d = n.NFeData();
  EXPECT_EQ(d.AmbienteStr, "2");
  EXPECT_EQ(d.LocalCode, "35");
  EXPECT_EQ(d.UF, "SP");
  EXPECT_EQ(d.VersaoManual, TVersaoManual::vm50a);
  ASSERT_NE(d.ServersIni, nullptr);
  EXPECT_EQ(d.ServersIni->ReadString("SP", "NfeStatusServico3", ""), "https://sefaz.local/status");

  n.SetAmbiente(TAmbienteKind::akProducao);
  n.SetArquivoServidoresProd(dir.file("prod.ini"));
  EXPECT_EQ(moxtest::MensagemDe<EmoxException>([&] { n.LoadServers(); }),
            "O arquivo de servidores informado não existe: " + dir.file("prod.ini"));
}
