#include "report/ReportBarcode.h"

#include <zint.h>

#include <memory>

#include "report/ReportError.h"

namespace mox::report {

void DrawCode128(cairo_t* aCr, const std::string& aData, double aX, double aY, double aW, double aH) {
  if (aData.empty()) return;
  std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)> symbol(ZBarcode_Create(), &ZBarcode_Delete);
  if (!symbol) throw EReportException("Falha ao criar o código de barras");
  symbol->symbology = BARCODE_CODE128;
  symbol->input_mode = DATA_MODE;
  symbol->show_hrt = 0;
  int rc = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(aData.data()),
                           static_cast<int>(aData.size()));
  if (rc >= ZINT_ERROR) throw EReportException("Código de barras inválido para \"" + aData + "\": " + symbol->errtxt);
  if (ZBarcode_Buffer_Vector(symbol.get(), 0) >= ZINT_ERROR || !symbol->vector || symbol->vector->width <= 0)
    throw EReportException(std::string("Falha ao desenhar o código de barras: ") + symbol->errtxt);
  double sx = aW / symbol->vector->width;
  cairo_save(aCr);
  cairo_set_source_rgb(aCr, 0, 0, 0);
  for (const zint_vector_rect* r = symbol->vector->rectangles; r; r = r->next)
    cairo_rectangle(aCr, aX + r->x * sx, aY, r->width * sx, aH);
  cairo_fill(aCr);
  cairo_restore(aCr);
}

}  // namespace mox::report
