#pragma once
// The audit of one NF-e XML: its layout found from the document, the official schema of that
// layout, the signature of a signed note, then the rejection rules of its manual version run one by one so every broken rule
// is reported, not only the first.
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "external/moxDateTime.h"

namespace mox {

struct TPastasAuditoria {
  std::string Esquemas;   // holds (or sits below the folder holding) vm30/ ... vm60/
  std::string Templates;  // leads, like Esquemas, to <version>/Conversor/ with the dictionaries
  std::string Regras;     // may hold "RegrasIgnoradas.txt"; empty for none
  std::string LogErro;
};

struct TOpcoesAuditoria {
  bool ExibirRegras = false;  // list every rule with its outcome under "regras"
  // Now for the date rules; unset: the protocol's receipt of an nfeProc, else the clock, both
  // in Brasília time.
  std::function<TDateTime()> Relogio;
};

// The audit as a JSON object (see TmoxAuditorNFe::ValidarXml). A document that is not an NF-e
// or whose schema package or dictionary is missing raises; the note's own faults are failures.
nlohmann::ordered_json AuditarNFe(const std::string& aXml, const TPastasAuditoria& aPastas, const TOpcoesAuditoria& aOpcoes);

}  // namespace mox
