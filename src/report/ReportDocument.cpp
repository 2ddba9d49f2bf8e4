#include "report/ReportDocument.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>

#include <algorithm>

#include "report/ReportCanvas.h"
#include "report/ReportError.h"
#include "report/ReportLayout.h"

namespace mox::report {

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

cairo_status_t AppendBytes(void* aClosure, const unsigned char* aData, unsigned int aLength) {
  static_cast<std::string*>(aClosure)->append(reinterpret_cast<const char*>(aData), aLength);
  return CAIRO_STATUS_SUCCESS;
}

void Check(cairo_status_t aStatus, const char* aWhat) {
  if (aStatus != CAIRO_STATUS_SUCCESS)
    throw EReportException(std::string("Falha ao gerar ") + aWhat + ": " + cairo_status_to_string(aStatus));
}

}  // namespace

void ReportDocument::DrawOn(cairo_surface_t* aSurface, size_t aIndex, double aScale) {
  cairo_t* cr = cairo_create(aSurface);
  try {
    if (aScale != 1) {
      cairo_set_source_rgb(cr, 1, 1, 1);
      cairo_paint(cr);
      cairo_scale(cr, aScale, aScale);
    }
    DrawPage(cr, aIndex);
  } catch (...) {
    cairo_destroy(cr);
    cairo_surface_destroy(aSurface);
    throw;
  }
  cairo_destroy(cr);
}

ReportDocument::ReportDocument(Model aModel, ReportData aData)
    : model_(std::move(aModel)), data_(std::move(aData)), canvas_(std::make_unique<Canvas>(model_.font)) {
  layout_ = std::make_unique<Layout>(Paginate(model_, data_, *canvas_));
}

ReportDocument::~ReportDocument() = default;

size_t ReportDocument::PageCount() const { return layout_->pages.size(); }

void ReportDocument::DrawPage(cairo_t* aCr, size_t aIndex) {
  const Page& page = layout_->pages.at(aIndex);
  cairo_save(aCr);
  cairo_scale(aCr, kPointsPerMm, kPointsPerMm);
  canvas_->Begin(aCr);
  for (const PlacedBand& placed : page.bands) {
    for (const Element& e : placed.band->elements) {
      if (!ConditionHolds(e.visibleIf, *placed.scope)) continue;
      double h = e.stretch ? placed.height - e.y : e.grow ? std::max(e.h, placed.height - e.y) : e.h;
      std::string text = e.kind == ElementKind::Box || e.kind == ElementKind::Line
                             ? std::string()
                             : ElementText(e, *placed.scope, page.numbers);
      canvas_->Draw(e, model_.marginLeft, placed.y, h, text);
    }
  }
  cairo_restore(aCr);
}

std::vector<PlacedElement> ReportDocument::ElementsOnPage(size_t aIndex) const {
  std::vector<PlacedElement> out;
  std::vector<const Band*> seen;
  for (const PlacedBand& placed : layout_->pages.at(aIndex).bands) {
    if (std::find(seen.begin(), seen.end(), placed.band) != seen.end()) continue;
    seen.push_back(placed.band);
    PlacedElement base;
    for (size_t b = 0; b < model_.bands.size(); ++b) {
      if (&model_.bands[b] == placed.band) base.band = b;
      if (model_.bands[b].columnHeader.get() == placed.band) {
        base.band = b;
        base.columnHeader = true;
      }
    }
    for (size_t i = 0; i < placed.band->elements.size(); ++i) {
      const Element& e = placed.band->elements[i];
      PlacedElement p = base;
      p.element = i;
      p.x = model_.marginLeft + e.x;
      p.y = placed.y + e.y;
      p.w = e.w;
      p.h = e.stretch ? placed.height - e.y : e.h;
      out.push_back(p);
    }
  }
  return out;
}

std::string ReportDocument::Pdf() {
  std::string bytes;
  double w = model_.pageWidth * kPointsPerMm, h = model_.pageHeight * kPointsPerMm;
  cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(AppendBytes, &bytes, w, h);
  cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "moxnfe");
  cairo_t* cr = cairo_create(surface);
  try {
    for (size_t i = 0; i < PageCount(); ++i) {
      DrawPage(cr, i);
      cairo_show_page(cr);
    }
  } catch (...) {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    throw;
  }
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  cairo_status_t status = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  Check(status, "o PDF");
  return bytes;
}

std::vector<std::string> ReportDocument::Png(double aDpi) {
  std::vector<std::string> pages;
  double scale = aDpi / 72.0;
  int w = static_cast<int>(model_.pageWidth * kPointsPerMm * scale + 0.5);
  int h = static_cast<int>(model_.pageHeight * kPointsPerMm * scale + 0.5);
  for (size_t i = 0; i < PageCount(); ++i) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    DrawOn(surface, i, scale);
    std::string bytes;
    cairo_status_t status = cairo_surface_write_to_png_stream(surface, AppendBytes, &bytes);
    cairo_surface_destroy(surface);
    Check(status, "a imagem PNG");
    pages.push_back(std::move(bytes));
  }
  return pages;
}

std::string ReportDocument::Html() {
  std::string html = "<!DOCTYPE html>\n<html lang=\"pt-BR\"><head><meta charset=\"utf-8\"><title>moxnfe</title>"
                     "<style>body{background:#888;margin:0}div.pagina{background:#fff;margin:8px auto;width:" +
                     std::to_string(model_.pageWidth) + "mm}</style></head><body>\n";
  double w = model_.pageWidth * kPointsPerMm, h = model_.pageHeight * kPointsPerMm;
  for (size_t i = 0; i < PageCount(); ++i) {
    std::string svg;
    cairo_surface_t* surface = cairo_svg_surface_create_for_stream(AppendBytes, &svg, w, h);
    DrawOn(surface, i, 1);
    cairo_surface_finish(surface);
    cairo_status_t status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    Check(status, "o HTML");
    if (size_t decl = svg.find("<svg"); decl != std::string::npos) svg.erase(0, decl);
    html += "<div class=\"pagina\">" + svg + "</div>\n";
  }
  return html + "</body></html>\n";
}

}  // namespace mox::report
