#pragma once
// Draws model elements on cairo in millimetres, texts through pango. One canvas measures the
// bands while pages are laid out and then draws them, with the same font metrics (hinting
// off), so what was measured is what is drawn.
#include <cairo.h>
#include <pango/pangocairo.h>

#include <map>
#include <string>
#include <tuple>

#include "report/ReportModel.h"

namespace mox::report {

class Canvas {
 public:
  explicit Canvas(const std::string& aFontFamily);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // Height the element needs to show aText whole (grown elements).
  double NeededHeight(const Element& aElement, const std::string& aText);

  // Drawing target: a cairo context whose user units are millimetres.
  void Begin(cairo_t* aCr);
  // aText is the expanded value (texts, fields, barcodes) or the image file name.
  void Draw(const Element& aElement, double aX, double aY, double aH, const std::string& aText);

 private:
  static constexpr double kPad = 0.6;

  PangoFontDescription* Font(double aSize, bool aBold, bool aItalic);
  void SetText(const std::string& aText, double aSize, bool aBold, bool aItalic, double aWidth, bool aWrap);
  double CaptionHeight(const Element& aElement);
  void DrawFrame(const Element& aElement, double aX, double aY, double aW, double aH);
  void DrawText(const Element& aElement, double aX, double aY, double aW, double aH, const std::string& aText);
  void DrawImage(double aX, double aY, double aW, double aH, const std::string& aFile);
  cairo_surface_t* Image(const std::string& aFile);

  std::string family_;
  PangoContext* context_ = nullptr;
  PangoLayout* layout_ = nullptr;
  cairo_t* cr_ = nullptr;
  std::map<std::tuple<int, bool, bool>, PangoFontDescription*> fonts_;
  std::map<std::string, cairo_surface_t*> images_;
};

}  // namespace mox::report
