// Rules of the products of the items (group I with its import and export parts) and of fuel
// (group L).
#include "datasets/TXmlDataSetNFe.h"
#include "external/TmoxKivoUtils.h"
#include "rules/moxCatalogoRegras.h"
#include "rules/moxListasNFe.h"
#include "rules/moxRegrasComuns.h"
#include "utils/moxChaveNFe.h"
#include "utils/moxTextoNFe.h"

namespace mox {

namespace {

// The per-item shape with the field names that changed with the 3.10 layout.
struct TmoxNFeRegraItem : TmoxNFeTemplateItem {
  using TmoxNFeTemplateItem::TmoxNFeTemplateItem;
  std::string UFConsumo() const { return C(Leiaute310EmDiante() ? "UFCons_LA06" : "UFCons_L120"); }
  std::string ProdutoANP() const { return C(Leiaute310EmDiante() ? "cProdANP_LA02" : "cProdANP_L102"); }
  std::string CFOP() const { return C("CFOP_I08"); }
  // From 4.00 on a product without a bar code says so with "SEM GTIN".
  bool GTINValido(const std::string& aGTIN) const { return (Leiaute400() && aGTIN == "SEM GTIN") || ValidaEAN(aGTIN); }
};

struct TmoxNFeG07_20_NT015_002 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    const std::string uf = C("UF_G09");
    return !uf.empty() && uf != "EX" && !ValidaCodigoMunicipio(C("cMun_G07"));
  }
};

// Occurrences of a part of the item above the layout's limit.
struct TmoxNFeOcorrencias : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override { return DS(Parte()).RecordCount() < 101; }
  virtual const char* Parte() const = 0;
};
struct TmoxNFeGI01 final : TmoxNFeOcorrencias {
  using TmoxNFeOcorrencias::TmoxNFeOcorrencias;
  const char* Parte() const override { return "DI"; }
};
struct TmoxNFeGI18 final : TmoxNFeOcorrencias {
  using TmoxNFeOcorrencias::TmoxNFeOcorrencias;
  const char* Parte() const override { return "ADI"; }
};

struct TmoxNFeGI03 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override { return GTINValido(C("cEAN_I03")); }
};

struct TmoxNFeGI12 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override { return GTINValido(C("cEANTrib_I12")); }
};

struct TmoxNFeGI05_10 final : TmoxNFeRegraAlgumItem {
  using TmoxNFeRegraAlgumItem::TmoxNFeRegraAlgumItem;
  bool ItemFalha() override {
    const std::string ncm = C("NCM_I05");
    return ncm != "00" && CharCount(ncm) != 8;
  }
};

// A service (an item taxed by ISSQN) carries the NCM "00" by the layout's own instruction.
bool ServicoComNCM00(const TmoxNFeRule& aRegra, const std::string& aNCM) {
  return aNCM == "00" && aRegra.PossuiCampoPreenchido("U");
}

struct TmoxNFeGI05_2 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override {
    const std::string ncm = C("NCM_I05");
    return CharCount(ncm) == 8 || ServicoComNCM00(*this, ncm);
  }
};

struct TmoxNFeGI05_3 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override {
    const std::string ncm = C("NCM_I05");
    return !(ncm == "00" && C("finNFe_B25") != "3") || ServicoComNCM00(*this, ncm);
  }
};

struct TmoxNFeGI08 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override { return !(C("tpNF_B11") == "1" && Comeca(CFOP(), "123")); }
};

struct TmoxNFeGI08_1 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override { return !(C("tpNF_B11") == "0" && Comeca(CFOP(), "567")); }
};

struct TmoxNFeGI08_10 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override { return !(Comeca(CFOP(), "26") && C("idDest_B11a") != "2"); }
};

struct TmoxNFeGI08_12 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override {
    if (C("finNFe_B25") != "4" || NaLista(TListaNFe::Devolucao, CFOP())) return true;
    return C("indIEDest_E16a") == "9" && Um(CFOP(), {"1949", "2949"});
  }
};

// A devolution CFOP is allowed on devolution notes and on their complements.
struct TmoxNFeGI08_13 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override {
    return !NaLista(TListaNFe::Devolucao, CFOP()) || Um(C("finNFe_B25"), {"4", "2"});
  }
};

