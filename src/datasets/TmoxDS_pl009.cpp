#include "datasets/TmoxDS_pl009.h"

#include "base/EmoxException.h"
#include "datasets/moxImpostos400.h"

namespace mox {

namespace {

#define MOX_ICMSTOT_400                                                                                            \
  "vBC_W03", "vICMS_W04", "vICMSDeson_W04a", "vFCPUFDest_W04c", "vICMSUFDest_W04e", "vICMSUFRemet_W04g",          \
      "vFCP_W04h", "vBCST_W05", "vST_W06", "vFCPST_W06a", "vFCPSTRet_W06b", "qBCMono_W06c", "vICMSMono_W06d",     \
      "qBCMonoReten_W06e", "vICMSMonoReten_W06f", "qBCMonoRet_W06g", "vICMSMonoRet_W06h", "vProd_W07",            \
      "vFrete_W08", "vSeg_W09", "vDesc_W10", "vII_W11", "vIPI_W12", "vIPIDevol_W12a", "vPIS_W13", "vCOFINS_W14", \
      "vOutro_W15", "vNF_W16", "vTotTrib_W16a"

#define MOX_ISSQNTOT_400                                                                                         \
  "vServ_W18", "vBC_W19", "vISS_W20", "vPIS_W21", "vCOFINS_W22", "dCompet_W22a", "vDeducao_W22b", "vOutro_W22c", \
      "vDescIncond_W22d", "vDescCond_W22e", "vISSRet_W22f", "cRegTrib_W22g"

const TLeiauteIPI& IPI_pl009() {
  // The legal framework class (clEnq) left the IPI group in 4.00.
  static const TLeiauteIPI leiaute{{"CNPJProd_O03", "cSelo_O04", "qSelo_O05", "cEnq_O06"},
                                   {"CST_O09", "vBC_O10", "pIPI_O13", "qUnid_O11", "vUnid_O12", "vIPI_O14"}};
  return leiaute;
}

}  // namespace

// --- pl_009 -------------------------------------------------------------------------------------

void TmoxDS_pl009::AddDataSetsListaNFE() {
  TmoxDS_pl008i1::AddDataSetsListaNFE();
  AddParts(fPartsNFe, {"YB", "ZD", "ZE", "ZF"});
}

void TmoxDS_pl009::AddDataSetsListaItemNFe() {
  TmoxDS_pl008i1::AddDataSetsListaItemNFe();
  AddParts(fPartsNFeItem, {"IS", "IBSCBS"});
}

std::string TmoxDS_pl009::Identificacao400(bool aReforma) {
  std::vector<std::string_view> antes{"cUF_B02", "cNF_B03", "natOp_B04", "mod_B06",  "serie_B07",   "nNF_B08",
                                      "dhEmi_B09", "dhSaiEnt_B10", "tpNF_B11", "idDest_B11a", "cMunFG_B12"};
  std::vector<std::string_view> depois{"tpImp_B21",     "tpEmis_B22",    "cDV_B23",           "tpAmb_B24",
                                       "finNFe_B25",    "indFinal_B25a", "indPres_B25b",      "indIntermed_B25c",
                                       "procEmi_B26",   "verProc_B27",   "dhCont_B28",        "xJust_B29"};
  if (aReforma) {
    antes.insert(antes.begin() + 8, "dPrevEntrega_B10a");
    antes.push_back("cMunFGIBS_B12a");
    depois.insert(depois.begin() + 5, {"tpNFDebito_B25d", "tpNFCredito_B25e"});
  }
  if (B()->IsEmpty())
    throw EmoxNFeDataSetException("Parte B - Identificaçãcão da Nota Fiscal eletrônica não foi preenchida.",
                                  DiretorioLogErro());
  std::string xml = "<ide>" + ConvertFieldsParaXML(*B(), antes) + ConvertFieldsParaXML(*B(), depois) + ConvPartRef();
  if (aReforma) {
    xml += EnvolverSePreenchido("gCompraGov",
                                ConvertFieldsParaXML(*B(), {"tpEnteGov_B32", "pRedutor_B33", "tpOperGov_B34"}));
    TXmlDataSetNFe& antecipado = FindDataSet("BB");
    xml += EnvolverSePreenchido("gPagAntecipado", CadaRegistro(antecipado, [&] {
                                  return ConvertFieldParaXML(antecipado, "refNFe_BB02");
                                }));
  }
  return xml + "</ide>";
}

std::string TmoxDS_pl009::ConvPartB() { return Identificacao400(false); }

std::string TmoxDS_pl009::ConvPartRef() {
  // 4.00 keeps the 3.10 references and adds the note signed by its recipient.
  static const TCamposReferencia kCampos = [] {
    TCamposReferencia campos = CamposReferencia310();
    campos.refNFeSig = "refNFeSig_BA02a";
    return campos;
  }();
  return ConverteReferencias(kCampos);
}

std::string TmoxDS_pl009::RegistrosComCampos(std::string_view aDataSet, std::string_view aTag,
                                             std::initializer_list<std::string_view> aCampos) {
  TXmlDataSetNFe& ds = FindDataSet(aDataSet);
  return CadaRegistro(ds, [&] { return EnvolverSePreenchido(aTag, ConvertFieldsParaXML(ds, aCampos)); });
}

std::string TmoxDS_pl009::Produto400(bool aReforma) {
  std::string xml = "<prod>" + ConvertFieldsParaXML(*I(), {"cProd_I02", "cEAN_I03", "cBarra_I03a", "xProd_I04",
                                                             "NCM_I05"});
  xml += ConvPartNVE();
  xml += ConvertFieldsParaXML(*I(), {"CEST_I05c", "indEscala_I05d", "CNPJFab_I05e", "cBenef_I05f"});
  xml += RegistrosComCampos("GCRED", "gCred", {"cCredPresumido_I05h", "pCredPresumido_I05i", "vCredPresumido_I05j"});
  if (aReforma) xml += ConvertFieldParaXML(*I(), "tpCredPresIBSZFM_I05k");
  xml += ConvertFieldsParaXML(*I(), {"EXTIPI_I06", "CFOP_I08", "uCom_I09", "qCom_I10", "vUnCom_I10a", "vProd_I11",
                                     "cEANTrib_I12", "cBarraTrib_I12a", "uTrib_I13", "qTrib_I14", "vUnTrib_I14a",
                                     "vFrete_I15", "vSeg_I16", "vDesc_I17", "vOutro_I17a", "indTot_I17b"});
  if (aReforma) xml += ConvertFieldParaXML(*I(), "indBemMovelUsado_I17c");
  xml += ConvDI();
  xml += ConvDetExport();
  xml += ConvertFieldsParaXML(*I(), {"xPed_I60", "nItemPed_I61", "nFCI_I70"});
  xml += RegistrosComCampos("RASTRO", "rastro", {"nLote_I81", "qLote_I82", "dFab_I83", "dVal_I84", "cAgreg_I85"});
  xml += EnvolverSePreenchido("infProdNFF", ConvertFieldsParaXML(*I(), {"cProdFisco_I87", "cOperNFF_I88"}));
  xml += EnvolverSePreenchido("infProdEmb", ConvertFieldsParaXML(*I(), {"xEmb_I90", "qVolEmb_I91", "uEmb_I92"}));
  return xml + ConvPartJ() + ConvPartK() + ConvPartL() + ConvPartL1() + ConvPartL2() + "</prod>";
}

std::string TmoxDS_pl009::ConvPartI() { return Produto400(false); }

std::string TmoxDS_pl009::ConvPartL1() {
  static const TParteXml kParteL1{"L1"};
  TXmlDataSetNFe& combustivel = FindDataSet(kParteL1);
  std::string xml = ConvertFieldsParaXML(combustivel, {"cProdANP_LA02", "descANP_LA03", "pGLP_LA03a", "pGNn_LA03b",
                                                       "pGNi_LA03c", "vPart_LA03d", "CODIF_LA04", "qTemp_LA05",
                                                       "UFCons_LA06"});
  xml += EnvolverSePreenchido("CIDE", ConvertFieldsParaXML(combustivel, {"qBCProd_LA08", "vAliqProd_LA09",
                                                                          "vCIDE_LA10"}));
  xml += EnvolverSePreenchido("encerrante", ConvertFieldsParaXML(combustivel, {"nBico_LA12", "nBomba_LA13",
                                                                                "nTanque_LA14", "vEncIni_LA15",
                                                                                "vEncFin_LA16"}));
  xml += ConvertFieldParaXML(combustivel, "pBio_LA17");
  xml += RegistrosComCampos("ORIGCOMB", "origComb", {"indImport_LA19", "cUFOrig_LA20", "pOrig_LA21"});
  return EnvolverSePreenchido("comb", xml);
}

std::string TmoxDS_pl009::ConvPartN() { return ConverteICMS(*this, *N(), ICMS_pl009()); }

std::string TmoxDS_pl009::ConvPartO() { return ConverteIPI(*this, *O(), IPI_pl009()); }

std::string TmoxDS_pl009::convPartNA() {
  static const TCamposXml kPartilha{"vBCUFDest_NA03",   "vBCFCPUFDest_NA04",   "pFCPUFDest_NA05",
                                    "pICMSUFDest_NA07", "pICMSInter_NA09",     "pICMSInterPart_NA11",
                                    "vFCPUFDest_NA13",  "vICMSUFDest_NA15",    "vICMSUFRemet_NA17"};
  static const TParteXml kParteNA{"NA"};
  TXmlDataSetNFe& partilha = FindDataSet(kParteNA);
  if (GrupoSemSaida(partilha, {&kPartilha})) return {};
  return EnvolverSePreenchido("ICMSUFDest", ConvertFieldsParaXML(partilha, kPartilha));
}

std::string TmoxDS_pl009::InformacoesDoItem400(const std::string& aDepois) {
  TXmlDataSetNFe& v = *V();
  // The observation's name is an attribute of its element, like the note's observations.
  auto observacao = [&](std::string_view aTag, std::string_view aCampo, std::string_view aTexto) {
    const std::string texto = ConvertFieldParaXML(v, aTexto);
    std::string xml;
    if (texto.empty()) return xml;
    xml.append("<").append(aTag).append(" ").append(ConvertFieldParaXML(v, aCampo)).append(">");
    return xml.append(texto).append("</").append(aTag).append(">");
  };
  return ConvertFieldParaXML(v, "infAdProd_V01") +
         EnvolverSePreenchido("obsItem", observacao("obsCont", "xCampo_VA03", "xTexto_VA04") +
                                             observacao("obsFisco", "xCampo_VA06", "xTexto_VA07")) +
         aDepois;
}

std::string TmoxDS_pl009::ConvPartV() { return InformacoesDoItem400({}); }

std::string TmoxDS_pl009::Totais400(const std::string& aDepois) {
  TXmlDataSetNFe& w = *W();
  std::string xml = Envolver("ICMSTot", ConvertFieldsParaXML(w, {MOX_ICMSTOT_400}));
  xml += EnvolverSePreenchido("ISSQNtot", ConvertFieldsParaXML(w, {MOX_ISSQNTOT_400}));
  xml += EnvolverSePreenchido("retTrib", ConvertFieldsParaXML(w, {"vRetPIS_W24", "vRetCOFINS_W25", "vRetCSLL_W26",
                                                                   "vBCIRRF_W27", "vIRRF_W28", "vBCRetPrev_W29",
                                                                   "vRetPrev_W30"}));
  return Envolver("total", xml + aDepois);
}

std::string TmoxDS_pl009::ConvPartW() { return Totais400({}); }

std::string TmoxDS_pl009::ConvPartY() { return TmoxDS_pl006s::ConvPartY() + ConvPartYA() + ConvPartYB(); }

std::string TmoxDS_pl009::ConvPartYA() {
  TXmlDataSetNFe& pagamento = FindDataSet("YA");
  const std::string detalhes = CadaRegistro(pagamento, [&] {
    return EnvolverSePreenchido(
        "detPag", ConvertFieldsParaXML(pagamento, {"indPag_YA01b", "tPag_YA02", "xPag_YA02a", "vPag_YA03",
                                                   "dPag_YA03a", "CNPJPag_YA03b", "UFPag_YA03c"}) +
                      EnvolverSePreenchido("card", ConvertFieldsParaXML(pagamento, {"tpIntegra_YA04a", "CNPJ_YA05",
                                                                                    "tBand_YA06", "cAut_YA07",
                                                                                    "CNPJReceb_YA07a",
                                                                                    "idTermPag_YA07b"})));
  });
  // The change belongs to the payment group, not to any one payment.
  return EnvolverSePreenchido("pag", detalhes + ConvertFieldParaXML(*Y(), "vTroco_YA09"));
}

std::string TmoxDS_pl009::ConvPartYB() {
  return EnvolverSePreenchido("infIntermed",
                              ConvertFieldsParaXML(FindDataSet("YB"), {"CNPJ_YB02", "idCadIntTran_YB03"}));
}

std::string TmoxDS_pl009::ConvPartZD() {
  return EnvolverSePreenchido("infRespTec",
                              ConvertFieldsParaXML(FindDataSet("ZD"), {"CNPJ_ZD02", "xContato_ZD03", "email_ZD04",
                                                                       "fone_ZD05", "idCSRT_ZD06", "hashCSRT_ZD07"}));
}

std::string TmoxDS_pl009::ConvPartZ() {
  return TmoxDS_pl008i1::ConvPartZ() + ConvPartZD() +
         EnvolverSePreenchido("infSolicNFF", ConvertFieldParaXML(FindDataSet("ZE"), "xSolic_ZE02"));
}

// --- pl_010 -------------------------------------------------------------------------------------

std::string TmoxDS_pl010::ConvPartB() { return Identificacao400(true); }

std::string TmoxDS_pl010::ConvPartI() { return Produto400(true); }

std::string TmoxDS_pl010::ConvPartItens() {
  return ConverteItens(
      [this](std::string& aXml) {
        Acrescenta(aXml, {ConvPartM(), ConvPartN(), ConvPartO(), ConvPartP(), ConvPartU(), ConvPartQ(), ConvPartR(),
                          ConvPartS(), ConvPartT(), convPartNA(), ConvPartIS(), ConvPartIBSCBS()});
      },
      [this](std::string& aXml) { aXml += ConvPartUB(); });
}

std::string TmoxDS_pl010::ConvPartIS() {
  static const TParteXml kParteIS{"IS"};
  return EnvolverSePreenchido(
      "IS", ConvertFieldsParaXML(FindDataSet(kParteIS), {"CSTIS_UB02", "cClassTribIS_UB03", "vBCIS_UB04", "pIS_UB05",
                                                         "pISEspec_UB06", "uTrib_UB07", "qTrib_UB08", "vIS_UB09"}));
}

std::string TmoxDS_pl010::ConvPartIBSCBS() {
  static const TParteXml kParteIBSCBS{"IBSCBS"};
  return ConverteGrupo(*this, FindDataSet(kParteIBSCBS), GrupoIBSCBS());
}

std::string TmoxDS_pl010::ConvPartV() {
  TXmlDataSetNFe& v = *V();
  return InformacoesDoItem400(
      ConvertFieldParaXML(v, "vItem_VB01") +
      EnvolverSePreenchido("DFeReferenciado", ConvertFieldsParaXML(v, {"chaveAcesso_VC02", "nItem_VC03"})));
}

std::string TmoxDS_pl010::ConvPartW() {
  TXmlDataSetNFe& w = *W();
  return Totais400(EnvolverSePreenchido("ISTot", ConvertFieldParaXML(w, "vIS_W32")) + ConverteGrupo(*this, w, GrupoIBSCBSTot()) +
                   ConvertFieldParaXML(w, "vNFTot_W64"));
}

std::string TmoxDS_pl010::ConvPartZ() {
  TXmlDataSetNFe& agro = FindDataSet("ZF");
  std::string agropecuario = RegistrosComCampos("DEFENSIVO", "defensivo", {"nReceituario_ZF03", "CPFRespTec_ZF04"});
  agropecuario += EnvolverSePreenchido(
      "guiaTransito", ConvertFieldsParaXML(agro, {"tpGuia_ZF06", "UFGuia_ZF07", "serieGuia_ZF08", "nGuia_ZF09"}));
  return TmoxDS_pl009::ConvPartZ() + EnvolverSePreenchido("agropecuario", agropecuario);
}

}  // namespace mox
