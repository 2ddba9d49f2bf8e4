#include "rules/TmoxControllerRulesNFe.h"

#include "datasets/TmoxNFeCustomDataSet.h"
#include "rules/moxConjuntosRegras.h"

namespace mox {

TmoxControllerRulesNFe::TmoxControllerRulesNFe() = default;

TmoxControllerRulesNFe::~TmoxControllerRulesNFe() = default;

void TmoxControllerRulesNFe::AplicarRegras(TTipoRegraKind aTipoRegra) {
  if (aTipoRegra == TTipoRegraKind::rkZelto)
    LoadRulesZelto();
  else
    LoadRulesWebSefaz();
  try {
    ExecuteRules();
  } catch (...) {
    FreeRules();
    throw;
  }
  FreeRules();
}

void TmoxControllerRulesNFe::Carrega(TConjuntoRegras aConjunto) {
  for (const TRegraDoConjunto& regra : RegrasDoConjunto(aConjunto, FVersaoEsquema)) {
    std::unique_ptr<TmoxNFeRule> instancia = regra.classe->cria(regra.dados);
    if (FRelogio) instancia->SetAgora(FRelogio);
    FListRules.push_back(std::move(instancia));
  }
}

void TmoxControllerRulesNFe::LoadRulesZelto() { Carrega(TConjuntoRegras::Zelto); }

void TmoxControllerRulesNFe::LoadRulesWebSefaz() {
  switch (ConjuntoDoEsquema(FVersaoEsquema)) {
    case TConjuntoRegras::VM40: return LoadRulesVM40();
    case TConjuntoRegras::VM50: return LoadRulesVM50();
    case TConjuntoRegras::VM50a: return LoadRulesVM50a();
    default: return LoadRulesVM30();
  }
}

void TmoxControllerRulesNFe::LoadRulesVM30() { Carrega(TConjuntoRegras::VM30); }
void TmoxControllerRulesNFe::LoadRulesVM40() { Carrega(TConjuntoRegras::VM40); }
void TmoxControllerRulesNFe::LoadRulesVM50() { Carrega(TConjuntoRegras::VM50); }
void TmoxControllerRulesNFe::LoadRulesVM50a() { Carrega(TConjuntoRegras::VM50a); }

void TmoxControllerRulesNFe::ExecuteRules() {
  for (const std::unique_ptr<TmoxNFeRule>& regra : FListRules) {
    regra->SetDataSet(FNFeDataSet);
    if (!EstaNaListaDeExcecoes(regra->Name())) regra->execute();
  }
}

bool TmoxControllerRulesNFe::EstaNaListaDeExcecoes(const std::string& aIDRegra) const {
  return FExcecoesDeRegras.find(aIDRegra) != std::string::npos;
}

TmoxNFeDataSets::TAplicadorRegras AplicadorRegrasNFe(std::function<TDateTime()> aRelogio) {
  return [relogio = std::move(aRelogio)](TmoxNFeDataSets& aDS, TTipoRegraKind aTipoRegra) {
    TmoxControllerRulesNFe controlador;
    controlador.SetNFeDataSet(&aDS.ActiveDSVersao());
    controlador.SetExcecoesDeRegras(aDS.ExcecoesDeRegras());
    controlador.SetVersaoEsquema(aDS.VersaoEsquema());
    controlador.SetRelogio(relogio);
    controlador.AplicarRegras(aTipoRegra);
  };
}

}  // namespace mox
