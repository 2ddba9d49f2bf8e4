#pragma once
// The layout converter of each schema package.
#include <memory>

#include "base/moxTypes.h"
#include "datasets/TmoxNFeCustomDataSet.h"

namespace mox {

// A new layout container for the schema package: TmoxDS_pl005a for pl_005a, and so on.
std::unique_ptr<TmoxNFeCustomDataSet> CriaLeiauteNFe(TVersaoEsquema aVersao);

}  // namespace mox
