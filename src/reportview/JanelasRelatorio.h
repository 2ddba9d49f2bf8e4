#pragma once
// The report windows lent to the services server: a program with a user interface creates one
// and installs it (Instalar) so preview and design open here.
#include <QWidget>
#include <functional>

#include "external/KivoPrintSettings.h"

namespace moxjanelas {

class JanelasRelatorio : public mox::TKivoReportWindows {
 public:
  // Installs itself as the process's report windows; removes itself when destroyed.
  JanelasRelatorio();
  ~JanelasRelatorio() override;

  // Called with each window once it is shown; a test looks at it and closes it. Without it the
  // window runs until the user closes it.
  std::function<void(QWidget&)> AoMostrar;

  void Preview(mox::report::ReportDocument& aDocument, const mox::TKivoPrintSettings& aSettings) override;
  void Design(const mox::TKivoPrintSettings& aSettings) override;

 private:
  void Executar(QDialog& aJanela);
};

}  // namespace moxjanelas
