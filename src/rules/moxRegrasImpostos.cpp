// Rules of the taxes of the items: ICMS (N), ICMS of the destination UF (NA), IPI (O), PIS (Q),
// COFINS (S) and ISSQN (U).
#include "datasets/TXmlDataSetNFe.h"
#include "rules/moxCatalogoRegras.h"
#include "rules/moxListasNFe.h"
#include "rules/moxRegrasComuns.h"
#include "utils/moxChaveNFe.h"
#include "utils/moxTextoNFe.h"

namespace mox {

namespace {

constexpr const char* kDifal2016 = "2016-01-01T00:01:00-03:00";
constexpr const char* kDifalJulho2016 = "2016-07-01T00:01:00-03:00";
constexpr const char* kCEST2016 = "2016-04-01T00:01:00-03:00";

bool OrigemImportada(std::string_view aOrigem) { return TmoxNFeRule::Um(aOrigem, {"1", "2", "3", "8"}); }

struct TmoxNFeRegraImposto : TmoxNFeTemplateItem {
  using TmoxNFeTemplateItem::TmoxNFeTemplateItem;
  std::string CST() const { return C("CST_N12"); }
  std::string CFOP() const { return C("CFOP_I08"); }
};

struct TmoxNFeGN12 final : TmoxNFeRegraImposto {
  using TmoxNFeRegraImposto::TmoxNFeRegraImposto;
  bool ExpressaoDeValidacao() override {
    if (!Comeca(CFOP(), "7")) return true;
    const std::string crt = F(DS("C"), "CRT_C21");
    if (crt == "3") return CST() == "41";
    if (crt == "1") return C("CSOSN_N12a") == "300";
    return true;
  }
};

// The first item with a CST a non-contributor cannot take decides.
struct TmoxNFeN12_70_NT003_2015 final : TmoxNFeRegraDeItens {
  using TmoxNFeRegraDeItens::TmoxNFeRegraDeItens;
  void Inicia() override {
    FAplica = Desde(kDifalJulho2016) && !PossuiCampoPreenchido("J") && C("tpNF_B11") != "0";
    FDecidida = FFalhou = false;
  }
  bool Decidida() const override { return !FAplica || FDecidida; }
  void Visita() override {
    // Items taxed by CSOSN (Simples Nacional) carry no CST and are not judged here.
    const std::string cst = C("CST_N12");
    if (C("indIEDest_E16a") != "9" || cst.empty() || Um(cst, {"00", "20", "40", "41", "60"})) return;
    FDecidida = true;
    FFalhou = !Um(C("tpOp_J02"), {"2", "3"}) && !NaLista(TListaNFe::Remessa, C("CFOP_I08"));
  }
  bool Falhou() override { return FAplica && FFalhou; }
  bool FAplica = false, FDecidida = false, FFalhou = false;
};

struct TmoxNFeN12_80_NT003_2015 final : TmoxNFeRegraAlgumItem {
  using TmoxNFeRegraAlgumItem::TmoxNFeRegraAlgumItem;
  bool Aplica() override { return C("indIEDest_E16a") == "2" && Desde(kDifalJulho2016); }
  bool ItemFalha() override {
    const std::string cst = C("CST_N12");
    return cst == "51" || (cst == "50" && !NaLista(TListaNFe::Remessa, C("CFOP_I08")));
  }
};

struct TmoxNFeN12a_70_NT003_2015 final : TmoxNFeRegraAlgumItem {
  using TmoxNFeRegraAlgumItem::TmoxNFeRegraAlgumItem;
  bool Aplica() override { return Desde(kDifalJulho2016) && C("indIEDest_E16a") == "9" && C("tpNF_B11") != "0"; }
  bool ItemFalha() override {
    const std::string csosn = C("CSOSN_N12a");
    return !csosn.empty() && !Um(csosn, {"102", "103", "300", "400", "500"}) &&
           !NaLista(TListaNFe::Remessa, C("CFOP_I08"));
  }
};

// Interstate rate above 4 % on imported goods sold to a contributor.
struct TmoxNFeAliquotaImportados : TmoxNFeRegraImposto {
  using TmoxNFeRegraImposto::TmoxNFeRegraImposto;
  bool ExpressaoDeValidacao() override {
    if (ComplementaNotaAnterior2013()) return true;
    const std::string cfop = CFOP();
    const std::string ie = F(DS("E"), "IE_E17");
    const bool falha =
        cfop != "6929" && !Um(cfop, {"6107", "6108"}) && !Um(F(DS("J"), "tpOp_J02"), {"2", "3"}) &&
        !(IsentaGasNatural() && NaLista(TListaNFe::GasNatural, F(DS("L1"), CampoANP()))) &&
        !NaLista(TListaNFe::IsentoInterestadual, cfop) && Comeca(cfop, "6") && !ie.empty() && ie != "ISENTO" &&
        CondicaoExtra() && Origem(F(DS("N"), "orig_N11")) && Um(F(DS("N"), "CST_N12"), {"00", "10", "20", "70", "90"}) &&
        EmitidaDesde2013() && GetExtend(F(DS("N"), "pICMS_N16")) > 4;
    return !falha;
  }
  // A complementary note of a note issued before 2013 keeps the old rate.
  bool ComplementaNotaAnterior2013() const {
    if (F(DS("B"), "finNFe_B25") != "2") return false;
    // The 4.00 dictionary keeps only the group BA names of the references.
    const char* campoChave = Leiaute400() ? "refNFe_BA02" : "refNFe_B13";
    const char* campoAAMM = Leiaute400() ? "AAMM_BA05" : "AAMM_B16";
    return AlgumRegistro("NREF", [&](TXmlDataSetNFe& aRef) {
      const std::string chave = F(aRef, campoChave);
      const std::string aamm = F(aRef, campoAAMM);
      return (!chave.empty() && StrToInt64(CopyChars(chave, 3, 2)) < 13) ||
             (!aamm.empty() && StrToInt64(CopyChars(aamm, 1, 2)) < 13);
    });
  }
  bool EmitidaDesde2013() const {
    // A note of the 3.10 layout dates itself in dhEmi_B09 only; the 4.00 dictionary has no
    // other emission field.
    std::string emissao = Leiaute400() ? std::string() : F(DS("B"), CampoEmissao());
    if (emissao.empty()) emissao = F(DS("B"), "dhEmi_B09");
    return !VerificaDataAnterior(emissao, "2013-01-01");
  }
  const char* CampoANP() const { return Leiaute310EmDiante() ? "cProdANP_LA02" : "cProdANP_L102"; }
  virtual bool Origem(std::string_view aOrigem) const { return Um(aOrigem, {"1", "2", "3"}); }
  virtual bool IsentaGasNatural() const { return true; }
  virtual const char* CampoEmissao() const {
    return Leiaute310EmDiante() ? "dhEmi_B09" : "dEmi_B09";
  }
  virtual bool CondicaoExtra() const { return true; }
};

struct TmoxNFeGN16_NT005_2012 final : TmoxNFeAliquotaImportados {
  using TmoxNFeAliquotaImportados::TmoxNFeAliquotaImportados;
};

struct TmoxNFeGN16_NT006_2013 final : TmoxNFeAliquotaImportados {
  using TmoxNFeAliquotaImportados::TmoxNFeAliquotaImportados;
  bool Origem(std::string_view aOrigem) const override { return OrigemImportada(aOrigem); }
  bool IsentaGasNatural() const override { return false; }
  const char* CampoEmissao() const override { return "dEmi_B09"; }
};

struct TmoxNFeGN16_04 final : TmoxNFeAliquotaImportados {
  using TmoxNFeAliquotaImportados::TmoxNFeAliquotaImportados;
  bool IsentaGasNatural() const override { return false; }
  const char* CampoEmissao() const override { return "dEmi_B09"; }
  bool CondicaoExtra() const override { return F(DS("E"), "indIEDest_E16a") != "9"; }
};

struct TmoxNFeN16_20_NT003_2015 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    const std::string ufEmitente = C("UF_C12");
    if (ufEmitente == C("UF_G09") || C("indIEDest_E16a") == "9" || Um(C("tpOp_J02"), {"2", "3"}) ||
        C("finNFe_B25") == "4" || !Comeca(C("CFOP_I08"), "6") || OrigemImportada(C("orig_N11")))
      return false;
    const long double aliquota = N("pICMSInter_NA09");
    return aliquota > 12 || (aliquota > 7 && NaLista(TListaNFe::UFSudeste, ufEmitente) &&
                             NaLista(TListaNFe::UFNorte, C("UF_E12")));
  }
};

