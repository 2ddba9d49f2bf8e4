#pragma once
// Runs one rule set over the layout container of a note: the fix-up rules or the rejection
// rules of the note's schema package, in order, stopping at the first failure.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/moxTypes.h"
#include "datasets/TmoxNFeDataSets.h"
#include "external/moxDateTime.h"
#include "rules/moxConjuntosRegras.h"
#include "rules/moxNFeRules.h"

namespace mox {

class TmoxNFeCustomDataSet;

class TmoxControllerRulesNFe {
 public:
  TmoxControllerRulesNFe();
  ~TmoxControllerRulesNFe();
  TmoxControllerRulesNFe(const TmoxControllerRulesNFe&) = delete;
  TmoxControllerRulesNFe& operator=(const TmoxControllerRulesNFe&) = delete;

  void SetNFeDataSet(TmoxNFeCustomDataSet* aValue) { FNFeDataSet = aValue; }
  // Rule names exempted from the run; a name occurring anywhere in the text is exempted.
  void SetExcecoesDeRegras(std::string aValue) { FExcecoesDeRegras = std::move(aValue); }
  void SetVersaoEsquema(TVersaoEsquema aValue) { FVersaoEsquema = aValue; }
  // The clock the date rules read; the system clock unless set.
  void SetRelogio(std::function<TDateTime()> aRelogio) { FRelogio = std::move(aRelogio); }

  // Loads the set of the kind, runs it and frees the rules, whether or not one failed.
  void AplicarRegras(TTipoRegraKind aTipoRegra);

  void LoadRulesZelto();
  // The rejection set of VersaoEsquema's manual version.
  void LoadRulesWebSefaz();
  void LoadRulesVM30();
  void LoadRulesVM40();
  void LoadRulesVM50();
  void LoadRulesVM50a();
  void LoadRulesVM60();
  void ExecuteRules();
  bool EstaNaListaDeExcecoes(const std::string& aIDRegra) const;
  void FreeRules() { FListRules.clear(); }

  const std::vector<std::unique_ptr<TmoxNFeRule>>& ListRules() const { return FListRules; }

 private:
  void Carrega(TConjuntoRegras aConjunto);

  std::vector<std::unique_ptr<TmoxNFeRule>> FListRules;
  TmoxNFeCustomDataSet* FNFeDataSet = nullptr;
  std::string FExcecoesDeRegras;
  TVersaoEsquema FVersaoEsquema = TVersaoEsquema::pl_005a;
  std::function<TDateTime()> FRelogio;
};

// The rule engine as the rule hook of a facade: each call runs a fresh controller over the
// facade's container with its exception list and schema package.
TmoxNFeDataSets::TAplicadorRegras AplicadorRegrasNFe(std::function<TDateTime()> aRelogio = {});

}  // namespace mox