// The first import product without a tax group must have one of the CFOPs that spare it;
// later products are not looked at.
struct TmoxNFeImportacaoSemGrupo : TmoxNFeRegraDeItens {
  using TmoxNFeRegraDeItens::TmoxNFeRegraDeItens;
  void Inicia() override { FCFOP.clear(); }
  void Visita() override {
    if (Comeca(C("CFOP_I08"), "3") && !PossuiCampoPreenchido(Grupo())) FCFOP = C("CFOP_I08");
  }
  bool Decidida() const override { return !FCFOP.empty(); }
  bool Falhou() override { return !FCFOP.empty() && !CFOPDispensado(FCFOP); }
  std::string FCFOP;
  virtual const char* Grupo() const = 0;
  virtual bool CFOPDispensado(const std::string& aCFOP) const = 0;
};

struct TmoxNFeGI08_120_NT005_2013 final : TmoxNFeImportacaoSemGrupo {
  using TmoxNFeImportacaoSemGrupo::TmoxNFeImportacaoSemGrupo;
  const char* Grupo() const override { return "O"; }
  bool CFOPDispensado(const std::string& aCFOP) const override {
    return Um(aCFOP, {"3202", "3211", "3503", "3553", "3949"});
  }
};

struct TmoxNFeGI08_130_NT005_2013 final : TmoxNFeImportacaoSemGrupo {
  using TmoxNFeImportacaoSemGrupo::TmoxNFeImportacaoSemGrupo;
  const char* Grupo() const override { return "P"; }
  bool CFOPDispensado(const std::string& aCFOP) const override {
    return Um(aCFOP, {"3202", "3211", "3503", "3553"});
  }
};

struct TmoxNFeI08_190_NT015_002 final : TmoxNFeRegraAlgumItem {
  using TmoxNFeRegraAlgumItem::TmoxNFeRegraAlgumItem;
  bool ItemFalha() override { return Um(C("CFOP_I08"), {"3503", "7501"}) && !Preenchido("refNFe_BA02"); }
};

struct TmoxNFeGI08_2 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override { return !(Comeca(CFOP(), "37") && C("UF_E12") != "EX"); }
};

struct TmoxNFeGI08_3 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override {
    const std::string ufEmitente = C("UF_C12");
    return !(Comeca(CFOP(), "5") && C("UF_E12") != ufEmitente && Preenchido("IE_E17") &&
             UFConsumo() != ufEmitente && C("modFrete_X02") != "9");
  }
};

struct TmoxNFeGI08_4 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override {
    const std::string ufEmitente = C("UF_C12");
    return !(Comeca(CFOP(), "1") && C("UF_E12") != ufEmitente && Preenchido("IE_C17") &&
             UFConsumo() != ufEmitente);
  }
};

struct TmoxNFeGI08_5 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override { return !(!Comeca(CFOP(), "15") && C("UF_E12") == C("UF_C12")); }
};

struct TmoxNFeGI08_5_NT005_2013 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override {
    return !(Comeca(CFOP(), "15") && F(DS("B"), "idDest_B11a") != "1" && C("UF_E12") == C("UF_C12"));
  }
};

struct TmoxNFeGI08_7 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override {
    if (PossuiCampoPreenchido("DI")) return true;
    return !(Comeca(CFOP(), "3") && !Um(CFOP(), {"3201", "3202", "3503", "3553"}));
  }
};

// Export CFOPs need the place of shipment.
struct TmoxNFeLocalDeEmbarque : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override {
    return !(Comeca(CFOP(), "7") && (!Preenchido(CampoUF()) || !Preenchido(CampoLocal())));
  }
  virtual const char* CampoUF() const = 0;
  virtual const char* CampoLocal() const = 0;
};
struct TmoxNFeGI08_8 final : TmoxNFeLocalDeEmbarque {
  using TmoxNFeLocalDeEmbarque::TmoxNFeLocalDeEmbarque;
  const char* CampoUF() const override { return "UFEmbarq_ZA02"; }
  const char* CampoLocal() const override { return "xLocEmbarq_ZA03"; }
};
struct TmoxNFeGI08_8_NT005_2013 final : TmoxNFeLocalDeEmbarque {
  using TmoxNFeLocalDeEmbarque::TmoxNFeLocalDeEmbarque;
  const char* CampoUF() const override { return "UFSaidaPais_ZA02"; }
  const char* CampoLocal() const override { return "xLocExporta_ZA03"; }
};

