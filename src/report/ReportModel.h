#pragma once
// A report model (".rtm"): a readable JSON text describing the page, its bands and the elements
// of each band. Sizes are millimetres; positions are relative to the band's top-left corner.
//
//   {"pagina": {"largura": 210, "altura": 297, "margens": {"esquerda": 5, ...}},
//    "fonte": "Nimbus Sans", "dados": "Dados",
//    "bandas": [{"tipo": "cabecalho", "paginas": "primeira", "altura": 30, "elementos": [...]},
//               {"tipo": "detalhe", "dados": "DadosItens", "altura": 4, "filtro": "Item",
//                "cabecalho": {"altura": 5, "elementos": [...]}, "elementos": [...]},
//               {"tipo": "rodape", ...}, {"tipo": "final", ...}]}
//
// Element kinds: "caixa", "linha", "texto", "campo" (a box with a caption and a value),
// "imagem" and "codigobarras". Texts are templates (ReportText.h).
#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace mox::report {

using ModelJson = nlohmann::ordered_json;

enum class ElementKind { Box, Line, Text, Field, Image, Barcode };
enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Middle, Bottom };

struct Element {
  ElementKind kind = ElementKind::Text;
  double x = 0, y = 0, w = 0, h = 0;
  std::string text;     // template of the value
  std::string caption;  // "campo": the small title in the box's corner
  double fontSize = 8;
  double captionSize = 5;
  bool bold = false;
  bool italic = false;
  HAlign align = HAlign::Left;
  VAlign valign = VAlign::Top;
  bool wrap = true;     // break lines at the width; otherwise one line, shrunk to fit
  bool grow = false;    // the band grows to show the whole text
  bool stretch = false; // the element reaches the bottom of a grown band
  double border = 0;    // line width; 0 draws no border
  uint32_t color = 0x000000;
  int64_t fill = -1;    // RGB, or -1 for none
  int rotation = 0;     // 0, 90 or 270 degrees (texts)
  std::string visibleIf;  // a field name: shown when non-empty; "!" before it inverts
  std::string source;     // image: template of the file name, e.g. "{#logo}"
  std::string repeat;     // texto: the template is written once per row of this data set
  std::string separator;  // between the repeated rows
};

enum class BandKind { Header, Footer, Detail, Final };
enum class PageSel { All, First, Others };

struct Band {
  BandKind kind = BandKind::Header;
  PageSel pages = PageSel::All;
  double height = 0;
  std::string dataset;    // detail: the data set of its rows, nested under the main record
  std::string filter;     // detail: rows whose field is empty are skipped
  std::string visibleIf;
  std::vector<Element> elements;
  std::shared_ptr<Band> columnHeader;  // detail: printed above its rows on every page
};

struct Model {
  double pageWidth = 210, pageHeight = 297;
  double marginLeft = 5, marginRight = 5, marginTop = 5, marginBottom = 5;
  std::string font = "Nimbus Sans";
  std::string mainDataset = "Dados";  // each record starts on a new page
  std::vector<Band> bands;
};

// Raises EReportException naming what is wrong (and where, for a file).
Model ParseModel(const ModelJson& aJson);
ModelJson ReadModelJson(const std::string& aText);
ModelJson LoadModelJson(const std::string& aFileName);
// The text a model is saved as (indented, keys in their order).
std::string ModelText(const ModelJson& aJson);

}  // namespace mox::report
