#include "reportview/JanelasRelatorio.h"

#include <QDialog>

#include "reportview/JanelaDesenhista.h"
#include "reportview/JanelaVisualizacao.h"

namespace moxjanelas {

JanelasRelatorio::JanelasRelatorio() { mox::SetKivoReportWindows(this); }

JanelasRelatorio::~JanelasRelatorio() {
  if (mox::KivoReportWindows() == this) mox::SetKivoReportWindows(nullptr);
}

void JanelasRelatorio::Executar(QDialog& aJanela) {
  if (AoMostrar) {
    aJanela.show();
    AoMostrar(aJanela);
    aJanela.close();
  } else {
    aJanela.exec();
  }
}

void JanelasRelatorio::Preview(mox::report::ReportDocument& aDocument, const mox::TKivoPrintSettings& aSettings) {
  JanelaVisualizacao janela(aDocument, aSettings);
  Executar(janela);
}

void JanelasRelatorio::Design(const mox::TKivoPrintSettings& aSettings) {
  JanelaDesenhista janela(aSettings);
  Executar(janela);
}

}  // namespace moxjanelas
