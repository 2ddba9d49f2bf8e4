// The report operations of the services server: the model named by PrintSettings is filled
// with PrintSettings' data and printed (CUPS), exported (PDF, PNG, HTML), previewed or designed
// in the windows a program lent.
#include <filesystem>

#include "external/EKivoException.h"
#include "external/FileIO.h"
#include "external/TmoxKivoX.h"
#include "report/ReportDocument.h"
#include "report/ReportError.h"
#include "report/ReportPrinter.h"

namespace mox {

namespace {

TKivoReportWindows* gWindows = nullptr;

bool EndsWith(const std::string& aText, const std::string& aEnd) {
  return aText.size() >= aEnd.size() && aText.compare(aText.size() - aEnd.size(), aEnd.size(), aEnd) == 0;
}

// Engine failures reach callers as the server's own exception, with the engine's message.
template <typename F>
auto Guarded(F&& aAction) {
  try {
    return aAction();
  } catch (const report::EReportException& e) {
    throw EKivoException(e.what());
  }
}

// The pages after the first go beside it: "danfe.png", "danfe-2.png", ...
std::string PagePicture(const std::string& aFirst, size_t aIndex) {
  if (aIndex == 0) return aFirst;
  std::filesystem::path p(aFirst);
  return (p.parent_path() / (p.stem().string() + "-" + std::to_string(aIndex + 1) + p.extension().string())).string();
}

}  // namespace

void SetKivoReportWindows(TKivoReportWindows* aWindows) { gWindows = aWindows; }
TKivoReportWindows* KivoReportWindows() { return gWindows; }

std::unique_ptr<report::ReportDocument> TmoxKivoX::BuildReport() const {
  if (PrintSettings.RTMFile.empty()) throw EKivoException("Modelo de relatório não informado.");
  return Guarded([this] {
    report::Model model = report::ParseModel(report::LoadModelJson(PrintSettings.RTMFile));
    report::ReportData data = report::ParseDataSources(PrintSettings.DataSources);
    data.values["#logo"] = PrintSettings.Logo;
    return std::make_unique<report::ReportDocument>(std::move(model), std::move(data));
  });
}

void TmoxKivoX::ExportReport() {
  const std::string& target = PrintSettings.SaveAs;
  if (target.empty()) throw EKivoException("Arquivo de exportação não informado.");
  auto document = BuildReport();
  Guarded([&] {
    if (PrintSettings.ReportFormat == 2 || EndsWith(target, ".htm") || EndsWith(target, ".html")) {
      WriteFileAtomic(target, document->Html());
    } else if (EndsWith(target, ".png") || EndsWith(target, ".PNG")) {
      std::vector<std::string> pages = document->Png();
      for (size_t i = 0; i < pages.size(); ++i) WriteFileAtomic(PagePicture(target, i), pages[i]);
    } else {
      WriteFileAtomic(target, document->Pdf());
    }
    return 0;
  });
}

int TmoxKivoX::PrintReport() {
  auto document = BuildReport();
  return Guarded([&] {
    std::string title = std::filesystem::path(PrintSettings.RTMFile).stem().string();
    return report::PrintPdf(document->Pdf(), PrintSettings.PrinterName, PrintSettings.Copies, "moxnfe " + title);
  });
}

void TmoxKivoX::PreviewReport() {
  if (!gWindows) throw EKivoException("Pré-visualização indisponível: este programa não tem janelas de relatório.");
  auto document = BuildReport();
  Guarded([&] {
    gWindows->Preview(*document, PrintSettings);
    return 0;
  });
}

void TmoxKivoX::EditReport() {
  if (!gWindows) throw EKivoException("Editor de modelos indisponível: este programa não tem janelas de relatório.");
  if (PrintSettings.RTMFile.empty()) throw EKivoException("Modelo de relatório não informado.");
  Guarded([&] {
    // The designer opens only a model that reads; a broken one is reported, not shown empty.
    report::ParseModel(report::LoadModelJson(PrintSettings.RTMFile));
    gWindows->Design(PrintSettings);
    return 0;
  });
}

}  // namespace mox
