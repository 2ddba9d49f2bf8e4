#include "datasets/moxImpostos400.h"

#include "datasets/TmoxXMLDataSetNFe.h"

namespace mox {

namespace {

#define MOX_FCP "vBCFCP_N17a", "pFCP_N17b", "vFCP_N17c"
#define MOX_FCP_ST "vBCFCPST_N23a", "pFCPST_N23b", "vFCPST_N23d"
#define MOX_ST_400 "modBCST_N18", "pMVAST_N19", "pRedBCST_N20", "vBCST_N21", "pICMSST_N22", "vICMSST_N23", MOX_FCP_ST
#define MOX_DESONERADO_400 "vICMSDeson_N27a", "motDesICMS_N28", "indDeduzDeson_N28b"
#define MOX_ST_DESONERADO "vICMSSTDeson_N33a", "motDesICMSST_N33b"
#define MOX_EFETIVO "pRedBCEfet_N34", "vBCEfet_N35", "pICMSEfet_N36", "vICMSEfet_N37"
#define MOX_ST_RETIDO                                                                                    \
  "vBCSTRet_N26", "pST_N26a", "vICMSSubstituto_N26b", "vICMSSTRet_N27", "vBCFCPSTRet_N27b", "pFCPSTRet_N27c", \
      "vFCPSTRet_N27d"
#define MOX_DIFERIDO                                                                                              \
  "vICMSOp_N16a", "pDif_N16b", "vICMSDif_N16c", "vICMS_N17", MOX_FCP, "pFCPDif_N17d", "vFCPDif_N17e", "vFCPEfet_N17f"

const TGrupoICMS kICMSST400{{"41"},
                            "ICMSST",
                            {"orig_N11", "CST_N12", MOX_ST_RETIDO, "vBCSTDest_N31", "vICMSSTDest_N32", MOX_EFETIVO}};

const TGrupoICMS kICMSPart400{{"10", "90"},
                              "ICMSPart",
                              {"orig_N11", "CST_N12", "modBC_N13", "vBC_N15", "pRedBC_N14", "pICMS_N16", "vICMS_N17",
                               MOX_ST_400, "pBCOp_N25", "UFST_N24", MOX_DESONERADO_400}};

const std::vector<TGrupoICMS> kSimplesNacional400{
    {{"101"}, "ICMSSN101", {"orig_N11", "CSOSN_N12a", "pCredSN_N29", "vCredICMSSN_N30"}},
    {{"102", "103", "300", "400"}, "ICMSSN102", {"orig_N11", "CSOSN_N12a"}},
    {{"201"}, "ICMSSN201", {"orig_N11", "CSOSN_N12a", MOX_ST_400, "pCredSN_N29", "vCredICMSSN_N30"}},
    {{"202", "203"}, "ICMSSN202", {"orig_N11", "CSOSN_N12a", MOX_ST_400}},
    {{"500"}, "ICMSSN500", {"orig_N11", "CSOSN_N12a", MOX_ST_RETIDO, MOX_EFETIVO}},
    {{"900"},
     "ICMSSN900",
     {"orig_N11", "CSOSN_N12a", "modBC_N13", "vBC_N15", "pRedBC_N14", "pICMS_N16", "vICMS_N17", MOX_ST_400,
      "pCredSN_N29", "vCredICMSSN_N30"}},
};

// Differences, returned tax and reduced rates of the IBS of the state, of the city, and of the CBS.
TNoGrupo Aliquota(std::string_view aGrupo, std::string_view aAliquota, std::string_view aDif, std::string_view aVDif,
                  std::string_view aDevTrib, std::string_view aRedAliq, std::string_view aAliqEfet,
                  std::string_view aValor) {
  return {aGrupo,
          {{aAliquota, {}},
           {"gDif", {{aDif, {}}, {aVDif, {}}}},
           {"gDevTrib", {{aDevTrib, {}}}},
           {"gRed", {{aRedAliq, {}}, {aAliqEfet, {}}}},
           {aValor, {}}}};
}

std::vector<TNoGrupo> Campos(std::initializer_list<std::string_view> aNomes) {
  std::vector<TNoGrupo> nos;
  for (std::string_view nome : aNomes) nos.push_back({nome, {}});
  return nos;
}

}  // namespace

const TLeiauteICMS& ICMS_pl009() {
  static const TLeiauteICMS leiaute{
      {{{"00"}, "ICMS00", {"orig_N11", "CST_N12", "modBC_N13", "vBC_N15", "pICMS_N16", "vICMS_N17", "pFCP_N17b", "vFCP_N17c"}},
       {{"02"}, "ICMS02", {"orig_N11", "CST_N12", "qBCMono_N38", "adRemICMS_N39", "vICMSMono_N40"}},
       {{"10"},
        "ICMS10",
        {"orig_N11", "CST_N12", "modBC_N13", "vBC_N15", "pICMS_N16", "vICMS_N17", MOX_FCP, MOX_ST_400,
         MOX_ST_DESONERADO}},
       {{"15"},
        "ICMS15",
        {"orig_N11", "CST_N12", "qBCMono_N38", "adRemICMS_N39", "vICMSMono_N40", "qBCMonoReten_N41",
         "adRemICMSReten_N42", "vICMSMonoReten_N43", "pRedAdRem_N44", "motRedAdRem_N45"}},
       {{"20"},
        "ICMS20",
        {"orig_N11", "CST_N12", "modBC_N13", "pRedBC_N14", "vBC_N15", "pICMS_N16", "vICMS_N17", MOX_FCP,
         MOX_DESONERADO_400}},
       {{"30"}, "ICMS30", {"orig_N11", "CST_N12", MOX_ST_400, MOX_DESONERADO_400}},
       {{"40", "41", "50"}, "ICMS40", {"orig_N11", "CST_N12", MOX_DESONERADO_400}},
       {{"51"},
        "ICMS51",
        {"orig_N11", "CST_N12", "modBC_N13", "pRedBC_N14", "cBenefRBC_N14a", "vBC_N15", "pICMS_N16", MOX_DIFERIDO}},
       {{"53"},
        "ICMS53",
        {"orig_N11", "CST_N12", "qBCMono_N38", "adRemICMS_N39", "vICMSMonoOp_N46", "pDif_N16b", "vICMSMonoDif_N47",
         "vICMSMono_N40", "qBCMonoDif_N48", "adRemICMSDif_N49"}},
       {{"60"}, "ICMS60", {"orig_N11", "CST_N12", MOX_ST_RETIDO, MOX_EFETIVO}},
       {{"61"}, "ICMS61", {"orig_N11", "CST_N12", "qBCMonoRet_N50", "adRemICMSRet_N51", "vICMSMonoRet_N52"}},
       {{"70"},
        "ICMS70",
        {"orig_N11", "CST_N12", "modBC_N13", "pRedBC_N14", "vBC_N15", "pICMS_N16", "vICMS_N17", MOX_FCP, MOX_ST_400,
         MOX_DESONERADO_400, MOX_ST_DESONERADO}},
       {{"90"},
        "ICMS90",
        {"orig_N11", "CST_N12", "modBC_N13", "vBC_N15", "pRedBC_N14", "cBenefRBC_N14a", "pICMS_N16", MOX_DIFERIDO,
         MOX_ST_400, MOX_DESONERADO_400, MOX_ST_DESONERADO}}},
      true,
      &kICMSST400,
      &kICMSPart400,
      &kSimplesNacional400};
  return leiaute;
}

const TNoGrupo& GrupoIBSCBS() {
  static const TNoGrupo grupo{
      "IBSCBS",
      {{"CST_UB13", {}},
       {"cClassTrib_UB14", {}},
       {"indDoacao_UB15", {}},
       {"gIBSCBS",
        {{"vBC_UB17", {}},
         Aliquota("gIBSUF", "pIBSUF_UB19", "pDif_UB21", "vDif_UB22", "vDevTrib_UB24", "pRedAliq_UB26",
                  "pAliqEfet_UB27", "vIBSUF_UB28"),
         Aliquota("gIBSMun", "pIBSMun_UB30", "pDif_UB32", "vDif_UB33", "vDevTrib_UB35", "pRedAliq_UB37",
                  "pAliqEfet_UB38", "vIBSMun_UB39"),
         {"vIBS_UB40", {}},
         Aliquota("gCBS", "pCBS_UB42", "pDif_UB44", "vDif_UB45", "vDevTrib_UB47", "pRedAliq_UB49", "pAliqEfet_UB50",
                  "vCBS_UB51"),
         {"gTribRegular",
          Campos({"CSTReg_UB69", "cClassTribReg_UB70", "pAliqEfetRegIBSUF_UB71", "vTribRegIBSUF_UB72",
                  "pAliqEfetRegIBSMun_UB73", "vTribRegIBSMun_UB74", "pAliqEfetRegCBS_UB75", "vTribRegCBS_UB76"})},
         {"gTribCompraGov",
          Campos({"pAliqIBSUF_UB82b", "vTribIBSUF_UB82c", "pAliqIBSMun_UB82d", "vTribIBSMun_UB82e",
                  "pAliqCBS_UB82f", "vTribCBS_UB82g"})}}},
       {"gIBSCBSMono",
        {{"gMonoPadrao", Campos({"qBCMono_UB86", "adRemIBS_UB87", "adRemCBS_UB88", "vIBSMono_UB89", "vCBSMono_UB90"})},
         {"gMonoReten", Campos({"qBCMonoReten_UB92", "adRemIBSReten_UB93", "vIBSMonoReten_UB94",
                                "adRemCBSReten_UB95", "vCBSMonoReten_UB96"})},
         {"gMonoRet",
          Campos({"qBCMonoRet_UB98", "adRemIBSRet_UB99", "vIBSMonoRet_UB100", "adRemCBSRet_UB101", "vCBSMonoRet_UB102"})},
         {"gMonoDif", Campos({"pDifIBS_UB104", "vIBSMonoDif_UB105", "pDifCBS_UB106", "vCBSMonoDif_UB107"})},
         {"vTotIBSMonoItem_UB108", {}},
         {"vTotCBSMonoItem_UB109", {}}}},
       {"gTransfCred", Campos({"vIBS_UB111", "vCBS_UB112"})},
       {"gAjusteCompet", Campos({"competApur_UB113", "vIBS_UB114", "vCBS_UB115"})},
       {"gEstornoCred", Campos({"vIBSEstCred_UB117", "vCBSEstCred_UB118"})},
       {"gCredPresOper",
        {{"vBCCredPres_UB121", {}},
         {"cCredPres_UB122", {}},
         {"gIBSCredPres", Campos({"pCredPres_UB124", "vCredPres_UB125", "vCredPresCondSus_UB126"})},
         {"gCBSCredPres", Campos({"pCredPres_UB128", "vCredPres_UB129", "vCredPresCondSus_UB130"})}}},
       {"gCredPresIBSZFM", Campos({"competApur_UB132", "tpCredPresIBSZFM_UB133", "vCredPresIBSZFM_UB134"})}}};
  return grupo;
}

const TNoGrupo& GrupoIBSCBSTot() {
  static const TNoGrupo grupo{
      "IBSCBSTot",
      {{"vBCIBSCBS_W35", {}},
       {"gIBS",
        {{"gIBSUF", Campos({"vDif_W38", "vDevTrib_W39", "vIBSUF_W40"})},
         {"gIBSMun", Campos({"vDif_W42", "vDevTrib_W43", "vIBSMun_W44"})},
         {"vIBS_W45", {}},
         {"vCredPres_W46", {}},
         {"vCredPresCondSus_W47", {}}}},
       {"gCBS", Campos({"vDif_W49", "vDevTrib_W50", "vCBS_W51", "vCredPres_W52", "vCredPresCondSus_W53"})},
       {"gMono", Campos({"vIBSMono_W55", "vCBSMono_W56", "vIBSMonoReten_W57", "vCBSMonoReten_W58", "vIBSMonoRet_W59",
                         "vCBSMonoRet_W60"})},
       {"gEstornoCred", Campos({"vIBSEstCred_W62", "vCBSEstCred_W63"})}}};
  return grupo;
}

std::string ConverteGrupo(const TmoxXMLDataSetNFe& aConversor, const TXmlDataSetNFe& aDs, const TNoGrupo& aGrupo) {
  if (aGrupo.filhos.empty()) return aConversor.ConvertFieldParaXML(aDs, aGrupo.nome);
  std::string xml;
  for (const TNoGrupo& filho : aGrupo.filhos) xml += ConverteGrupo(aConversor, aDs, filho);
  return EnvolverSePreenchido(aGrupo.nome, xml);
}

}  // namespace mox