// A foreign-trade CFOP on a note not marked as such fails when some product (any of them) is
// neither consumed abroad nor exported.
struct TmoxNFeGI08_9 final : TmoxNFeRegraDeItens {
  using TmoxNFeRegraDeItens::TmoxNFeRegraDeItens;
  void Inicia() override { FComExterior = FConsumoNoPais = false; }
  void Visita() override {
    const std::string cfop = C("CFOP_I08");
    FComExterior = FComExterior || (Comeca(cfop, "37") && C("idDest_B11a") != "3");
    FConsumoNoPais = FConsumoNoPais || (C("UFCons_LA06") != "EX" && !Comeca(cfop, "7"));
  }
  bool Falhou() override { return FComExterior && FConsumoNoPais; }
  bool FComExterior = false;
  bool FConsumoNoPais = false;
};

struct TmoxNFeGI17_10 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override { return !Preenchido("vDesc_I17") || N("vDesc_I17") <= N("vProd_I11"); }
};

struct TmoxNFeGI23_10 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override {
    const std::string desembaraco = C("dDesemb_I23");
    if (desembaraco.empty()) return true;
    if (DiasAteHoje(*this, desembaraco) < 0) return false;
    return AnosCompletos(XmlDateToDateTime(desembaraco), Agora()) < 6;
  }
};

struct TmoxNFeGI23_b final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override { return !(C("tpViaTransp_I23a") == "1" && !Preenchido("vAFRMM_I23b")); }
};

// Imports through a third party name the buyer or orderer.
struct TmoxNFeImportacaoPorTerceiro : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override {
    return !(!Preenchido(FieldName()) && Um(C("tpIntermedio_I23c"), {"2", "3"}));
  }
};
struct TmoxNFeGI23_d final : TmoxNFeImportacaoPorTerceiro {
  using TmoxNFeImportacaoPorTerceiro::TmoxNFeImportacaoPorTerceiro;
};
struct TmoxNFeGI23_e final : TmoxNFeImportacaoPorTerceiro {
  using TmoxNFeImportacaoPorTerceiro::TmoxNFeImportacaoPorTerceiro;
};

struct TmoxNFeGI23d_1 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override {
    const std::string cnpj = F(DS("DI"), "CNPJ_I23d");
    return cnpj.empty() || Utils().ValidateCNPJ(cnpj);
  }
};

// Drawback CFOPs need the drawback number.
struct TmoxNFeDrawback : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override { return !(!Preenchido(FieldName()) && CFOPDeDrawback(CFOP())); }
  virtual bool CFOPDeDrawback(const std::string& aCFOP) const = 0;
};
struct TmoxNFeGI29_a final : TmoxNFeDrawback {
  using TmoxNFeDrawback::TmoxNFeDrawback;
  bool CFOPDeDrawback(const std::string& aCFOP) const override { return Um(aCFOP, {"3127", "3211"}); }
};
struct TmoxNFeGI51 final : TmoxNFeDrawback {
  using TmoxNFeDrawback::TmoxNFeDrawback;
  bool CFOPDeDrawback(const std::string& aCFOP) const override { return Um(aCFOP, {"7127", "7211"}); }
};

// The export group belongs to export CFOPs (7xxx) and to the indirect-export sales.
struct TmoxNFeGI50 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override {
    if (!PossuiCampoPreenchido("DETEXPORT")) return true;
    return Comeca(CFOP(), "7") || Um(CFOP(), {"5501", "5502", "6501", "6502"});
  }
};

struct TmoxNFeGI54 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override {
    const std::string chave = F(DS("EXPORTIND"), "chNFe_I54");
    return chave.empty() || ValidaAutenticidadeDV(chave, VersaoManual());
  }
};

struct TmoxNFeGI54_1 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override {
    const std::string chave = F(DS("EXPORTIND"), "chNFe_I54");
    return chave.empty() || CopyChars(chave, 21, 2) == "55";
  }
};

