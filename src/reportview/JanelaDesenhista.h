#pragma once
// The report designer: the model drawn with the print data behind a frame for each element;
// elements are moved with the mouse or given position, size, text and caption in the panel
// (the text holds the field bindings, "{Campo}"); "Salvar" writes the model file.
#include <QDialog>
#include <vector>

#include "external/KivoPrintSettings.h"
#include "report/ReportData.h"
#include "report/ReportDocument.h"
#include "report/ReportModel.h"

class QComboBox;
class QDoubleSpinBox;
class QGraphicsPixmapItem;
class QGraphicsScene;
class QLineEdit;

namespace moxjanelas {

class JanelaDesenhista : public QDialog {
  Q_OBJECT

 public:
  // Raises EReportException when the model file does not read.
  explicit JanelaDesenhista(const mox::TKivoPrintSettings& aSettings, QWidget* aParent = nullptr);

  static constexpr double kPixelsPorMm = 96 / 25.4;

  const mox::report::ModelJson& Modelo() const { return modelo_; }
  // Elements drawn on the first page, in the order of their frames.
  const std::vector<mox::report::PlacedElement>& Elementos() const { return elementos_; }
  void Selecionar(int aIndice);
  int Selecionado() const { return selecionado_; }
  // Moves the element by the given millimetres (what a drag does).
  void Mover(int aIndice, double aDx, double aDy);
  // Sets a property ("x", "y", "l", "a", "texto", "rotulo") of the selected element.
  void Alterar(const char* aChave, const mox::report::ModelJson& aValor);
  // Writes the model to its file; false (with a message box) when it cannot.
  bool Salvar();
  QStringList Campos() const;

 private:
  mox::report::ModelJson& Json(int aIndice);
  void Renderizar();
  void MostrarPropriedades();

  std::string arquivo_;
  mox::report::ModelJson modelo_;
  mox::report::ReportData dados_;
  std::vector<mox::report::PlacedElement> elementos_;
  int selecionado_ = -1;
  QGraphicsScene* cena_ = nullptr;
  QGraphicsPixmapItem* fundo_ = nullptr;
  QDoubleSpinBox *x_ = nullptr, *y_ = nullptr, *l_ = nullptr, *a_ = nullptr;
  QLineEdit *texto_ = nullptr, *rotulo_ = nullptr;
  QComboBox* campos_ = nullptr;
  bool preenchendo_ = false;
};

}  // namespace moxjanelas
