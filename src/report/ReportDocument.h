#pragma once
// A report ready to output: a model and its data, laid out into pages once, then written as a
// PDF, PNG pictures of the pages or an HTML page of SVG pictures.
#include <cairo.h>

#include <memory>
#include <string>
#include <vector>

#include "report/ReportData.h"
#include "report/ReportModel.h"

namespace mox::report {

class Canvas;
struct Layout;

// Where an element of the model was drawn on a page (millimetres from the page's corner).
struct PlacedElement {
  size_t band = 0;     // index in the model's bands
  bool columnHeader = false;
  size_t element = 0;  // index in that band's (or column header's) elements
  double x = 0, y = 0, w = 0, h = 0;
};

class ReportDocument {
 public:
  // Raises EReportException when the model or the data do not make a report.
  ReportDocument(Model aModel, ReportData aData);
  ~ReportDocument();
  ReportDocument(const ReportDocument&) = delete;
  ReportDocument& operator=(const ReportDocument&) = delete;

  size_t PageCount() const;
  const Model& model() const { return model_; }

  std::string Pdf();
  // One PNG file's bytes per page.
  std::vector<std::string> Png(double aDpi = 150);
  std::string Html();
  // Draws one page on a context whose user units are points (PDF, printers).
  void DrawPage(cairo_t* aCr, size_t aIndex);
  // The elements of a page, each once (the first row of a detail band), for the designer.
  std::vector<PlacedElement> ElementsOnPage(size_t aIndex) const;

 private:
  // Draws a page on a new context of the surface (scaled, over white, for pictures); on failure
  // the surface is destroyed before the exception goes on.
  void DrawOn(cairo_surface_t* aSurface, size_t aIndex, double aScale);

  Model model_;
  ReportData data_;
  std::unique_ptr<Canvas> canvas_;
  std::unique_ptr<Layout> layout_;
};

}  // namespace mox::report
