#include "report/ReportPrinter.h"

#include <cups/cups.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "report/ReportError.h"

namespace mox::report {

namespace {

// The PDF in a private temporary file, removed when done.
class TempPdf {
 public:
  explicit TempPdf(const std::string& aBytes) {
    const char* tmp = std::getenv("TMPDIR");
    path_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/moxnfe-impressao-XXXXXX";
    int fd = mkstemp(path_.data());
    if (fd < 0) throw EReportException("Não foi possível criar o arquivo temporário de impressão.");
    size_t done = 0;
    while (done < aBytes.size()) {
      ssize_t n = write(fd, aBytes.data() + done, aBytes.size() - done);
      if (n <= 0) {
        close(fd);
        unlink(path_.c_str());
        throw EReportException("Não foi possível gravar o arquivo temporário de impressão.");
      }
      done += static_cast<size_t>(n);
    }
    close(fd);
  }
  ~TempPdf() { unlink(path_.c_str()); }
  TempPdf(const TempPdf&) = delete;
  TempPdf& operator=(const TempPdf&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

int PrintPdf(const std::string& aPdf, const std::string& aPrinter, int aCopies, const std::string& aTitle) {
  std::string printer = aPrinter;
  if (printer.empty()) {
    const char* def = cupsGetDefault();
    if (!def) throw EReportException("Nenhuma impressora padrão configurada no CUPS.");
    printer = def;
  }
  cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer.c_str(), nullptr);
  if (!dest) throw EReportException("Impressora \"" + printer + "\" não encontrada: " + cupsLastErrorString());
  cupsFreeDests(1, dest);
  TempPdf file(aPdf);
  cups_option_t* options = nullptr;
  int count = cupsAddOption("copies", std::to_string(aCopies < 1 ? 1 : aCopies).c_str(), 0, &options);
  count = cupsAddOption("document-format", "application/pdf", count, &options);
  int job = cupsPrintFile(printer.c_str(), file.path().c_str(), aTitle.c_str(), count, options);
  cupsFreeOptions(count, options);
  if (job == 0) throw EReportException("Falha ao imprimir em \"" + printer + "\": " + cupsLastErrorString());
  return job;
}

}  // namespace mox::report
