#pragma once
// The print settings of the services server and the windows a program may lend it for report
// preview and design (the library itself never opens a window).
#include <string>

namespace mox {

namespace report {
class ReportDocument;
}

struct TKivoPrintSettings {
  std::string RTMFile;      // the report model
  std::string PrinterName;  // CUPS destination; empty: the default one
  std::string SaveAs;       // export target; ".png" writes pictures, ".htm"/".html" HTML
  std::string XML;          // the document being printed (kept for the caller)
  std::string Params;       // its print parameters (kept for the caller)
  int Copies = 1;
  std::string DataSources;  // the serialized print data sets
  int ReportFormat = 1;     // 1 PDF (or by SaveAs' extension), 2 HTML
  std::string Logo;         // PNG shown where a model asks for {#logo}
};

// Report windows, provided by a program with a user interface (see SetKivoReportWindows).
class TKivoReportWindows {
 public:
  virtual ~TKivoReportWindows() = default;
  // Shows the pages; returns when the window is closed. Printing and saving from the window go
  // back through the settings given.
  virtual void Preview(report::ReportDocument& aDocument, const TKivoPrintSettings& aSettings) = 0;
  // Opens the model file in the designer over the settings' data; returns when closed.
  virtual void Design(const TKivoPrintSettings& aSettings) = 0;
};

// Process-wide: the windows PreviewReport and EditReport use (null: none, and they raise).
void SetKivoReportWindows(TKivoReportWindows* aWindows);
TKivoReportWindows* KivoReportWindows();

}  // namespace mox
