#pragma once
// Snapshot of the component's settings handed to the request builder before each
// authorization operation.
#include <string>

#include "base/moxTypes.h"

namespace mox {

class TmoxIniFile;

struct TNFeData {
  std::string ArquivoServidoresHom;
  std::string ArquivoServidoresProd;
  TmoxIniFile* ServersIni = nullptr;  // the component's servers file, not owned
  TAmbienteKind Ambiente = TAmbienteKind::akHomologacao;
  std::string DiretorioLog;
  bool ValidarEsquemaAntesEnvio = false;
  bool IgnoreInvalidCertificates = false;
  int TimeOut = 0;
  std::string DiretorioEsquemas;
  std::string DiretorioTemplates;
  std::string NomeCeritificado;
  TVersaoManual VersaoManual = TVersaoManual::vm50;
  std::string AmbienteStr;  // "1" production, "2" homologation
  std::string LocalCode;    // two-digit IBGE code of the UF
  std::string UF;
  std::string CNPJ;
  TModoOperacao ModoOperacao = TModoOperacao::moNormal;
};

}  // namespace mox
