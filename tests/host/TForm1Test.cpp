// The certificate window under Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>

#include "external/CertificateFactory.h"
#include "external/TmoxKivoX.h"
#include "host/TForm1.h"
#include "support/AmbienteQt.h"
#include "support/TestCertificates.h"
#include "support/TestSupport.h"
#include "support/TokenSoftHsm.h"

namespace {

const auto* const kQt = ::testing::AddGlobalTestEnvironment(new moxtest::AmbienteQt("tests_host"));

class Janela : public ::testing::Test {
 protected:
  std::unique_ptr<TForm1> Abre(const std::string& aPasta) {
    return std::make_unique<TForm1>([this](const QString& m) { erros.push_back(m.toStdString()); },
                                    [aPasta](mox::TmoxNFe& n) { n.GetKivo().SetCertificateStoreFolder(aPasta); });
  }
  moxtest::TempDir dir;
  std::vector<std::string> erros;
};

}  // namespace

TEST_F(Janela, ControlsAndGeometry) {
  auto janela = Abre(dir.str());
  EXPECT_EQ(janela->windowTitle(), "Certificados instalados");
  EXPECT_EQ(janela->size(), QSize(417, 198));
  EXPECT_EQ(janela->cbbCertificados->geometry(), QRect(8, 24, 401, 21));
  EXPECT_EQ(janela->btnCopiar->geometry(), QRect(168, 165, 75, 25));
  EXPECT_EQ(janela->btnCopiar->text(), "Copiar");
  EXPECT_EQ(janela->mmCertSelecionado->geometry(), QRect(8, 51, 401, 102));
  EXPECT_EQ(janela->mmCertSelecionado->font().pixelSize(), 12);
  EXPECT_EQ(janela->font().pixelSize(), 11);
  EXPECT_EQ(janela->moxNFe().VersaoManual(), mox::TVersaoManual::vm50);
  EXPECT_EQ(janela->moxNFe().MaxSizeLoteEnvio(), 500);
}

TEST_F(Janela, EmptyStoreKeepsTheComboText) {
  auto janela = Abre(dir.str());
  EXPECT_EQ(janela->cbbCertificados->count(), 0);
  EXPECT_EQ(janela->cbbCertificados->currentText(), "Certificados instalados");
  EXPECT_EQ(janela->mmCertSelecionado->toPlainText(), "");
  EXPECT_TRUE(erros.empty());
  janela->btnCopiar->click();
  EXPECT_EQ(QApplication::clipboard()->text(), "") << "copying the empty memo puts an empty text";
}

TEST_F(Janela, ChoosingACertificateAndCopying) {
  moxtest::WritePfx(dir.file("empresa.pfx"), moxtest::Pki().Company, "");
  mox::TCertificateRequest pedido;
  pedido.CommonName = "OUTRA EMPRESA SA:11222333000181";
  pedido.Cnpj = "11222333000181";
  auto holder = moxtest::IssueHolder(pedido);
  moxtest::WritePfx(dir.file("outra.pfx"), holder, "");
  auto janela = Abre(dir.str());
  ASSERT_EQ(janela->cbbCertificados->count(), 2);
  EXPECT_EQ(janela->cbbCertificados->currentText(), "Certificados instalados");
  EXPECT_EQ(janela->mmCertSelecionado->toPlainText(), "") << "nothing is chosen at start";

  janela->cbbCertificados->setCurrentIndex(1);
  const QString escolhido = janela->cbbCertificados->itemText(1);
  EXPECT_TRUE(escolhido.contains("OUTRA EMPRESA SA:11222333000181")) << escolhido.toStdString();
  EXPECT_EQ(janela->mmCertSelecionado->toPlainText(), escolhido);

  janela->btnCopiar->click();
  EXPECT_EQ(QApplication::clipboard()->text(), escolhido);
}

TEST_F(Janela, TokenCertificatesAreListedBesideTheStoresMarkedA3) {
  moxtest::WritePfx(dir.file("empresa.pfx"), moxtest::Pki().Company, "");
  const moxtest::TokenSoftHsm token(mox::CertificateFactory::CreateECnpj(
      moxtest::Pki().Authority, "EMPRESA A3 LTDA", moxtest::kCompanyCnpj, moxtest::SpareKey()));
  token.Activate();
  const std::string pasta = dir.str();
  TForm1 janela([this](const QString& m) { erros.push_back(m.toStdString()); },
                [&pasta](mox::TmoxNFe& n) {
                  n.GetKivo().SetCertificateStoreFolder(pasta);
                  n.SetModuloPKCS11(moxtest::TokenSoftHsm::Module());
                });
  EXPECT_TRUE(erros.empty()) << erros.front();
  ASSERT_EQ(janela.cbbCertificados->count(), 2);
  EXPECT_FALSE(janela.cbbCertificados->itemText(0).contains(" | A3"));
  const QString a3 = janela.cbbCertificados->itemText(1);
  EXPECT_TRUE(a3.startsWith("EMPRESA A3 LTDA:12345678000195 | CNPJ 12345678000195")) << a3.toStdString();
  EXPECT_TRUE(a3.endsWith(" | A3: token Token Teste")) << a3.toStdString();
}

TEST_F(Janela, ListingFailureIsReportedAndTheWindowOpens) {
  const std::string arquivo = dir.file("nao-e-pasta");
  moxtest::WriteText(arquivo, "x");
  auto janela = Abre(arquivo);
  ASSERT_EQ(erros.size(), 1u);
  EXPECT_FALSE(erros[0].empty());
  EXPECT_EQ(janela->cbbCertificados->count(), 0);
  EXPECT_EQ(janela->cbbCertificados->currentText(), "Certificados instalados");
}
