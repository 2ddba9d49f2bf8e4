#include "base/TDanfeSettings.h"

#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"

namespace mox {

TDanfeSettings::TDanfeSettings() = default;
TDanfeSettings::~TDanfeSettings() = default;

TmoxKivoUtils& TDanfeSettings::Utils() {
  if (!FUtils) FUtils = std::make_unique<TmoxKivoUtils>();
  return *FUtils;
}

const std::string& TDanfeSettings::ModeloRetrato() {
  if (FModeloRetrato.empty()) FModeloRetrato = FindDataFile("Templates/vm50a/Danfe/retrato.rtm");
  return FModeloRetrato;
}

const std::string& TDanfeSettings::ModeloPaisagem() {
  if (FModeloPaisagem.empty()) FModeloPaisagem = FindDataFile("Templates/vm50a/Danfe/paisagem.rtm");
  return FModeloPaisagem;
}

std::string TDanfeSettings::GetParams() {
  std::string out;
  auto line = [&out](const char* name, const std::string& value) { out += std::string(name) + "=" + value + "\n"; };
  line("ModeloRetrato", ModeloRetrato());
  line("ModeloPaisagem", ModeloPaisagem());
  line("LogotipoEmitente", FLogotipoEmitente);
  line("FraseContingencia", FFraseContingencia);
  line("FraseHomologacao", FFraseHomologacao);
  line("QtdeCopias", std::to_string(FQtdeCopias));
  line("ImprimirVolume", BoolParam(FImprimirVolume));
  line("ImprimirDuplicata", BoolParam(FImprimirDuplicata));
  line("ImprimirUnidadeTributada", BoolParam(FImprimirUnidadeTributada));
  return out;
}

}  // namespace mox
