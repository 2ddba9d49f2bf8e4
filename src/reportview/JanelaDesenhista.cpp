#include "reportview/JanelaDesenhista.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGraphicsPixmapItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <set>

#include "external/FileIO.h"
#include "report/ReportError.h"

namespace moxjanelas {

namespace {

using mox::report::ModelJson;

// A frame over an element: dragging it moves the element in the model.
class Moldura : public QGraphicsRectItem {
 public:
  Moldura(JanelaDesenhista& aJanela, int aIndice, const QRectF& aRect)
      : QGraphicsRectItem(aRect), janela_(aJanela), indice_(aIndice) {
    setFlags(ItemIsMovable | ItemIsSelectable);
    setPen(QPen(QColor(0, 120, 215, 140), 0));
  }

 protected:
  void mousePressEvent(QGraphicsSceneMouseEvent* aEvento) override {
    janela_.Selecionar(indice_);
    QGraphicsRectItem::mousePressEvent(aEvento);
  }
  void mouseReleaseEvent(QGraphicsSceneMouseEvent* aEvento) override {
    QGraphicsRectItem::mouseReleaseEvent(aEvento);
    QPointF d = pos() / JanelaDesenhista::kPixelsPorMm;
    if (d.manhattanLength() > 0.05) janela_.Mover(indice_, d.x(), d.y());  // re-renders: this frame is gone
  }

