#pragma once
// Date and clock helpers shared by the rules of the catalogue.
#include <cstdint>
#include <string>

#include "external/moxDateTime.h"
#include "rules/moxNFeRules.h"
#include "utils/moxDataHoraNFe.h"
#include "utils/moxVerificacoes.h"

namespace mox {

// Whole days from the date of aData to the rule's today: positive when aData is in the past.
std::int64_t DiasAteHoje(const TmoxNFeRule& aRegra, const std::string& aData);
// Whole minutes by which the time of day of an XML date-time is ahead of the rule's current
// time of day (negative when behind); dates take no part.
std::int64_t MinutosAFrente(const TmoxNFeRule& aRegra, const std::string& aDataHora);
int AnoCivil(TDateTime aInstante);
// Whole calendar years from aDe to aAte (0 when aAte is earlier).
int AnosCompletos(TDateTime aDe, TDateTime aAte);
int AnoCivil(const std::string& aDataXml);

}  // namespace mox
