#pragma once
// The item taxes of the 4.00 layout: the ICMS sub-groups with the poverty fund (FCP), the ICMS
// already paid and the single-phase fuels, and the nested groups of the tax reform (IBS and CBS
// per item and in the totals).
#include <string>
#include <string_view>
#include <vector>

#include "datasets/moxImpostosNFe.h"

namespace mox {

const TLeiauteICMS& ICMS_pl009();

// One node of a nested group: a field of the data set (no children) or an element holding the
// nodes below it, written only when something inside it is.
struct TNoGrupo {
  std::string_view nome;
  std::vector<TNoGrupo> filhos;
};

// The IBSCBS group of an item (data set "IBSCBS") and the IBSCBSTot group of the totals ("W").
const TNoGrupo& GrupoIBSCBS();
const TNoGrupo& GrupoIBSCBSTot();

// A nested group over the current record of aDs; nothing when no field inside has a value.
std::string ConverteGrupo(const TmoxXMLDataSetNFe& aConversor, const TXmlDataSetNFe& aDs, const TNoGrupo& aGrupo);

}  // namespace mox
