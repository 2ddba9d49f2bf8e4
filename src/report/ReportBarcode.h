#pragma once
// Barcodes drawn as vector bars with zint: crisp at any print resolution.
#include <cairo.h>

#include <string>

namespace mox::report {

// Draws the CODE-128 symbol of aData filling the rectangle (user units). All-digit data of even
// length is encoded in code set C, as the DANFE's access key requires. Raises EReportException
// when zint refuses the data.
void DrawCode128(cairo_t* aCr, const std::string& aData, double aX, double aY, double aW, double aH);

}  // namespace mox::report
