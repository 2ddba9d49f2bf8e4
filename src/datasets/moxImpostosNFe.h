#pragma once
// The item taxes whose sub-group a situation code chooses (ICMS by CST and CSOSN, IPI, PIS and
// COFINS), as tables per layout family, and their conversion to XML.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "datasets/TmoxXMLDataSetNFe.h"

namespace mox {

// --- ICMS.

// One ICMS sub-group: the CST codes that select it and the fields of "N" it writes.
struct TGrupoICMS {
  std::vector<std::string_view> codigos;
  std::string_view nome;
  TCamposXml campos;
};

struct TLeiauteICMS {
  std::vector<TGrupoICMS> porCST;
  // From 2.00 on: CST 41 with retained ST becomes ICMSST, the tax sharing between states
  // (ICMSPart) and the Simples Nacional groups exist, and ICMS is written only when not empty.
  bool completo = false;
  // Those groups where a layout gave them more fields; the 2.00 ones otherwise.
  const TGrupoICMS* st = nullptr;
  const TGrupoICMS* partilha = nullptr;
  const std::vector<TGrupoICMS>* simplesNacional = nullptr;
};

// The 1.10 sub-groups of pl_005c to pl_005f; the 2.00 ones; the 3.10 ones, with relief.
const TLeiauteICMS& ICMS_pl005c();
const TLeiauteICMS& ICMS_pl006e();
const TLeiauteICMS& ICMS_pl008a();

// The ICMS group of the current record of "N".
std::string ConverteICMS(const TmoxXMLDataSetNFe& aConversor, const TXmlDataSetNFe& aN, const TLeiauteICMS& aLeiaute);

// --- IPI.

struct TLeiauteIPI {
  TCamposXml cabecalho;  // fields before the taxed/untaxed sub-group
  TCamposXml tributado;  // fields of IPITrib
};

const TLeiauteIPI& IPI_pl005a();
const TLeiauteIPI& IPI_pl006e();

// The IPI group of the current record of "O"; nothing for a CST outside both sub-groups.
std::string ConverteIPI(const TmoxXMLDataSetNFe& aConversor, const TXmlDataSetNFe& aO, const TLeiauteIPI& aLeiaute);

// --- PIS and COFINS.

enum class TGrupoPIS { Aliq, Qtde, NT, Outr };

// The sub-group a CST selects in one layout family; nothing for a code the family does not know.
using TTabelaPIS = std::optional<TGrupoPIS> (*)(std::string_view aCST);
std::optional<TGrupoPIS> TabelaPIS_pl005a(std::string_view aCST);
std::optional<TGrupoPIS> TabelaPIS_pl005f(std::string_view aCST);
std::optional<TGrupoPIS> TabelaPIS_pl006g(std::string_view aCST);

// The PIS group of "Q" and the COFINS group of "S"; an unknown code gives the empty wrapper.
std::string ConvertePIS(const TmoxXMLDataSetNFe& aConversor, const TXmlDataSetNFe& aQ, TTabelaPIS aTabela);
std::string ConverteCOFINS(const TmoxXMLDataSetNFe& aConversor, const TXmlDataSetNFe& aS, TTabelaPIS aTabela);

// "<tag>texto</tag>" when texto is not empty, otherwise nothing.
std::string EnvolverSePreenchido(std::string_view aTag, const std::string& aTexto);
// "<tag>texto</tag>", also around an empty text.
std::string Envolver(std::string_view aTag, const std::string& aTexto);

}  // namespace mox
