#pragma once
// Pages of a report: each record of the model's main data set starts a document of its own
// pages; headers and footers are placed on every page they select, detail rows flow down the
// page and continue on new pages (with the page's headers and the column header again), final
// bands follow the rows.
#include <deque>
#include <vector>

#include "report/ReportCanvas.h"
#include "report/ReportData.h"
#include "report/ReportModel.h"
#include "report/ReportText.h"

namespace mox::report {

struct PlacedBand {
  const Band* band = nullptr;
  const Scope* scope = nullptr;
  double y = 0;       // top, millimetres from the page's top edge
  double height = 0;  // after growing
};

struct Page {
  std::vector<PlacedBand> bands;
  PageNumbers numbers;  // within its document
};

struct Layout {
  std::deque<Scope> scopes;  // stable addresses for the placed bands
  std::vector<Page> pages;
};

Layout Paginate(const Model& aModel, const ReportData& aData, Canvas& aCanvas);

// The rows a data set name designates from a scope: a detail of the scope's record (or of a
// master's), else a top-level table; null when none.
const Table* RowsOf(const std::string& aDataset, const Scope& aScope);

// The text an element shows in a scope (its template expanded; repeated over rows when asked).
std::string ElementText(const Element& aElement, const Scope& aScope, const PageNumbers& aNumbers);

// Height of a band in a scope: its own, or more when grown elements need it.
double BandHeight(const Band& aBand, const Scope& aScope, Canvas& aCanvas);

}  // namespace mox::report
