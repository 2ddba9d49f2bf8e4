#include "datasets/TmoxDS_pl006.h"

namespace mox {

// --- pl_006e ------------------------------------------------------------------------------------

void TmoxDS_pl006e::CreateListDataSets() {
  TmoxDS_pl005d::CreateListDataSets();
  AddParts(fPartsNFe, {"CANA"});
}

std::string TmoxDS_pl006e::ConvPartB() {
  return ConverteIdentificacao({"cUF_B02", "cNF_B03", "natOp_B04", "indPag_B05", "mod_B06", "serie_B07", "nNF_B08",
                                "dEmi_B09", "dSaiEnt_B10", "hSaiEnt_B10a", "tpNF_B11", "cMunFG_B12"},
                               {"tpImp_B21", "tpEmis_B22", "cDV_B23", "tpAmb_B24", "finNFe_B25", "procEmi_B26",
                                "verProc_B27", "dhCont_B28", "xJust_B29"},
                               false);
}

std::string TmoxDS_pl006e::ConvPartRef() {
  static const TCamposReferencia kCampos{
      "refNFe_B13",
      {"cUF_B15", "AAMM_B16", "CNPJ_B17", "mod_B18", "serie_B19", "nNF_B20"},
      {"cUF_B20b", "AAMM_B20c", "CNPJ_B20d", "CPF_B20e", "IE_B20f", "mod_B20g", "serie_B20h", "nNF_B20ha"},
      "refCTe_B20i",
      {"mod_B20k", "nECF_B20l", "nCOO_B20m"}};
  return ConverteReferencias(kCampos);
}

std::string TmoxDS_pl006e::ConvPartC() {
  // Written even without values: the issuer is mandatory.
  return "<emit>" + ConvertFieldsParaXML(*C(), {"CNPJ_C02", "CPF_C02a", "xNome_C03", "xFant_C04"}) + "<enderEmit>" +
         ConvertFieldsParaXML(*C(), {"xLgr_C06", "nro_C07", "xCpl_C08", "xBairro_C09", "cMun_C10", "xMun_C11", "UF_C12",
                                     "CEP_C13", "cPais_C14", "xPais_C15", "fone_C16"}) +
         "</enderEmit>" + ConvertFieldsParaXML(*C(), {"IE_C17", "IEST_C18", "IM_C19", "CNAE_C20", "CRT_C21"}) +
         "</emit>";
}

std::string TmoxDS_pl006e::ConvPartE() {
  return ConverteDestinatario({"CNPJ_E02", "CPF_E03", "xNome_E04"}, {"IE_E17", "ISUF_E18", "email_E19"});
}

std::string TmoxDS_pl006e::ConvPartItens() {
  // From 2.00 on the service tax stands in the place of the goods taxes, before PIS.
  return ConverteItens([this](std::string& aXml) {
    Acrescenta(aXml, {ConvPartN(), ConvPartO(), ConvPartP(), ConvPartU(), ConvPartQ(), ConvPartR(), ConvPartS(),
                      ConvPartT()});
  });
}

std::string TmoxDS_pl006e::ProdutoLeiaute200(bool aComFCI) {
  std::string xml =
      "<prod>" +
      ConvertFieldsParaXML(*I(), {"cProd_I02", "cEAN_I03", "xProd_I04", "NCM_I05", "EXTIPI_I06", "CFOP_I08", "uCom_I09",
                                  "qCom_I10", "vUnCom_I10a", "vProd_I11", "cEANTrib_I12", "uTrib_I13", "qTrib_I14",
                                  "vUnTrib_I14a", "vFrete_I15", "vSeg_I16", "vDesc_I17", "vOutro_I17a", "indTot_I17b"});
  xml += ConvDI();
  xml += aComFCI ? ConvertFieldsParaXML(*I(), {"xPed_I30", "nItemPed_I31", "nFCI_I70"})
                 : ConvertFieldsParaXML(*I(), {"xPed_I30", "nItemPed_I31"});
  return xml + ConvPartJ() + ConvPartK() + ConvPartL() + ConvPartL1() + "</prod>";
}

std::string TmoxDS_pl006e::ConvPartI() { return ProdutoLeiaute200(false); }

std::string TmoxDS_pl006e::ConvPartL1() {
  static const TCamposXml kCampos{"cProdANP_L102", "CODIF_L103", "qTemp_L104", "UFCons_L120"};
  static const TCamposXml kCIDE{"qBCProd_L106", "vAliqProd_L107", "vCIDE_L108"};
  return ConverteCombustivel(kCampos, kCIDE, {});
}

std::string TmoxDS_pl006e::ConvPartN() { return ConverteICMS(*this, *N(), ICMS_pl006e()); }

std::string TmoxDS_pl006e::ConvPartO() { return ConverteIPI(*this, *O(), IPI_pl006e()); }

std::string TmoxDS_pl006e::ConvPartX() { return ConverteTransporte(true); }

std::string TmoxDS_pl006e::ConvPartZ() { return TmoxDS_pl005d::ConvPartZ() + ConvPartZCCana(); }

std::string TmoxDS_pl006e::ConvPartZCCana() {
  TXmlDataSetNFe& cana = FindDataSet("CANA");
  TXmlDataSetNFe& dia = FindDataSet("FORDIA");
  std::string xml = ConvertFieldsParaXML(cana, {"safra_ZC02", "ref_ZC03"});
  dia.SetTagXML("forDia");
  // The day is an attribute of the daily supply.
  xml += CadaRegistro(dia, [&] {
    const std::string quantidade = ConvertFieldParaXML(dia, "qtde_ZC06");
    return quantidade.empty() ? std::string()
                              : "<forDia " + ConvertFieldParaXML(dia, "dia_ZC05") + ">" + quantidade + "</forDia>";
  });
  xml += ConvertFieldsParaXML(cana, {"qTotMes_ZC07", "qTotAnt_ZC08", "qTotGer_ZC09"});
  xml += Registros(FindDataSet("DEDUC"), "deduc");
  xml += ConvertFieldsParaXML(cana, {"vFor_ZC13", "vTotDed_ZC14", "vLiqFor_ZC15"});
  return EnvolverSePreenchido("cana", xml);
}

// --- pl_006g: the PIS and COFINS situations of the non-cumulative regime ----------------------

std::string TmoxDS_pl006g::ConvPartQ() { return ConvertePIS(*this, *Q(), TabelaPIS_pl006g); }

std::string TmoxDS_pl006g::ConvPartS() { return ConverteCOFINS(*this, *S(), TabelaPIS_pl006g); }

// --- pl_006r: the approximate tax total ---------------------------------------------------------

std::string TmoxDS_pl006r::ConvPartM() { return ConvertFieldParaXML(*M(), "vTotTrib_M02"); }

std::string TmoxDS_pl006r::ConvPartItens() {
  return ConverteItens([this](std::string& aXml) {
    Acrescenta(aXml, {ConvPartM(), ConvPartN(), ConvPartO(), ConvPartP(), ConvPartU(), ConvPartQ(), ConvPartR(),
                      ConvPartS(), ConvPartT()});
  });
}

std::string TmoxDS_pl006r::ConvPartW() {
  return ConverteTotais(
      "<ICMSTot>@w(vBC_W03)@w(vICMS_W04)@w(vBCST_W05)@w(vST_W06)@w(vProd_W07)@w(vFrete_W08)@w(vSeg_W09)"
      "@w(vDesc_W10)@w(vII_W11)@w(vIPI_W12)@w(vPIS_W13)@w(vCOFINS_W14)@w(vOutro_W15)@w(vNF_W16)@w(vTotTrib_W16a)"
      "</ICMSTot>",
      {"vServ_W18", "vBC_W19", "vISS_W20", "vPIS_W21", "vCOFINS_W22"});
}

// --- pl_006s: the import-content number ---------------------------------------------------------

std::string TmoxDS_pl006s::ConvPartI() { return ProdutoLeiaute200(true); }

}  // namespace mox
