#include "datasets/moxLeiautesNFe.h"

#include "datasets/TmoxDS_pl009.h"

namespace mox {

std::unique_ptr<TmoxNFeCustomDataSet> CriaLeiauteNFe(TVersaoEsquema aVersao) {
  using V = TVersaoEsquema;
  switch (aVersao) {
    case V::pl_005a:
      return std::make_unique<TmoxDS_pl005a>();
    case V::pl_005b:
      return std::make_unique<TmoxDS_pl005b>();
    case V::pl_005c:
      return std::make_unique<TmoxDS_pl005c>();
    case V::pl_005d:
      return std::make_unique<TmoxDS_pl005d>();
    case V::pl_005f:
      return std::make_unique<TmoxDS_pl005f>();
    case V::pl_006e:
      return std::make_unique<TmoxDS_pl006e>();
    case V::pl_006f:
      return std::make_unique<TmoxDS_pl006f>();
    case V::pl_006g:
      return std::make_unique<TmoxDS_pl006g>();
    case V::pl_006i:
      return std::make_unique<TmoxDS_pl006i>();
    case V::pl_006j:
      return std::make_unique<TmoxDS_pl006j>();
    case V::pl_006m:
      return std::make_unique<TmoxDS_pl006m>();
    case V::pl_006n:
      return std::make_unique<TmoxDS_pl006n>();
    case V::pl_006p:
      return std::make_unique<TmoxDS_pl006p>();
    case V::pl_006q:
      return std::make_unique<TmoxDS_pl006q>();
    case V::pl_006r:
      return std::make_unique<TmoxDS_pl006r>();
    case V::pl_006s:
      return std::make_unique<TmoxDS_pl006s>();
    case V::pl_006t:
      return std::make_unique<TmoxDS_pl006t>();
    case V::pl_006u:
      return std::make_unique<TmoxDS_pl006u>();
    case V::pl_006v:
      return std::make_unique<TmoxDS_pl006v>();
    case V::pl_008a:
      return std::make_unique<TmoxDS_pl008a>();
    case V::pl_008b:
      return std::make_unique<TmoxDS_pl008b>();
    case V::pl_008c:
      return std::make_unique<TmoxDS_pl008c>();
    case V::pl_008d:
      return std::make_unique<TmoxDS_pl008d>();
    case V::pl_008e:
      return std::make_unique<TmoxDS_pl008e>();
    case V::pl_008f:
      return std::make_unique<TmoxDS_pl008f>();
    case V::pl_008g:
      return std::make_unique<TmoxDS_pl008g>();
    case V::pl_008h:
      return std::make_unique<TmoxDS_pl008h>();
    case V::pl_008i:
      return std::make_unique<TmoxDS_pl008i>();
    case V::pl_008i1:
      return std::make_unique<TmoxDS_pl008i1>();
    case V::pl_009:
      return std::make_unique<TmoxDS_pl009>();
    case V::pl_010:
      return std::make_unique<TmoxDS_pl010>();
  }
  return nullptr;  // a value outside the enumeration: the facade reports it
}

}  // namespace mox