// CST 51: a value of the deferral group against the product of its parts.
struct TmoxNFeDiferimento : TmoxNFeRegraImposto {
  using TmoxNFeRegraImposto::TmoxNFeRegraImposto;
  bool ExpressaoDeValidacao() override { return CST() != "51" || Proximos(Calculado(), N(FieldName()), 1); }
  virtual long double Calculado() const = 0;
};
struct TmoxNFeGN16a final : TmoxNFeDiferimento {
  using TmoxNFeDiferimento::TmoxNFeDiferimento;
  long double Calculado() const override { return N("pICMS_N16") / 100 * N("vBC_N15"); }
};
struct TmoxNFeGN16c final : TmoxNFeDiferimento {
  using TmoxNFeDiferimento::TmoxNFeDiferimento;
  long double Calculado() const override { return N("pDif_N16b") / 100 * N("vICMSOp_N16a"); }
};
struct TmoxNFeGN17_NT005_2013 final : TmoxNFeDiferimento {
  using TmoxNFeDiferimento::TmoxNFeDiferimento;
  long double Calculado() const override { return N("vICMSOp_N16a") - N("vICMSDif_N16c"); }
};

struct TmoxNFeGN17 final : TmoxNFeRegraImposto {
  using TmoxNFeRegraImposto::TmoxNFeRegraImposto;
  bool ExpressaoDeValidacao() override {
    if (!Um(CST(), {"00", "10", "20", "51", "70", "90"}) || C("finNFe_B25") != "1") return true;
    return Proximos(N("vICMS_N17"), N("vBC_N15") * N("pICMS_N16") / 100, 1);
  }
};

