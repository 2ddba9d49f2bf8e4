#include "report/ReportCanvas.h"

#include <algorithm>
#include <cmath>

#include "report/ReportBarcode.h"
#include "report/ReportError.h"

namespace mox::report {

namespace {

constexpr double kMinFont = 4.0;

double Mm(int aPangoUnits) { return static_cast<double>(aPangoUnits) / PANGO_SCALE; }
int Pango(double aMm) { return static_cast<int>(std::lround(aMm * PANGO_SCALE)); }

void SetColor(cairo_t* aCr, uint32_t aRgb) {
  cairo_set_source_rgb(aCr, ((aRgb >> 16) & 0xFF) / 255.0, ((aRgb >> 8) & 0xFF) / 255.0, (aRgb & 0xFF) / 255.0);
}

}  // namespace

Canvas::Canvas(const std::string& aFontFamily) : family_(aFontFamily) {
  context_ = pango_font_map_create_context(pango_cairo_font_map_get_default());
  // User units are millimetres: a point is 25.4/72 of them.
  pango_cairo_context_set_resolution(context_, 25.4);
  // Positions in millimetres must not snap to whole units.
  pango_context_set_round_glyph_positions(context_, FALSE);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  pango_cairo_context_set_font_options(context_, options);
  cairo_font_options_destroy(options);
  layout_ = pango_layout_new(context_);
}

Canvas::~Canvas() {
  for (auto& [key, font] : fonts_) pango_font_description_free(font);
  for (auto& [file, image] : images_) cairo_surface_destroy(image);
  g_object_unref(layout_);
  g_object_unref(context_);
}

PangoFontDescription* Canvas::Font(double aSize, bool aBold, bool aItalic) {
  auto key = std::make_tuple(static_cast<int>(std::lround(aSize * 100)), aBold, aItalic);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  PangoFontDescription* font = pango_font_description_new();
  pango_font_description_set_family(font, family_.c_str());
  pango_font_description_set_size(font, Pango(aSize));
  pango_font_description_set_weight(font, aBold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(font, aItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  fonts_.emplace(key, font);
  return font;
}

void Canvas::SetText(const std::string& aText, double aSize, bool aBold, bool aItalic, double aWidth, bool aWrap) {
  pango_layout_set_font_description(layout_, Font(aSize, aBold, aItalic));
  pango_layout_set_width(layout_, aWrap ? Pango(std::max(aWidth, 1.0)) : -1);
  pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
  pango_layout_set_ellipsize(layout_, PANGO_ELLIPSIZE_NONE);
  pango_layout_set_alignment(layout_, PANGO_ALIGN_LEFT);
  pango_layout_set_text(layout_, aText.data(), static_cast<int>(aText.size()));
}

double Canvas::CaptionHeight(const Element& aElement) {
  if (aElement.kind != ElementKind::Field || aElement.caption.empty()) return 0;
  return aElement.captionSize * 25.4 / 72 * 1.15 + 0.3;
}

double Canvas::NeededHeight(const Element& aElement, const std::string& aText) {
  if (aElement.kind != ElementKind::Text && aElement.kind != ElementKind::Field) return aElement.h;
  bool vertical = aElement.rotation != 0;
  double width = (vertical ? aElement.h : aElement.w) - 2 * kPad;
  SetText(aText, aElement.fontSize, aElement.bold, aElement.italic, width, true);
  int w = 0, h = 0;
  pango_layout_get_size(layout_, &w, &h);
  return Mm(h) + CaptionHeight(aElement) + 2 * 0.3;
}

void Canvas::Begin(cairo_t* aCr) {
  cr_ = aCr;
  pango_cairo_update_context(cr_, context_);
  pango_layout_context_changed(layout_);
}

void Canvas::DrawFrame(const Element& aElement, double aX, double aY, double aW, double aH) {
  if (aElement.fill >= 0) {
    SetColor(cr_, static_cast<uint32_t>(aElement.fill));
    cairo_rectangle(cr_, aX, aY, aW, aH);
    cairo_fill(cr_);
  }
  if (aElement.border > 0) {
    SetColor(cr_, aElement.color);
    cairo_set_line_width(cr_, aElement.border);
    cairo_rectangle(cr_, aX, aY, aW, aH);
    cairo_stroke(cr_);
  }
}

void Canvas::DrawText(const Element& aElement, double aX, double aY, double aW, double aH, const std::string& aText) {
  double caption = CaptionHeight(aElement);
  if (caption > 0) {
    SetText(aElement.caption, aElement.captionSize, false, false, aW - 2 * kPad, false);
    pango_layout_set_width(layout_, Pango(aW - 2 * kPad));
    pango_layout_set_ellipsize(layout_, PANGO_ELLIPSIZE_END);
    SetColor(cr_, aElement.color);
    cairo_move_to(cr_, aX + kPad, aY + 0.3);
    pango_cairo_show_layout(cr_, layout_);
  }
  if (aText.empty()) return;
  bool vertical = aElement.rotation != 0;
  double boxW = vertical ? aH : aW, boxH = vertical ? aW : aH - caption;
  double width = boxW - 2 * kPad;
  double size = aElement.fontSize;
  SetText(aText, size, aElement.bold, aElement.italic, width, aElement.wrap);
  int tw = 0, th = 0;
  pango_layout_get_size(layout_, &tw, &th);
  if (!aElement.wrap && Mm(tw) > width && width > 0) {
    // One-line values shrink to fit the box, down to a readable size, then end in an ellipsis.
    size = std::max(kMinFont, size * width / Mm(tw));
    SetText(aText, size, aElement.bold, aElement.italic, width, false);
    pango_layout_get_size(layout_, &tw, &th);
    if (Mm(tw) > width) {
      pango_layout_set_width(layout_, Pango(width));
      pango_layout_set_ellipsize(layout_, PANGO_ELLIPSIZE_END);
      pango_layout_get_size(layout_, &tw, &th);
    }
  }
  if (aElement.wrap || pango_layout_get_ellipsize(layout_) != PANGO_ELLIPSIZE_NONE) {
    pango_layout_set_width(layout_, Pango(std::max(width, 1.0)));
    pango_layout_set_alignment(layout_, aElement.align == HAlign::Center  ? PANGO_ALIGN_CENTER
                                        : aElement.align == HAlign::Right ? PANGO_ALIGN_RIGHT
                                                                          : PANGO_ALIGN_LEFT);
    tw = Pango(width);
  }
  double dx = kPad;
  if (!aElement.wrap && pango_layout_get_ellipsize(layout_) == PANGO_ELLIPSIZE_NONE) {
    if (aElement.align == HAlign::Center) dx = (boxW - Mm(tw)) / 2;
    else if (aElement.align == HAlign::Right) dx = boxW - kPad - Mm(tw);
  }
  double dy = 0.3;
  double free = boxH - Mm(th) - 0.6;
  if (aElement.valign == VAlign::Middle) dy = 0.3 + std::max(0.0, free / 2);
  else if (aElement.valign == VAlign::Bottom) dy = 0.3 + std::max(0.0, free);
  cairo_save(cr_);
  // Accents over capitals rise above the font's ascent: the clip leaves them room.
  cairo_rectangle(cr_, aX, aY + caption - 1, aW, aH - caption + 1);
  cairo_clip(cr_);
  SetColor(cr_, aElement.color);
  if (vertical) {
    // 90: reads upwards from the bottom-left corner; 270: downwards from the top-right.
    if (aElement.rotation == 90) {
      cairo_translate(cr_, aX, aY + aH);
      cairo_rotate(cr_, -M_PI / 2);
    } else {
      cairo_translate(cr_, aX + aW, aY);
      cairo_rotate(cr_, M_PI / 2);
    }
    cairo_move_to(cr_, dx, dy);
  } else {
    cairo_move_to(cr_, aX + dx, aY + caption + dy);
  }
  pango_cairo_show_layout(cr_, layout_);
  cairo_restore(cr_);
}

cairo_surface_t* Canvas::Image(const std::string& aFile) {
  auto it = images_.find(aFile);
  if (it != images_.end()) return it->second;
  cairo_surface_t* image = cairo_image_surface_create_from_png(aFile.c_str());
  if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
    cairo_status_t status = cairo_surface_status(image);
    cairo_surface_destroy(image);
    if (status == CAIRO_STATUS_FILE_NOT_FOUND) throw EReportException("Imagem \"" + aFile + "\" não encontrada.");
    throw EReportException("Arquivo \"" + aFile + "\" não é uma imagem PNG válida.");
  }
  images_.emplace(aFile, image);
  return image;
}

void Canvas::DrawImage(double aX, double aY, double aW, double aH, const std::string& aFile) {
  if (aFile.empty()) return;
  cairo_surface_t* image = Image(aFile);
  double iw = cairo_image_surface_get_width(image), ih = cairo_image_surface_get_height(image);
  if (iw <= 0 || ih <= 0) return;
  // Fit inside the box, keeping the proportions, centred.
  double scale = std::min(aW / iw, aH / ih);
  cairo_save(cr_);
  cairo_translate(cr_, aX + (aW - iw * scale) / 2, aY + (aH - ih * scale) / 2);
  cairo_scale(cr_, scale, scale);
  cairo_set_source_surface(cr_, image, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
  cairo_paint(cr_);
  cairo_restore(cr_);
}

void Canvas::Draw(const Element& aElement, double aX, double aY, double aH, const std::string& aText) {
  double x = aX + aElement.x, y = aY + aElement.y, w = aElement.w;
  switch (aElement.kind) {
    case ElementKind::Line:
      SetColor(cr_, aElement.color);
      cairo_set_line_width(cr_, aElement.border);
      cairo_move_to(cr_, x, y);
      cairo_line_to(cr_, x + w, y + aElement.h);
      cairo_stroke(cr_);
      break;
    case ElementKind::Box: DrawFrame(aElement, x, y, w, aH); break;
    case ElementKind::Text:
    case ElementKind::Field:
      DrawFrame(aElement, x, y, w, aH);
      DrawText(aElement, x, y, w, aH, aText);
      break;
    case ElementKind::Image: DrawImage(x, y, w, aH, aText); break;
    case ElementKind::Barcode: DrawCode128(cr_, aText, x, y, w, aH); break;
  }
}

}  // namespace mox::report
