#include "report/ReportModel.h"

#include <fstream>
#include <sstream>

#include "report/ReportError.h"

namespace mox::report {

namespace {

[[noreturn]] void Invalid(const std::string& aWhat) { throw EReportException("Modelo de relatório inválido: " + aWhat); }

double Number(const ModelJson& aObj, const char* aKey, double aDefault, const std::string& aWhere) {
  auto it = aObj.find(aKey);
  if (it == aObj.end()) return aDefault;
  if (!it->is_number()) Invalid(aWhere + ": \"" + aKey + "\" deve ser um número");
  return it->get<double>();
}

std::string Text(const ModelJson& aObj, const char* aKey, const std::string& aWhere, std::string aDefault = {}) {
  auto it = aObj.find(aKey);
  if (it == aObj.end()) return aDefault;
  if (!it->is_string()) Invalid(aWhere + ": \"" + aKey + "\" deve ser um texto");
  return it->get<std::string>();
}

bool Flag(const ModelJson& aObj, const char* aKey, bool aDefault, const std::string& aWhere) {
  auto it = aObj.find(aKey);
  if (it == aObj.end()) return aDefault;
  if (!it->is_boolean()) Invalid(aWhere + ": \"" + aKey + "\" deve ser true ou false");
  return it->get<bool>();
}

int64_t Color(const std::string& aText, const std::string& aWhere) {
  if (aText.size() != 7 || aText[0] != '#') Invalid(aWhere + ": cor \"" + aText + "\" deve ser #RRGGBB");
  try {
    size_t used = 0;
    int64_t v = std::stoll(aText.substr(1), &used, 16);
    if (used != 6) throw std::invalid_argument(aText);
    return v;
  } catch (const std::exception&) {
    Invalid(aWhere + ": cor \"" + aText + "\" deve ser #RRGGBB");
  }
}

ElementKind KindOf(const std::string& aKind, const std::string& aWhere) {
  if (aKind == "caixa") return ElementKind::Box;
  if (aKind == "linha") return ElementKind::Line;
  if (aKind == "texto") return ElementKind::Text;
  if (aKind == "campo") return ElementKind::Field;
  if (aKind == "imagem") return ElementKind::Image;
  if (aKind == "codigobarras") return ElementKind::Barcode;
  Invalid(aWhere + ": tipo de elemento \"" + aKind + "\" desconhecido");
}

Element ParseElement(const ModelJson& aObj, const std::string& aWhere) {
  if (!aObj.is_object()) Invalid(aWhere + ": o elemento deve ser um objeto");
  Element e;
  e.kind = KindOf(Text(aObj, "tipo", aWhere), aWhere);
  e.x = Number(aObj, "x", 0, aWhere);
  e.y = Number(aObj, "y", 0, aWhere);
  e.w = Number(aObj, "l", 0, aWhere);
  e.h = Number(aObj, "a", 0, aWhere);
  if (e.w < 0 || e.h < 0) Invalid(aWhere + ": largura e altura não podem ser negativas");
  e.text = Text(aObj, "texto", aWhere);
  e.caption = Text(aObj, "rotulo", aWhere);
  e.fontSize = Number(aObj, "tam", e.kind == ElementKind::Field ? 7.5 : 8, aWhere);
  e.captionSize = Number(aObj, "tamRotulo", 5, aWhere);
  if (e.fontSize <= 0 || e.captionSize <= 0) Invalid(aWhere + ": tamanho de fonte deve ser positivo");
  e.bold = Flag(aObj, "negrito", false, aWhere);
  e.italic = Flag(aObj, "italico", false, aWhere);
  std::string align = Text(aObj, "alinhar", aWhere, "esquerda");
  if (align == "esquerda") e.align = HAlign::Left;
  else if (align == "centro") e.align = HAlign::Center;
  else if (align == "direita") e.align = HAlign::Right;
  else Invalid(aWhere + ": \"alinhar\" deve ser esquerda, centro ou direita");
  std::string valign = Text(aObj, "vertical", aWhere, e.kind == ElementKind::Field ? "base" : "topo");
  if (valign == "topo") e.valign = VAlign::Top;
  else if (valign == "meio") e.valign = VAlign::Middle;
  else if (valign == "base") e.valign = VAlign::Bottom;
  else Invalid(aWhere + ": \"vertical\" deve ser topo, meio ou base");
  e.wrap = Flag(aObj, "quebrar", e.kind == ElementKind::Text, aWhere);
  e.grow = Flag(aObj, "crescer", false, aWhere);
  e.stretch = Flag(aObj, "esticar", false, aWhere);
  bool framed = e.kind == ElementKind::Box || e.kind == ElementKind::Field || e.kind == ElementKind::Line;
  e.border = Number(aObj, "borda", framed ? 0.2 : 0, aWhere);
  e.color = static_cast<uint32_t>(Color(Text(aObj, "cor", aWhere, "#000000"), aWhere));
  if (auto f = Text(aObj, "preenchimento", aWhere); !f.empty()) e.fill = Color(f, aWhere);
  e.rotation = static_cast<int>(Number(aObj, "rotacao", 0, aWhere));
  if (e.rotation != 0 && e.rotation != 90 && e.rotation != 270) Invalid(aWhere + ": \"rotacao\" deve ser 0, 90 ou 270");
  e.visibleIf = Text(aObj, "visivelSe", aWhere);
  e.source = Text(aObj, "origem", aWhere);
  e.repeat = Text(aObj, "repetir", aWhere);
  e.separator = Text(aObj, "separador", aWhere, "\n");
  if (e.kind == ElementKind::Image && e.source.empty()) Invalid(aWhere + ": imagem sem \"origem\"");
  return e;
}

void ParseElements(const ModelJson& aObj, Band& aBand, const std::string& aWhere) {
  auto it = aObj.find("elementos");
  if (it == aObj.end()) return;
  if (!it->is_array()) Invalid(aWhere + ": \"elementos\" deve ser uma lista");
  for (size_t i = 0; i < it->size(); ++i)
    aBand.elements.push_back(ParseElement((*it)[i], aWhere + ", elemento " + std::to_string(i + 1)));
}

Band ParseBand(const ModelJson& aObj, const std::string& aWhere) {
  if (!aObj.is_object()) Invalid(aWhere + ": a banda deve ser um objeto");
  Band b;
  std::string kind = Text(aObj, "tipo", aWhere, "cabecalho");
  if (kind == "cabecalho") b.kind = BandKind::Header;
  else if (kind == "rodape") b.kind = BandKind::Footer;
  else if (kind == "detalhe") b.kind = BandKind::Detail;
  else if (kind == "final") b.kind = BandKind::Final;
  else Invalid(aWhere + ": tipo de banda \"" + kind + "\" desconhecido");
  std::string pages = Text(aObj, "paginas", aWhere, "todas");
  if (pages == "todas") b.pages = PageSel::All;
  else if (pages == "primeira") b.pages = PageSel::First;
  else if (pages == "demais") b.pages = PageSel::Others;
  else Invalid(aWhere + ": \"paginas\" deve ser todas, primeira ou demais");
  b.height = Number(aObj, "altura", 0, aWhere);
  if (b.height < 0) Invalid(aWhere + ": altura negativa");
  b.dataset = Text(aObj, "dados", aWhere);
  if (b.kind == BandKind::Detail && b.dataset.empty()) Invalid(aWhere + ": banda de detalhe sem \"dados\"");
  b.filter = Text(aObj, "filtro", aWhere);
  b.visibleIf = Text(aObj, "visivelSe", aWhere);
  ParseElements(aObj, b, aWhere);
  if (auto it = aObj.find("cabecalho"); it != aObj.end()) {
    auto header = std::make_shared<Band>();
    if (!it->is_object()) Invalid(aWhere + ": \"cabecalho\" deve ser um objeto");
    header->height = Number(*it, "altura", 0, aWhere + ", cabeçalho");
    ParseElements(*it, *header, aWhere + ", cabeçalho");
    b.columnHeader = std::move(header);
  }
  return b;
}

}  // namespace

Model ParseModel(const ModelJson& aJson) {
  if (!aJson.is_object()) Invalid("o modelo deve ser um objeto JSON");
  Model m;
  if (auto it = aJson.find("pagina"); it != aJson.end()) {
    m.pageWidth = Number(*it, "largura", m.pageWidth, "pagina");
    m.pageHeight = Number(*it, "altura", m.pageHeight, "pagina");
    if (auto mg = it->find("margens"); mg != it->end()) {
      m.marginLeft = Number(*mg, "esquerda", m.marginLeft, "margens");
      m.marginRight = Number(*mg, "direita", m.marginRight, "margens");
      m.marginTop = Number(*mg, "topo", m.marginTop, "margens");
      m.marginBottom = Number(*mg, "base", m.marginBottom, "margens");
    }
  }
  if (m.pageWidth < 20 || m.pageHeight < 20 || m.pageWidth > 2000 || m.pageHeight > 2000)
    Invalid("tamanho de página fora de 20 a 2000 mm");
  m.font = Text(aJson, "fonte", "modelo", m.font);
  m.mainDataset = Text(aJson, "dados", "modelo", m.mainDataset);
  auto bands = aJson.find("bandas");
  if (bands == aJson.end() || !bands->is_array() || bands->empty()) Invalid("o modelo não tem \"bandas\"");
  double fixed = m.marginTop + m.marginBottom;
  for (size_t i = 0; i < bands->size(); ++i) {
    m.bands.push_back(ParseBand((*bands)[i], "banda " + std::to_string(i + 1)));
    const Band& b = m.bands.back();
    if (b.height + (b.columnHeader ? b.columnHeader->height : 0) + fixed > m.pageHeight)
      Invalid("banda " + std::to_string(i + 1) + " mais alta que a página");
  }
  return m;
}

ModelJson ReadModelJson(const std::string& aText) {
  try {
    return ModelJson::parse(aText);
  } catch (const nlohmann::json::exception& e) {
    Invalid(std::string("JSON mal formado (") + e.what() + ")");
  }
}

ModelJson LoadModelJson(const std::string& aFileName) {
  std::ifstream in(aFileName, std::ios::binary);
  if (!in) throw EReportException("Arquivo \"" + aFileName + "\" não encontrado.");
  std::ostringstream text;
  text << in.rdbuf();
  try {
    return ReadModelJson(text.str());
  } catch (const EReportException& e) {
    throw EReportException(std::string(e.what()) + " em \"" + aFileName + "\"");
  }
}

std::string ModelText(const ModelJson& aJson) { return aJson.dump(2, ' ', false) + "\n"; }

}  // namespace mox::report