struct TmoxNFeGN17_2 final : TmoxNFeRegraImposto {
  using TmoxNFeRegraImposto::TmoxNFeRegraImposto;
  bool ExpressaoDeValidacao() override {
    if (!Um(CST(), {"00", "10", "20", "70", "90"}) || C("finNFe_B25") != "1") return true;
    return Proximos(N("pICMS_N16") / 100 * N("vBC_N15"), N("vICMS_N17"), 1);
  }
};

// Items with ICMS-ST must name their CEST.
struct TmoxNFeN23_10_NT003_2015 final : TmoxNFeRegraAlgumItem {
  using TmoxNFeRegraAlgumItem::TmoxNFeRegraAlgumItem;
  bool Aplica() override { return Desde(kCEST2016) && !PossuiCampoPreenchido("NA"); }
  bool ItemFalha() override {
    return !Preenchido("CEST_I05c") && N("vICMSST_N23") != 0 &&
           (Um(C("CST_N12"), {"10", "30", "60", "70", "90"}) ||
            Um(C("CSOSN_N12a"), {"201", "202", "203", "500", "900"}));
  }
};

// Sales exempt for the Manaus free-trade zone (motDesICMS 7).
struct TmoxNFeIsencaoZFM : TmoxNFeRegraImposto {
  using TmoxNFeRegraImposto::TmoxNFeRegraImposto;
  bool ExpressaoDeValidacao() override { return C("motDesICMS_N28") != "7" || !Falha(); }
  virtual bool Falha() const = 0;
};
struct TmoxNFeGN28 final : TmoxNFeIsencaoZFM {
  using TmoxNFeIsencaoZFM::TmoxNFeIsencaoZFM;
  bool Falha() const override { return !Preenchido("ISUF_E18"); }
};
struct TmoxNFeGN28_NT003_2012 final : TmoxNFeIsencaoZFM {
  using TmoxNFeIsencaoZFM::TmoxNFeIsencaoZFM;
  bool Falha() const override { return !Preenchido("ISUF_E18") && !Comeca(CFOP(), "12"); }
};
struct TmoxNFeGN28_1 final : TmoxNFeIsencaoZFM {
  using TmoxNFeIsencaoZFM::TmoxNFeIsencaoZFM;
  bool Falha() const override { return !Um(CFOP(), {"6109", "6110"}); }
};
struct TmoxNFeGN28_1_NT003_2012 final : TmoxNFeIsencaoZFM {
  using TmoxNFeIsencaoZFM::TmoxNFeIsencaoZFM;
  bool Falha() const override { return !NaLista(TListaNFe::IsencaoZFM2012, CFOP()); }
};
struct TmoxNFeGN28_2_NT005_2013 final : TmoxNFeIsencaoZFM {
  using TmoxNFeIsencaoZFM::TmoxNFeIsencaoZFM;
  bool Falha() const override { return !NaLista(TListaNFe::IsencaoZFM2013, CFOP()); }
};

