#pragma once
// The code lists the rules test values against (CFOPs, ANP product codes, states). Lookups
// ignore letter case.
#include <string_view>

namespace mox {

enum class TListaNFe {
  Combustivel,           // fuel CFOPs
  VendaCombustivel,      // fuel-sale CFOPs
  Devolucao,             // devolution CFOPs
  IsentoInterestadual,   // interstate CFOPs exempt from the imported-goods rate
  IsencaoZFM2012,        // first exempt-sale list (ZFM)
  IsencaoZFM2013,        // second exempt-sale list (ZFM)
  IsentoUFDestino,       // CFOPs exempt from the destination-UF ICMS group
  Remessa,               // remittance CFOPs
  Gas,                   // ANP codes of gas products
  GasNatural,            // ANP codes of natural gas
  UFSudeste,             // south and south-east states
  UFNorte,               // north, north-east states and ES
};

bool NaLista(TListaNFe aLista, std::string_view aValor);

// Every code of a list, in the order given by the standard's tables.
struct TCodigosLista {
  const std::string_view* codigos;
  size_t quantidade;
};
TCodigosLista CodigosDaLista(TListaNFe aLista);

}  // namespace mox
