#pragma once
// The correction letter's print settings, filled by the component from its DANFE settings
// before every event operation.
#include <string>

namespace mox {

struct TmoxImpressaoCCeSettings {
  std::string LogotipoEmitente;
  std::string ModeloRTM;
  int QtdeCopias = 1;
  std::string SalvarComo;
  std::string Impressora;
  std::string LineDelimiter;

  std::string GetParams() const {
    return "ModeloRTM=" + ModeloRTM + "\r\nLogotipoEmitente=" + LogotipoEmitente +
           "\r\nQtdeCopias=" + std::to_string(QtdeCopias) + "\r\n";
  }
};

}  // namespace mox