// The relieved ICMS value must accompany its reason; only the layouts from 3.10 on have the value.
struct TmoxNFeGN28_2 final : TmoxNFeRegraImposto {
  using TmoxNFeRegraImposto::TmoxNFeRegraImposto;
  bool ExpressaoDeValidacao() override {
    return !Leiaute310EmDiante() || !Preenchido("motDesICMS_N28") || Preenchido("vICMSDeson_N27a");
  }
};

struct TmoxNFeNA01_20_NT003_2015 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    if (C("tpNF_B11") == "0" || C("idDest_B11a") != "2" || C("indFinal_B25a") != "1" ||
        C("indIEDest_E16a") != "9" || Preenchido("vBC_U02") || PossuiCampoPreenchido("NA"))
      return false;
    bool informado = false;
    AlgumItem([&] {
      const bool dispensado = !Preenchido("UFST_N24") && Desde(kDifalJulho2016) &&
                              !NaLista(TListaNFe::IsentoUFDestino, C("CFOP_I08")) &&
                              !NaLista(TListaNFe::Gas, F(DS("L1"), "cProdANP_LA02"));
      informado = dispensado && !DevolucaoDeNotasAte2015() ? C("UF_C12") == C("UF_G09") : true;
      return false;
    });
    return !informado;
  }
  bool DevolucaoDeNotasAte2015() const {
    if (DS("NREF").IsEmpty() || F(DS("B"), "finNFe_B25") != "4") return false;
    return !AlgumRegistro("NREF", [](TXmlDataSetNFe& aRef) {
      const std::string chave = F(aRef, "refNFe_BA02");
      return chave.empty() || StrToInt64(CopyChars(DecodeChave(chave, TVersaoManual::vm50a).AAMM, 1, 2)) > 15;
    });
  }
};

struct TmoxNFeNA01_30_NT003_2015 final : TmoxNFeRegraAlgumItem {
  using TmoxNFeRegraAlgumItem::TmoxNFeRegraAlgumItem;
  bool Aplica() override { return Desde(kDifal2016); }
  bool ItemFalha() override {
    if (!PossuiCampoPreenchido("NA")) return false;
    return C("idDest_B11a") != "2" || C("indFinal_B25a") != "1" || C("indIEDest_E16a") != "9" ||
           Preenchido("vBC_U02") || (PossuiCampoPreenchido("L1") && NaLista(TListaNFe::Gas, C("cProdANP_LA02")));
  }
};

struct TmoxNFeNA09_10_NT003_2015 final : TmoxNFeRegraAlgumItem {
  using TmoxNFeRegraAlgumItem::TmoxNFeRegraAlgumItem;
  bool Aplica() override { return Desde(kDifalJulho2016); }
  bool ItemFalha() override {
    return PossuiCampoPreenchido("NA") && Preenchido("pICMSInter_NA09") && N("pICMSInter_NA09") == 4 &&
           !OrigemImportada(C("orig_N11"));
  }
};

// The 7 % and 12 % interstate rates belong to national goods; imported ones take 4 %.
struct TmoxNFeNA09_20_NT003_2015 final : TmoxNFeRegraAlgumItem {
  using TmoxNFeRegraAlgumItem::TmoxNFeRegraAlgumItem;
  bool Aplica() override { return Desde(kDifalJulho2016); }
  bool ItemFalha() override {
    const std::string aliquota = C("pICMSInter_NA09");
    if (aliquota.empty()) return false;
    const long double valor = GetExtend(aliquota);
    return (valor == 7 || valor == 12) && OrigemImportada(C("orig_N11"));
  }
};

