#include "reportview/JanelaVisualizacao.h"

#include <cups/cups.h>

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "external/FileIO.h"
#include "report/ReportDocument.h"
#include "report/ReportPrinter.h"

namespace moxjanelas {

namespace {

constexpr double kDpi = 110;

QStringList Impressoras() {
  QStringList nomes;
  cups_dest_t* dests = nullptr;
  int n = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  for (int i = 0; i < n; ++i) nomes << QString::fromUtf8(dests[i].name);
  cupsFreeDests(n, dests);
  return nomes;
}

}  // namespace

JanelaVisualizacao::JanelaVisualizacao(mox::report::ReportDocument& aDocumento, const mox::TKivoPrintSettings& aSettings,
                                       QWidget* aParent)
    : QDialog(aParent), documento_(aDocumento), settings_(aSettings) {
  setWindowTitle(QStringLiteral("Visualização de impressão"));
  for (const std::string& png : documento_.Png(kDpi)) {
    QImage imagem;
    imagem.loadFromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()), "PNG");
    paginas_.push_back(std::move(imagem));
  }
  auto* barra = new QHBoxLayout;
  auto* menos = new QPushButton(QStringLiteral("−"));
  auto* mais = new QPushButton(QStringLiteral("+"));
  zoomTexto_ = new QLabel;
  impressoras_ = new QComboBox;
  impressoras_->addItems(Impressoras());
  if (!settings_.PrinterName.empty()) impressoras_->setCurrentText(QString::fromStdString(settings_.PrinterName));
  auto* imprimir = new QPushButton(QStringLiteral("Imprimir"));
  auto* salvar = new QPushButton(QStringLiteral("Salvar PDF..."));
  auto* fechar = new QPushButton(QStringLiteral("Fechar"));
  barra->addWidget(menos);
  barra->addWidget(zoomTexto_);
  barra->addWidget(mais);
  barra->addStretch();
  barra->addWidget(new QLabel(QStringLiteral("Impressora:")));
  barra->addWidget(impressoras_);
  barra->addWidget(imprimir);
  barra->addWidget(salvar);
  barra->addWidget(fechar);

  auto* folhas = new QWidget;
  auto* coluna = new QVBoxLayout(folhas);
  for (size_t i = 0; i < paginas_.size(); ++i) {
    auto* rotulo = new QLabel;
    rotulo->setFrameShape(QFrame::Box);
    coluna->addWidget(rotulo, 0, Qt::AlignHCenter);
    rotulos_.push_back(rotulo);
  }
  auto* rolagem = new QScrollArea;
  rolagem->setWidget(folhas);
  rolagem->setWidgetResizable(true);
  rolagem->setBackgroundRole(QPalette::Dark);

  auto* raiz = new QVBoxLayout(this);
  raiz->addLayout(barra);
  raiz->addWidget(rolagem);
  connect(menos, &QPushButton::clicked, this, [this] { SetZoom(zoom_ / 1.25); });
  connect(mais, &QPushButton::clicked, this, [this] { SetZoom(zoom_ * 1.25); });
  connect(fechar, &QPushButton::clicked, this, &QDialog::accept);
  connect(imprimir, &QPushButton::clicked, this, [this] { Imprimir(); });
  connect(salvar, &QPushButton::clicked, this, [this] {
    QString arquivo = QFileDialog::getSaveFileName(this, QStringLiteral("Salvar PDF"), {},
                                                   QStringLiteral("Arquivo PDF (*.pdf)"));
    if (!arquivo.isEmpty()) SalvarPdf(arquivo);
  });
  resize(900, 1000);
  Mostrar();
}

void JanelaVisualizacao::SetZoom(double aZoom) {
  zoom_ = std::clamp(aZoom, 0.25, 4.0);
  Mostrar();
}

void JanelaVisualizacao::Mostrar() {
  zoomTexto_->setText(QString::number(static_cast<int>(zoom_ * 100 + 0.5)) + QStringLiteral("%"));
  for (size_t i = 0; i < paginas_.size(); ++i) {
    QImage imagem = zoom_ == 1.0 ? paginas_[i]
                                 : paginas_[i].scaled(paginas_[i].size() * zoom_, Qt::KeepAspectRatio,
                                                      Qt::SmoothTransformation);
    rotulos_[i]->setPixmap(QPixmap::fromImage(imagem));
  }
}

bool JanelaVisualizacao::SalvarPdf(const QString& aArquivo) {
  try {
    mox::WriteFileAtomic(aArquivo.toStdString(), documento_.Pdf());
    return true;
  } catch (const std::exception& e) {
    QMessageBox::warning(this, windowTitle(), QString::fromUtf8(e.what()));
    return false;
  }
}

int JanelaVisualizacao::Imprimir() {
  try {
    return mox::report::PrintPdf(documento_.Pdf(), impressoras_->currentText().toStdString(), settings_.Copies,
                                 "moxnfe");
  } catch (const std::exception& e) {
    QMessageBox::warning(this, windowTitle(), QString::fromUtf8(e.what()));
    return 0;
  }
}

}  // namespace moxjanelas
