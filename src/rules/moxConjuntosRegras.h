#pragma once
// The ordered rule sets: the component's fix-up rules and the rejection rules of each manual
// version.
#include <vector>

#include "base/moxTypes.h"
#include "rules/moxCatalogoRegras.h"

namespace mox {

enum class TConjuntoRegras { Zelto, VM30, VM40, VM50, VM50a, VM60 };

// A rule of a set: its class and what it is registered with.
struct TRegraDoConjunto {
  const TClasseRegra* classe;
  TDadosRegra dados;
};

// The rules of a set in order; the schema package picks the class of the entries that depend
// on it.
std::vector<TRegraDoConjunto> RegrasDoConjunto(TConjuntoRegras aConjunto, TVersaoEsquema aEsquema);
// The rejection set of a schema package, by its manual version.
TConjuntoRegras ConjuntoDoEsquema(TVersaoEsquema aEsquema);

}  // namespace mox