struct TmoxNFeNA09_30_NT003_2015 final : TmoxNFeRegraAlgumItem {
  using TmoxNFeRegraAlgumItem::TmoxNFeRegraAlgumItem;
  bool Aplica() override {
    FDevolucaoDeEntrada = C("finNFe_B25") == "4" && C("tpNF_B11") == "0";
    return Desde(kDifalJulho2016);
  }
  bool ItemFalha() override {
    if (FDevolucaoDeEntrada && NaLista(TListaNFe::IsentoUFDestino, C("CFOP_I08"))) return false;
    const std::string texto = C("pICMSInter_NA09");
    if (texto.empty()) return false;
    const long double aliquota = GetExtend(texto);
    if (aliquota == 4 || aliquota == 12) return false;
    if (aliquota == 7)
      return !NaLista(TListaNFe::UFSudeste, C("UF_C12")) && !NaLista(TListaNFe::UFNorte, C("UF_E12"));
    return true;
  }
  bool FDevolucaoDeEntrada = false;
};

struct TmoxNFeNA11_10_NT003_2015 final : TmoxNFeRegraAlgumItem {
  using TmoxNFeRegraAlgumItem::TmoxNFeRegraAlgumItem;
  bool Aplica() override {
    if (!Desde(kDifal2016)) return false;
    const int ano = AnoCivil(C("dhEmi_B09"));
    FExigido = 40 + 20 * (ano - 2016);
    return ano >= 2016 && ano <= 2019;
  }
  bool ItemFalha() override {
    return PossuiCampoPreenchido("NA") && Preenchido("pICMSInterPart_NA11") && N("pICMSInterPart_NA11") != FExigido;
  }
  long double FExigido = 0;
};

struct TmoxNFeNA13_10_NT003_2015 final : TmoxNFeRegraAlgumItem {
  using TmoxNFeRegraAlgumItem::TmoxNFeRegraAlgumItem;
  bool Aplica() override { return Desde(kDifal2016); }
  bool ItemFalha() override {
    const long double calculado = N("vBCUFDest_NA03") * N("pFCPUFDest_NA05") / 100;
    const long double informado = N("vFCPUFDest_NA13");
    return calculado + informado > 0 && !Proximos(calculado, informado, 0.01L);
  }
};

struct TmoxNFeGO09_10 final : TmoxNFeRegraImposto {
  using TmoxNFeRegraImposto::TmoxNFeRegraImposto;
  bool ExpressaoDeValidacao() override {
    const std::string cst = F(DS("O"), "CST_O09");
    const std::string enquadramento = F(DS("O"), "cEnq_O06");
    if (Um(cst, {"02", "52"})) return Comeca(enquadramento, "3");
    if (Um(cst, {"04", "54"})) return Comeca(enquadramento, "0");
    if (Um(cst, {"05", "55"})) return Comeca(enquadramento, "1");
    return true;
  }
};

// An item without any field of a tax group.
struct TmoxNFeSemGrupo : TmoxNFeRegraImposto {
  using TmoxNFeRegraImposto::TmoxNFeRegraImposto;
  bool ExpressaoDeValidacao() override {
    for (const char* campo : Campos())
      if (Preenchido(campo)) return true;
    return false;
  }
  virtual std::span<const char* const> Campos() const = 0;
};
struct TmoxNFeGQ01_2 final : TmoxNFeSemGrupo {
  using TmoxNFeSemGrupo::TmoxNFeSemGrupo;
  std::span<const char* const> Campos() const override {
    // The 4.00 dictionary has no "CST_Q02"; it is last so that the span can leave it out.
    static constexpr const char* kCampos[] = {"CST_Q06", "vBC_Q07", "pPIS_Q08", "vPIS_Q09", "qBCProd_Q10", "vAliqProd_Q11", "CST_Q02"};
    return std::span<const char* const>(kCampos).first(std::size(kCampos) - (Leiaute400() ? 1 : 0));
  }
};
struct TmoxNFeGS01_2 final : TmoxNFeSemGrupo {
  using TmoxNFeSemGrupo::TmoxNFeSemGrupo;
  std::span<const char* const> Campos() const override {
    static constexpr const char* kCampos[] = {"CST_S06", "vBC_S07", "pCOFINS_S08", "qBCProd_S09", "vAliqProd_S10", "vCOFINS_S11"};
    return kCampos;
  }
};

