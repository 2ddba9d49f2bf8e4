#include "report/ReportLayout.h"

#include <algorithm>

namespace mox::report {

const Table* RowsOf(const std::string& aDataset, const Scope& aScope) {
  for (const Scope* s = &aScope; s; s = s->outer)
    if (s->record)
      if (const Table* t = s->record->Detail(aDataset)) return t;
  for (const Scope* s = &aScope; s; s = s->outer)
    if (s->data)
      if (const Table* t = s->data->TableNamed(aDataset)) return t;
  return nullptr;
}

std::string ElementText(const Element& aElement, const Scope& aScope, const PageNumbers& aNumbers) {
  const std::string& source = aElement.kind == ElementKind::Image ? aElement.source : aElement.text;
  if (aElement.repeat.empty()) return ExpandTemplate(source, aScope, aNumbers);
  std::string out;
  if (const Table* rows = RowsOf(aElement.repeat, aScope)) {
    for (const Record& row : *rows) {
      Scope rowScope{&row, &aScope, nullptr};
      std::string line = ExpandTemplate(source, rowScope, aNumbers);
      // Rows that fill nothing (the empty entry of an empty data set) are left out.
      if (line.find_first_not_of(" \t") == std::string::npos) continue;
      if (!out.empty()) out += aElement.separator;
      out += line;
    }
  }
  return out;
}

double BandHeight(const Band& aBand, const Scope& aScope, Canvas& aCanvas) {
  double height = aBand.height;
  for (const Element& e : aBand.elements) {
    if (!e.grow || !ConditionHolds(e.visibleIf, aScope)) continue;
    height = std::max(height, e.y + aCanvas.NeededHeight(e, ElementText(e, aScope, {})));
  }
  return height;
}

namespace {

bool OnPage(PageSel aSel, bool aFirst) {
  return aSel == PageSel::All || (aSel == PageSel::First) == aFirst;
}

class Paginator {
 public:
  Paginator(const Model& aModel, Layout& aLayout, Canvas& aCanvas) : model_(aModel), layout_(aLayout), canvas_(aCanvas) {}

  void Document(const Scope& aScope) {
    firstPage_ = layout_.pages.size();
    scope_ = &aScope;
    NewPage(true);
    for (const Band& band : model_.bands) {
      if (band.kind == BandKind::Detail) Rows(band);
      else if (band.kind == BandKind::Final && ConditionHolds(band.visibleIf, aScope)) Place(band, aScope, true);
    }
    int pages = static_cast<int>(layout_.pages.size() - firstPage_);
    for (size_t i = firstPage_; i < layout_.pages.size(); ++i)
      layout_.pages[i].numbers = {static_cast<int>(i - firstPage_) + 1, pages};
  }

 private:
  void NewPage(bool aFirst) {
    layout_.pages.emplace_back();
    first_ = aFirst;
    y_ = model_.marginTop;
    headerPlaced_ = nullptr;
    double footers = 0;
    for (const Band& band : model_.bands)
      if (band.kind == BandKind::Footer && OnPage(band.pages, aFirst) && ConditionHolds(band.visibleIf, *scope_))
        footers += BandHeight(band, *scope_, canvas_);
    bottom_ = model_.pageHeight - model_.marginBottom - footers;
    double fy = bottom_;
    for (const Band& band : model_.bands) {
      if (band.kind == BandKind::Header && OnPage(band.pages, aFirst) && ConditionHolds(band.visibleIf, *scope_)) {
        double h = BandHeight(band, *scope_, canvas_);
        layout_.pages.back().bands.push_back({&band, scope_, y_, h});
        y_ += h;
      } else if (band.kind == BandKind::Footer && OnPage(band.pages, aFirst) && ConditionHolds(band.visibleIf, *scope_)) {
        double h = BandHeight(band, *scope_, canvas_);
        layout_.pages.back().bands.push_back({&band, scope_, fy, h});
        fy += h;
      }
    }
    contentTop_ = y_;
  }

  // Places a band, first moving to a new page when it does not fit below what is there.
  void Place(const Band& aBand, const Scope& aScope, bool aMayBreak) {
    double h = BandHeight(aBand, aScope, canvas_);
    if (aMayBreak && y_ + h > bottom_ + 1e-6 && y_ > contentTop_ + 1e-6) NewPage(false);
    layout_.pages.back().bands.push_back({&aBand, &aScope, y_, h});
    y_ += h;
  }

  void ColumnHeader(const Band& aBand) {
    if (!aBand.columnHeader || headerPlaced_ == &aBand) return;
    layout_.pages.back().bands.push_back({aBand.columnHeader.get(), scope_, y_, aBand.columnHeader->height});
    y_ += aBand.columnHeader->height;
    headerPlaced_ = &aBand;
  }

  void Rows(const Band& aBand) {
    if (!ConditionHolds(aBand.visibleIf, *scope_)) return;
    const Table* rows = RowsOf(aBand.dataset, *scope_);
    double headerH = aBand.columnHeader ? aBand.columnHeader->height : 0;
    ColumnHeader(aBand);
    if (!rows) return;
    for (const Record& row : *rows) {
      if (!aBand.filter.empty()) {
        const std::string* key = row.Field(aBand.filter);
        if (!key || key->empty()) continue;
      }
      const Scope& rowScope = layout_.scopes.emplace_back(Scope{&row, scope_, nullptr});
      double h = BandHeight(aBand, rowScope, canvas_);
      bool needsHeader = headerPlaced_ != &aBand;
      const bool fits = y_ + h + (needsHeader ? headerH : 0) <= bottom_ + 1e-6;
      const bool noRowYet = y_ <= contentTop_ + headerH + 1e-6;
      // A row that does not fit goes to a new page, unless the page holds nothing but its
      // header already; the first page's own bands may leave too little room even for one row,
      // and the continuation pages have more.
      if (!fits && (!noRowYet || first_)) {
        std::vector<PlacedBand>& placed = layout_.pages.back().bands;
        if (noRowYet && !placed.empty() && placed.back().band == aBand.columnHeader.get()) placed.pop_back();
        NewPage(false);
        needsHeader = true;
      }
      if (needsHeader) ColumnHeader(aBand);
      layout_.pages.back().bands.push_back({&aBand, &rowScope, y_, h});
      y_ += h;
    }
  }

  const Model& model_;
  Layout& layout_;
  Canvas& canvas_;
  const Scope* scope_ = nullptr;
  size_t firstPage_ = 0;
  bool first_ = true;
  double y_ = 0, bottom_ = 0, contentTop_ = 0;
  const Band* headerPlaced_ = nullptr;
};

}  // namespace

Layout Paginate(const Model& aModel, const ReportData& aData, Canvas& aCanvas) {
  Layout layout;
  const Scope& root = layout.scopes.emplace_back(Scope{nullptr, nullptr, &aData});
  Paginator paginator(aModel, layout, aCanvas);
  const Table* main = aData.TableNamed(aModel.mainDataset);
  if (!main || main->empty()) {
    paginator.Document(root);
    return layout;
  }
  for (const Record& record : *main) paginator.Document(layout.scopes.emplace_back(Scope{&record, &root, nullptr}));
  return layout;
}

}  // namespace mox::report