struct TmoxNFeGL101_NT003_2012 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override { return !NaLista(TListaNFe::Combustivel, CFOP()) || !ProdutoANP().empty(); }
};

struct TmoxNFeGL102a final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override { return !(Preenchido("pMixGN_LA03") && C("cProdANP_LA02") != "210203001"); }
};

struct TmoxNFeGLA11_10 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override { return !Preenchido("nBico_LA12") || Um(CFOP(), {"5656", "5667"}); }
};

struct TmoxNFeGLA16_10 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override { return !Preenchido("vEncFin_LA16") || N("vEncFin_LA16") >= N("vEncIni_LA15"); }
};

struct TmoxNFeGLB01_3 final : TmoxNFeRegraItem {
  using TmoxNFeRegraItem::TmoxNFeRegraItem;
  bool ExpressaoDeValidacao() override {
    const std::string recopi = C("nRECOPI_LB01");
    return recopi.empty() || CharCount(recopi) == 20;
  }
};

constexpr TClasseRegra kClasses[] = {
    MOX_CLASSE_REGRA(TmoxNFeG07_20_NT015_002),    MOX_CLASSE_REGRA(TmoxNFeGI01),
    MOX_CLASSE_REGRA(TmoxNFeGI03),                MOX_CLASSE_REGRA(TmoxNFeGI05_10),
    MOX_CLASSE_REGRA(TmoxNFeGI05_2),              MOX_CLASSE_REGRA(TmoxNFeGI05_3),
    MOX_CLASSE_REGRA(TmoxNFeGI08),                MOX_CLASSE_REGRA(TmoxNFeGI08_1),
    MOX_CLASSE_REGRA(TmoxNFeGI08_10),             MOX_CLASSE_REGRA(TmoxNFeGI08_12),
    MOX_CLASSE_REGRA(TmoxNFeGI08_120_NT005_2013), MOX_CLASSE_REGRA(TmoxNFeGI08_13),
    MOX_CLASSE_REGRA(TmoxNFeGI08_130_NT005_2013), MOX_CLASSE_REGRA(TmoxNFeI08_190_NT015_002),
    MOX_CLASSE_REGRA(TmoxNFeGI08_2),              MOX_CLASSE_REGRA(TmoxNFeGI08_3),
    MOX_CLASSE_REGRA(TmoxNFeGI08_4),              MOX_CLASSE_REGRA(TmoxNFeGI08_5),
    MOX_CLASSE_REGRA(TmoxNFeGI08_5_NT005_2013),   MOX_CLASSE_REGRA(TmoxNFeGI08_7),
    MOX_CLASSE_REGRA(TmoxNFeGI08_8),              MOX_CLASSE_REGRA(TmoxNFeGI08_8_NT005_2013),
    MOX_CLASSE_REGRA(TmoxNFeGI08_9),              MOX_CLASSE_REGRA(TmoxNFeGI12),
    MOX_CLASSE_REGRA(TmoxNFeGI17_10),             MOX_CLASSE_REGRA(TmoxNFeGI18),
    MOX_CLASSE_REGRA(TmoxNFeGI23_10),             MOX_CLASSE_REGRA(TmoxNFeGI23_b),
    MOX_CLASSE_REGRA(TmoxNFeGI23_d),              MOX_CLASSE_REGRA(TmoxNFeGI23_e),
    MOX_CLASSE_REGRA(TmoxNFeGI23d_1),             MOX_CLASSE_REGRA(TmoxNFeGI29_a),
    MOX_CLASSE_REGRA(TmoxNFeGI50),                MOX_CLASSE_REGRA(TmoxNFeGI51),
    MOX_CLASSE_REGRA(TmoxNFeGI54),                MOX_CLASSE_REGRA(TmoxNFeGI54_1),
    MOX_CLASSE_REGRA(TmoxNFeGL101_NT003_2012),    MOX_CLASSE_REGRA(TmoxNFeGL102a),
    MOX_CLASSE_REGRA(TmoxNFeGLA11_10),            MOX_CLASSE_REGRA(TmoxNFeGLA16_10),
    MOX_CLASSE_REGRA(TmoxNFeGLB01_3),
};

}  // namespace

std::span<const TClasseRegra> ClassesRegrasProdutos() { return kClasses; }

}  // namespace mox