 private:
  JanelaDesenhista& janela_;
  int indice_;
};

double Arredonda(double aMm) { return std::round(aMm * 10) / 10; }

}  // namespace

JanelaDesenhista::JanelaDesenhista(const mox::TKivoPrintSettings& aSettings, QWidget* aParent)
    : QDialog(aParent), arquivo_(aSettings.RTMFile) {
  setWindowTitle(QStringLiteral("Modelo de relatório - ") + QString::fromStdString(arquivo_));
  modelo_ = mox::report::LoadModelJson(arquivo_);
  dados_ = mox::report::ParseDataSources(aSettings.DataSources);
  dados_.values["#logo"] = aSettings.Logo;

  cena_ = new QGraphicsScene(this);
  auto* vista = new QGraphicsView(cena_);
  vista->setBackgroundBrush(Qt::darkGray);
  auto* painel = new QFormLayout;
  auto espaco = [this](QDoubleSpinBox*& aCaixa, const char* aChave) {
    aCaixa = new QDoubleSpinBox;
    aCaixa->setRange(0, 2000);
    aCaixa->setDecimals(1);
    aCaixa->setSuffix(QStringLiteral(" mm"));
    connect(aCaixa, &QDoubleSpinBox::editingFinished, this, [this, aCaixa, aChave] {
      if (!preenchendo_) Alterar(aChave, Arredonda(aCaixa->value()));
    });
  };
  espaco(x_, "x");
  espaco(y_, "y");
  espaco(l_, "l");
  espaco(a_, "a");
  texto_ = new QLineEdit;
  rotulo_ = new QLineEdit;
  connect(texto_, &QLineEdit::editingFinished, this, [this] {
    if (!preenchendo_) Alterar("texto", texto_->text().toStdString());
  });
  connect(rotulo_, &QLineEdit::editingFinished, this, [this] {
    if (!preenchendo_) Alterar("rotulo", rotulo_->text().toStdString());
  });
  campos_ = new QComboBox;
  campos_->addItems(Campos());
  auto* inserir = new QPushButton(QStringLiteral("Inserir campo no texto"));
  connect(inserir, &QPushButton::clicked, this, [this] {
    if (selecionado_ < 0) return;
    texto_->setText(texto_->text() + "{" + campos_->currentText() + "}");
    Alterar("texto", texto_->text().toStdString());
  });
  painel->addRow(QStringLiteral("X"), x_);
  painel->addRow(QStringLiteral("Y"), y_);
  painel->addRow(QStringLiteral("Largura"), l_);
  painel->addRow(QStringLiteral("Altura"), a_);
  painel->addRow(QStringLiteral("Texto"), texto_);
  painel->addRow(QStringLiteral("Rótulo"), rotulo_);
  painel->addRow(QStringLiteral("Campo"), campos_);
  painel->addRow(inserir);
  auto* salvar = new QPushButton(QStringLiteral("Salvar"));
  auto* fechar = new QPushButton(QStringLiteral("Fechar"));
  connect(salvar, &QPushButton::clicked, this, [this] { Salvar(); });
  connect(fechar, &QPushButton::clicked, this, &QDialog::accept);
  painel->addRow(salvar);
  painel->addRow(fechar);
  auto* lados = new QHBoxLayout(this);
  lados->addWidget(vista, 1);
  auto* direita = new QWidget;
  direita->setLayout(painel);
  direita->setFixedWidth(320);
  lados->addWidget(direita);
  resize(1200, 1000);
  Renderizar();
}

QStringList JanelaDesenhista::Campos() const {
  std::set<QString> nomes;
  std::function<void(const mox::report::Table&)> junta = [&](const mox::report::Table& aTabela) {
    if (aTabela.empty()) return;
    for (const auto& [nome, valor] : aTabela.front().fields) nomes.insert(QString::fromStdString(nome));
    for (const auto& [nome, detalhe] : aTabela.front().details) junta(detalhe);
  };
  for (const auto& [nome, tabela] : dados_.tables) junta(tabela);
  return QStringList(nomes.begin(), nomes.end());
}

ModelJson& JanelaDesenhista::Json(int aIndice) {
  const auto& p = elementos_.at(static_cast<size_t>(aIndice));
  ModelJson& banda = modelo_["bandas"][p.band];
  return (p.columnHeader ? banda["cabecalho"] : banda)["elementos"][p.element];
}

void JanelaDesenhista::Renderizar() {
  cena_->clear();
  fundo_ = nullptr;
  try {
    mox::report::ReportDocument documento(mox::report::ParseModel(modelo_), dados_);
    QImage imagem;
    std::vector<std::string> paginas = documento.Png(96);
    imagem.loadFromData(reinterpret_cast<const uchar*>(paginas.front().data()), static_cast<int>(paginas.front().size()),
                        "PNG");
    fundo_ = cena_->addPixmap(QPixmap::fromImage(imagem));
    elementos_ = documento.ElementsOnPage(0);
  } catch (const std::exception& e) {
    QMessageBox::warning(this, windowTitle(), QString::fromUtf8(e.what()));
    return;
  }
  for (size_t i = 0; i < elementos_.size(); ++i) {
    const auto& p = elementos_[i];
    const double k = kPixelsPorMm;
    auto* moldura = new Moldura(*this, static_cast<int>(i), QRectF(p.x * k, p.y * k, std::max(p.w, 0.5) * k, std::max(p.h, 0.5) * k));
    if (static_cast<int>(i) == selecionado_) moldura->setPen(QPen(QColor(220, 0, 0), 0));
    cena_->addItem(moldura);
  }
  MostrarPropriedades();
}

void JanelaDesenhista::Selecionar(int aIndice) {
  selecionado_ = aIndice;
  MostrarPropriedades();
}

void JanelaDesenhista::MostrarPropriedades() {
  preenchendo_ = true;
  bool tem = selecionado_ >= 0 && selecionado_ < static_cast<int>(elementos_.size());
  for (QWidget* w : std::initializer_list<QWidget*>{x_, y_, l_, a_, texto_, rotulo_}) w->setEnabled(tem);
  if (tem) {
    const ModelJson& e = Json(selecionado_);
    auto numero = [&e](const char* aChave) { return e.contains(aChave) ? e[aChave].get<double>() : 0.0; };
    x_->setValue(numero("x"));
    y_->setValue(numero("y"));
    l_->setValue(numero("l"));
    a_->setValue(numero("a"));
    texto_->setText(QString::fromStdString(e.value("texto", std::string())));
    rotulo_->setText(QString::fromStdString(e.value("rotulo", std::string())));
  }
  preenchendo_ = false;
}

void JanelaDesenhista::Mover(int aIndice, double aDx, double aDy) {
  ModelJson& e = Json(aIndice);
  e["x"] = Arredonda(e.value("x", 0.0) + aDx);
  e["y"] = Arredonda(std::max(0.0, e.value("y", 0.0) + aDy));
  selecionado_ = aIndice;
  Renderizar();
}

void JanelaDesenhista::Alterar(const char* aChave, const ModelJson& aValor) {
  if (selecionado_ < 0) return;
  Json(selecionado_)[aChave] = aValor;
  Renderizar();
}

bool JanelaDesenhista::Salvar() {
  try {
    mox::report::ParseModel(modelo_);
    mox::WriteFileAtomic(arquivo_, mox::report::ModelText(modelo_));
    return true;
  } catch (const std::exception& e) {
    QMessageBox::warning(this, windowTitle(), QString::fromUtf8(e.what()));
    return false;
  }
}

}  // namespace moxjanelas
