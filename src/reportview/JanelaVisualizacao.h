#pragma once
// Report preview: the pages one below the other, zoom, print to a CUPS queue and save as PDF.
#include <QDialog>
#include <QImage>
#include <vector>

#include "external/KivoPrintSettings.h"

class QComboBox;
class QLabel;
class QVBoxLayout;

namespace mox::report {
class ReportDocument;
}

namespace moxjanelas {

class JanelaVisualizacao : public QDialog {
  Q_OBJECT

 public:
  JanelaVisualizacao(mox::report::ReportDocument& aDocumento, const mox::TKivoPrintSettings& aSettings,
                     QWidget* aParent = nullptr);

  int Paginas() const { return static_cast<int>(paginas_.size()); }
  double Zoom() const { return zoom_; }
  void SetZoom(double aZoom);
  // Writes the document as PDF; false (with a message box) when it cannot.
  bool SalvarPdf(const QString& aArquivo);
  // Queues the document on the chosen printer; the CUPS job id, or 0 (with a message box).
  int Imprimir();
  const QImage& Pagina(int aIndice) const { return paginas_[static_cast<size_t>(aIndice)]; }

 private:
  void Mostrar();

  mox::report::ReportDocument& documento_;
  mox::TKivoPrintSettings settings_;
  std::vector<QImage> paginas_;
  std::vector<QLabel*> rotulos_;
  double zoom_ = 1.0;
  QLabel* zoomTexto_ = nullptr;
  QComboBox* impressoras_ = nullptr;
};

}  // namespace moxjanelas