struct TmoxNFeGU01 final : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override { return PossuiCampoPreenchido("U") && !Preenchido("IM_C19"); }
};

// A filled municipality code of the ISSQN group with a wrong check digit.
struct TmoxNFeMunicipioISSQN : TmoxNFeRegraNota {
  using TmoxNFeRegraNota::TmoxNFeRegraNota;
  bool Falha() override {
    const std::string municipio = C(FieldName());
    return !municipio.empty() && !ValidaCodigoMunicipio(municipio) && Aplica();
  }
  virtual bool Aplica() const { return true; }
};
struct TmoxNFeGU05 final : TmoxNFeMunicipioISSQN {
  using TmoxNFeMunicipioISSQN::TmoxNFeMunicipioISSQN;
};
struct TmoxNFeU14_10_NT015_002 final : TmoxNFeMunicipioISSQN {
  using TmoxNFeMunicipioISSQN::TmoxNFeMunicipioISSQN;
};
struct TmoxNFeGU05_10 final : TmoxNFeMunicipioISSQN {
  using TmoxNFeMunicipioISSQN::TmoxNFeMunicipioISSQN;
  bool Aplica() const override { return C("UF_E12") != "EX"; }
};

constexpr TClasseRegra kClasses[] = {
    MOX_CLASSE_REGRA(TmoxNFeGN12),               MOX_CLASSE_REGRA(TmoxNFeN12_70_NT003_2015),
    MOX_CLASSE_REGRA(TmoxNFeN12_80_NT003_2015),  MOX_CLASSE_REGRA(TmoxNFeN12a_70_NT003_2015),
    MOX_CLASSE_REGRA(TmoxNFeGN16_04),            MOX_CLASSE_REGRA(TmoxNFeN16_20_NT003_2015),
    MOX_CLASSE_REGRA(TmoxNFeGN16_NT005_2012),    MOX_CLASSE_REGRA(TmoxNFeGN16_NT006_2013),
    MOX_CLASSE_REGRA(TmoxNFeGN16a),              MOX_CLASSE_REGRA(TmoxNFeGN16c),
    MOX_CLASSE_REGRA(TmoxNFeGN17),               MOX_CLASSE_REGRA(TmoxNFeGN17_2),
    MOX_CLASSE_REGRA(TmoxNFeGN17_NT005_2013),    MOX_CLASSE_REGRA(TmoxNFeN23_10_NT003_2015),
    MOX_CLASSE_REGRA(TmoxNFeGN28),               MOX_CLASSE_REGRA(TmoxNFeGN28_1),
    MOX_CLASSE_REGRA(TmoxNFeGN28_1_NT003_2012),  MOX_CLASSE_REGRA(TmoxNFeGN28_2),
    MOX_CLASSE_REGRA(TmoxNFeGN28_2_NT005_2013),  MOX_CLASSE_REGRA(TmoxNFeGN28_NT003_2012),
    MOX_CLASSE_REGRA(TmoxNFeNA01_20_NT003_2015), MOX_CLASSE_REGRA(TmoxNFeNA01_30_NT003_2015),
    MOX_CLASSE_REGRA(TmoxNFeNA09_10_NT003_2015), MOX_CLASSE_REGRA(TmoxNFeNA09_20_NT003_2015),
    MOX_CLASSE_REGRA(TmoxNFeNA09_30_NT003_2015), MOX_CLASSE_REGRA(TmoxNFeNA11_10_NT003_2015),
    MOX_CLASSE_REGRA(TmoxNFeNA13_10_NT003_2015), MOX_CLASSE_REGRA(TmoxNFeGO09_10),
    MOX_CLASSE_REGRA(TmoxNFeGQ01_2),             MOX_CLASSE_REGRA(TmoxNFeGS01_2),
    MOX_CLASSE_REGRA(TmoxNFeGU01),               MOX_CLASSE_REGRA(TmoxNFeGU05),
    MOX_CLASSE_REGRA(TmoxNFeGU05_10),            MOX_CLASSE_REGRA(TmoxNFeU14_10_NT015_002),
};

}  // namespace

std::span<const TClasseRegra> ClassesRegrasImpostos() { return kClasses; }

}  // namespace mox
