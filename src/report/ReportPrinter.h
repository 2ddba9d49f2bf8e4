#pragma once
// Printing through CUPS: the report's PDF is queued on a named printer (or the default one).
#include <string>

namespace mox::report {

// Queues aPdf with aCopies copies; returns the CUPS job id. An empty printer name takes the
// default destination. Raises EReportException when there is no such printer or CUPS refuses.
int PrintPdf(const std::string& aPdf, const std::string& aPrinter, int aCopies, const std::string& aTitle);

}  // namespace mox::report
