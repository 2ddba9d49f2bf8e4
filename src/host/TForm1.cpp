#include "host/TForm1.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "external/moxPaths.h"

namespace {

// Tahoma at a pixel height, as the window was drawn at 96 pixels per inch.
QFont Tahoma(int aPixels) {
  QFont f("Tahoma");
  f.setPixelSize(aPixels);
  return f;
}

}  // namespace

TForm1::TForm1(TOnErro aOnErro, const std::function<void(mox::TmoxNFe&)>& aAntesDeCriar, QWidget* aParent)
    : QWidget(aParent), fmoxNFe(std::make_unique<mox::TmoxNFe>()), fOnErro(std::move(aOnErro)) {
  setWindowTitle("Certificados instalados");
  resize(417, 198);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Button);
  setFont(Tahoma(11));

  cbbCertificados = new QComboBox(this);
  cbbCertificados->setObjectName("cbbCertificados");
  cbbCertificados->setGeometry(8, 24, 401, 21);
  cbbCertificados->setEditable(true);
  cbbCertificados->setInsertPolicy(QComboBox::NoInsert);
  cbbCertificados->setEditText("Certificados instalados");

  btnCopiar = new QPushButton("Copiar", this);
  btnCopiar->setObjectName("btnCopiar");
  btnCopiar->setGeometry(168, 165, 75, 25);

  mmCertSelecionado = new QPlainTextEdit(this);
  mmCertSelecionado->setObjectName("mmCertSelecionado");
  mmCertSelecionado->setGeometry(8, 51, 401, 102);
  mmCertSelecionado->setFont(Tahoma(12));
  QPalette memo = mmCertSelecionado->palette();
  memo.setColor(QPalette::Text, palette().color(QPalette::WindowText));
  mmCertSelecionado->setPalette(memo);
  mmCertSelecionado->setPlainText("");

  setTabOrder(cbbCertificados, btnCopiar);
  setTabOrder(btnCopiar, mmCertSelecionado);

  AplicaPropriedadesArmazenadas();
  if (aAntesDeCriar) aAntesDeCriar(*fmoxNFe);
  FormCreate();

  connect(cbbCertificados, &QComboBox::currentTextChanged, this, [this] { cbbCertificadosChange(); });
  connect(btnCopiar, &QPushButton::clicked, this, [this] { btnCopiarClick(); });
}

TForm1::~TForm1() = default;

void TForm1::AplicaPropriedadesArmazenadas() {
  using namespace mox;
  TmoxNFe& n = *fmoxNFe;
  // The folders stored with the form: read-only data in the installed data folder, what the
  // component writes in the user's data folder.
  const std::string dados = InstalledDataDir(), usuario = UserDataDir();
  n.SetVersaoManual(TVersaoManual::vm50);
  n.SetAnexarDanfePDF(true);
  TDanfeSettings& d = n.DanfeSettings();
  d.SetFraseContingencia("Danfe em contingência - Impresso em decorrência de problemas técnicos");
  d.SetFraseHomologacao("SEM VALOR FISCAL");
  d.SetQtdeCopias(1);
  d.SetLineDelimiter("|");
  d.SetInfCplMaxCol(68);
  d.SetInfCplMaxRow(7);
  d.SetImprimirVolume(false);
  d.SetImprimirDuplicata(true);
  d.SetMensagemPartilhaAutomatica(false);
  d.SetImprimirUnidadeTributada(false);
  n.SetVersao("8.7.33.49873");
  n.SetCaracteresRemoverAcentos(TmoxCustomNFe::kCaracteresRemoverAcentos);
  n.SetTipoCertificado(TCertificadoKind::ckMemory);
  n.SetDiretorioTemplates(dados + "Templates/vm50/");
  n.SetIgnoreInvalidCertificates(false);
  n.SetDiretorioLog(usuario + "Log/");
  n.SetAmbiente(TAmbienteKind::akHomologacao);
  n.EmailSettings().Autenticacao = false;
  n.EmailSettings().TimeOut = 0;
  n.EmailSettings().ConteudoHtml = false;
  n.SetDiretorioEsquemas(dados + "Esquemas/vm50/");
  n.SetConexaoSegura(false);
  n.SetTimeOut(0);
  n.SetDiretorioLogErro(usuario + "LogErro/");
  // The machine-wide data folder of the original platform is the component's data folder here.
  n.SetDiretorioTemporario("");
  n.SetModoOperacao(TModoOperacao::moNormal);
  n.SetEntregaXML(TEntregaXML::exEmail);
  n.SetDiretorioXmlDestinatario(usuario + "XmlDestinatario/");
  n.SetDiretorioDownloads(usuario + "Downloads/");
  n.SetMaxSizeLoteEnvio(500);
  n.SetDanfeSimplificado(false);
}

void TForm1::FormCreate() {
  std::vector<std::string> certificados;
  try {
    fmoxNFe->ListarCertificados(&certificados);
  } catch (const std::exception& e) {
    const QString mensagem = QString::fromStdString(e.what());
    if (fOnErro) {
      fOnErro(mensagem);
    } else {
      QTimer::singleShot(0, this, [this, mensagem] { QMessageBox::critical(this, windowTitle(), mensagem); });
    }
  }
  for (const auto& c : certificados) cbbCertificados->addItem(QString::fromStdString(c));
  // Adding items selects the first one; the box keeps showing its own text until a choice.
  cbbCertificados->setCurrentIndex(-1);
  cbbCertificados->setEditText("Certificados instalados");
}

void TForm1::cbbCertificadosChange() {
  mmCertSelecionado->setPlainText(cbbCertificados->currentText());
  // Long lines read from their start, as the certificate's name comes first.
  cbbCertificados->lineEdit()->home(false);
}

void TForm1::btnCopiarClick() { QApplication::clipboard()->setText(mmCertSelecionado->toPlainText()); }
