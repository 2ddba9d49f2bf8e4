#include "rules/TmoxControllerRulesNFe.h"

#include <exception>

#include "datasets/TXmlDataSetNFe.h"
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
    case TConjuntoRegras::VM60: return LoadRulesVM60();
    default: return LoadRulesVM30();
  }
}

void TmoxControllerRulesNFe::LoadRulesVM30() { Carrega(TConjuntoRegras::VM30); }
void TmoxControllerRulesNFe::LoadRulesVM40() { Carrega(TConjuntoRegras::VM40); }
void TmoxControllerRulesNFe::LoadRulesVM50() { Carrega(TConjuntoRegras::VM50); }
void TmoxControllerRulesNFe::LoadRulesVM50a() { Carrega(TConjuntoRegras::VM50a); }
void TmoxControllerRulesNFe::LoadRulesVM60() { Carrega(TConjuntoRegras::VM60); }

namespace {

// A rule that may share one walk of the items with its neighbours.
TmoxNFeRegraDeItens* DeItens(TmoxNFeRule& aRegra) {
  auto* deItens = dynamic_cast<TmoxNFeRegraDeItens*>(&aRegra);
  return deItens && !deItens->Isolada() ? deItens : nullptr;
}

// Runs consecutive item rules in one walk of the items. Each only reads, so the outcome is the
// one of running them in turn: the first of them that fails (or raises) is reported.
void ExecutaJuntas(const std::vector<TmoxNFeRegraDeItens*>& aRegras) {
  std::vector<std::exception_ptr> erros(aRegras.size());
  for (TmoxNFeRegraDeItens* regra : aRegras) {
    regra->CheckDataSet();
    regra->Inicia();
  }
  TXmlDataSetNFe& item = aRegras.front()->DataSet()->FindDataSet("H");
  for (item.First(); !item.Eof(); item.Next())
    for (size_t i = 0; i < aRegras.size(); ++i) {
      if (erros[i] || aRegras[i]->Decidida()) continue;
      try {
        aRegras[i]->Visita();
      } catch (...) {
        erros[i] = std::current_exception();
      }
    }
  for (size_t i = 0; i < aRegras.size(); ++i) {
    if (erros[i]) std::rethrow_exception(erros[i]);
    if (aRegras[i]->Falhou()) aRegras[i]->FalharValidacao();
  }
}

}  // namespace

void TmoxControllerRulesNFe::ExecuteRules() {
  std::vector<TmoxNFeRegraDeItens*> juntas;
  for (const std::unique_ptr<TmoxNFeRule>& regra : FListRules) {
    regra->SetDataSet(FNFeDataSet);
    if (EstaNaListaDeExcecoes(regra->Name())) continue;
    if (TmoxNFeRegraDeItens* deItens = DeItens(*regra)) {
      juntas.push_back(deItens);
      continue;
    }
    if (!juntas.empty()) ExecutaJuntas(juntas);
    juntas.clear();
    regra->execute();
  }
  if (!juntas.empty()) ExecutaJuntas(juntas);
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
