#pragma once
// The delivered field dictionaries and the test invoices of tests/fixtures/leiautes, replayed
// through the command life cycle of the data sets.
//
// A test invoice is a text of commands and field assignments, one a line: INCLUIR, INCLUIRITEM,
// SALVARITEM, INCLUIRCOBRANCA, SALVARCOBRANCA, INCLUIRPARTE=<parte>, SALVARPARTE=<parte>, SALVAR,
// or <campo>=<valor>. Blank lines and lines starting with "#" are skipped. A line that starts
// with "[pl_xxx] " applies only from that schema package on, so one invoice serves a whole family.
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "base/moxEnumTexts.h"
#include "datasets/TmoxNFeConvTXTDataSet.h"
#include "datasets/TmoxNFeDataSets.h"
#include "support/TestSupport.h"

namespace moxtest {

// The delivered dictionary of the manual version of a schema package.
inline std::string DicionarioEntregue(mox::TVersaoEsquema aVersao, bool aExportacao = false) {
  return std::string(MOXNFE_SOURCE_DIR) + "/data/Templates/" +
         mox::PastaVersaoManual(mox::GetVersaoManualDoEsquema(aVersao)) + "/Conversor/" +
         (aExportacao ? "NFeDataSets_Exportacao.xml" : "NFeDataSets.xml");
}

// A facade with the layout converter and the delivered dictionary of a schema package.
inline std::unique_ptr<mox::TmoxNFeDataSets> DataSetsEntregues(mox::TVersaoEsquema aVersao, bool aExportacao = false) {
  auto ds = std::make_unique<mox::TmoxNFeDataSets>();
  ds->SetVersaoEsquema(aVersao);
  ds->SetXMLDicionario(DicionarioEntregue(aVersao, aExportacao));
  return ds;
}

// Replays a test invoice text on the data sets, as TX2 lines.
inline void PreencheNota(mox::TmoxNFeDataSets& aDS, const std::string& aTexto) {
  std::istringstream linhas(aTexto);
  std::string linha;
  for (size_t indice = 0; std::getline(linhas, linha); ++indice) {
    if (!linha.empty() && linha.back() == '\r') linha.pop_back();
    if (linha.empty() || linha[0] == '#') continue;
    if (linha[0] == '[') {
      const size_t fim = linha.find("] ");
      if (aDS.VersaoEsquema() < mox::StrToVersaoEsquema(linha.substr(1, fim - 1))) continue;
      linha.erase(0, fim + 2);
    }
    mox::ExecutaLinhaTX2(aDS, linha, indice, {});
  }
}

// A test invoice of tests/fixtures/leiautes.
inline std::string NotaDeTeste(const std::string& aArquivo) { return ReadText(Fixture("leiautes/" + aArquivo)); }

}  // namespace moxtest
