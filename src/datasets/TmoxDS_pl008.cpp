#include "datasets/TmoxDS_pl008.h"

namespace mox {

namespace {

// Room for a usual product group, taken at once instead of growing piece by piece.
constexpr size_t kTamanhoProduto = 1024;

// The 3.10 ICMS totals; aUFDestino adds the totals of the ICMS shared with the destination state.
std::string ICMSTot310(bool aUFDestino) {
  std::string modelo = "<ICMSTot>@w(vBC_W03)@w(vICMS_W04)@w(vICMSDeson_W04a)";
  if (aUFDestino) modelo += "@w(vFCPUFDest_W04c)@w(vICMSUFDest_W04e)@w(vICMSUFRemet_W04g)";
  return modelo +
         "@w(vBCST_W05)@w(vST_W06)@w(vProd_W07)@w(vFrete_W08)@w(vSeg_W09)@w(vDesc_W10)@w(vII_W11)@w(vIPI_W12)"
         "@w(vPIS_W13)@w(vCOFINS_W14)@w(vOutro_W15)@w(vNF_W16)@w(vTotTrib_W16a)</ICMSTot>";
}

#define MOX_ISSQNTOT_310                                                                                         \
  "vServ_W18", "vBC_W19", "vISS_W20", "vPIS_W21", "vCOFINS_W22", "dCompet_W22a", "vDeducao_W22b", "vOutro_W22c", \
      "vDescIncond_W22d", "vDescCond_W22e", "vISSRet_W22f", "cRegTrib_W22g"

}  // namespace

// --- pl_008a ------------------------------------------------------------------------------------

void TmoxDS_pl008a::AddDataSetsListaNFE() {
  AddParts(fPartsNFe, {"A", "B", "C", "D", "E", "F", "G", "AUTXML", "X", "W", "Y"});
  // The first payment is typed with the note, like the first volume; dictionaries made before
  // the payment group have none.
  if (TXmlDataSetNFe* pagamento = DataSetOrNull("YA")) fPartsNFe.push_back(pagamento);
  AddParts(fPartsNFe, {"Z", "REBOQUE", "VOL", "LACRE", "PROCREF", "OBSCONT", "MANAGER"});
}

void TmoxDS_pl008a::AddDataSetsListaItemNFe() {
  AddParts(fPartsNFeItem, {"H", "I", "NVE", "J",  "K", "L",  "M",   "N",         "O",         "P",  "Q", "R",
                           "S", "T", "U",   "UB", "V", "DI", "ADI", "DETEXPORT", "EXPORTIND", "L1", "L2"});
}

std::string TmoxDS_pl008a::ConverterAuto() {
  SetActiveMasterSource(true);
  return MontarInfNFe(true);
}

std::string TmoxDS_pl008a::ConvPartB() {
  // The 3.10 schema places the referenced documents at the end of ide, after the contingency.
  return ConverteIdentificacao({"cUF_B02", "cNF_B03", "natOp_B04", "indPag_B05", "mod_B06", "serie_B07", "nNF_B08",
                                "dhEmi_B09", "dhSaiEnt_B10", "tpNF_B11", "idDest_B11a", "cMunFG_B12"},
                               {"tpImp_B21", "tpEmis_B22", "cDV_B23", "tpAmb_B24", "finNFe_B25", "indFinal_B25a",
                                "indPres_B25b", "procEmi_B26", "verProc_B27", "dhCont_B28", "xJust_B29"},
                               true);
}

const TmoxDS_pl005a::TCamposReferencia& TmoxDS_pl008a::CamposReferencia310() {
  static const TCamposReferencia kCampos{
      "refNFe_BA02",
      {"cUF_BA04", "AAMM_BA05", "CNPJ_BA06", "mod_BA07", "serie_BA08", "nNF_BA09"},
      {"cUF_BA11", "AAMM_BA12", "CNPJ_BA13", "CPF_BA14", "IE_BA15", "mod_BA16", "serie_BA17", "nNF_BA18"},
      "refCTe_BA19",
      {"mod_BA21", "nECF_BA22", "nCOO_BA23"}};
  return kCampos;
}

std::string TmoxDS_pl008a::ConvPartRef() { return ConverteReferencias(CamposReferencia310()); }

std::string TmoxDS_pl008a::ConvPartE() {
  // Without CNPJ, CPF or foreign identifier the empty idEstrangeiro follows the identification.
  // A consumer note may have no recipient, or one without address.
  return ConverteDestinatario({"CNPJ_E02", "CPF_E03", "idEstrangeiro_E03a", "xNome_E04"},
                              {"indIEDest_E16a", "IE_E17", "ISUF_E18", "IM_E18a", "email_E19"}, true);
}

std::string TmoxDS_pl008a::ConvExporta() {
  return EnvolverSePreenchido("exporta",
                              ParserConverter("@z(UFSaidaPais_ZA02)@z(xLocExporta_ZA03)@z(xLocDespacho_ZA04)"));
}

std::string TmoxDS_pl008a::ConvPartItens() {
  return ConverteItens(
      [this](std::string& aXml) {
        Acrescenta(aXml, {ConvPartM(), ConvPartN(), ConvPartO(), ConvPartP(), ConvPartU(), ConvPartQ(), ConvPartR(),
                          ConvPartS(), ConvPartT()});
      },
      [this](std::string& aXml) { aXml += ConvPartUB(); });
}

std::string TmoxDS_pl008a::ProdutoLeiaute310(bool aComCEST) {
  static const TCamposXml kProduto{"cProd_I02", "cEAN_I03", "xProd_I04", "NCM_I05"};
  static const TCamposXml kComercial{"EXTIPI_I06", "CFOP_I08",     "uCom_I09",  "qCom_I10",     "vUnCom_I10a",
                                     "vProd_I11",  "cEANTrib_I12", "uTrib_I13", "qTrib_I14",    "vUnTrib_I14a",
                                     "vFrete_I15", "vSeg_I16",     "vDesc_I17", "vOutro_I17a", "indTot_I17b"};
  static const TCamposXml kPedido{"xPed_I60", "nItemPed_I61", "nFCI_I70"};
  TXmlDataSetNFe& produto = *I();
  std::string xml;
  xml.reserve(kTamanhoProduto);
  xml = "<prod>";
  AppendFieldsParaXML(xml, produto, kProduto);
  xml += ConvPartNVE();
  if (aComCEST) AppendFieldParaXML(xml, produto, "CEST_I05c");
  AppendFieldsParaXML(xml, produto, kComercial);
  xml += ConvDI();
  xml += ConvDetExport();
  AppendFieldsParaXML(xml, produto, kPedido);
  xml += ConvPartJ();
  xml += ConvPartK();
  xml += ConvPartL();
  xml += ConvPartL1();
  xml += ConvPartL2();
  return xml += "</prod>";
}

std::string TmoxDS_pl008a::ConvPartI() { return ProdutoLeiaute310(false); }

std::string TmoxDS_pl008a::ConvPartNVE() {
  static const TParteXml kParteNVE{"NVE"};
  TXmlDataSetNFe& nve = FindDataSet(kParteNVE);
  if (SemDadosNaConversao(nve)) return {};
  return CadaRegistro(nve, [&] {
    return nve.XmlFieldByName("NVE_I05a").TextView().empty() ? std::string() : ConvertFieldParaXML(nve, "NVE_I05a");
  });
}

std::string TmoxDS_pl008a::CombustivelLeiaute310(const std::string& aFinal) {
  static const TCamposXml kCampos{"cProdANP_LA02", "pMixGN_LA03", "CODIF_LA04", "qTemp_LA05", "UFCons_LA06"};
  static const TCamposXml kCIDE{"qBCProd_LA08", "vAliqProd_LA09", "vCIDE_LA10"};
  return ConverteCombustivel(kCampos, kCIDE, aFinal);
}

std::string TmoxDS_pl008a::ConvPartL1() { return CombustivelLeiaute310({}); }

std::string TmoxDS_pl008a::ConvPartL2() {
  static const TParteXml kParteL2{"L2"};
  return ConvertFieldParaXML(FindDataSet(kParteL2), "nRECOPI_LB01");
}

std::string TmoxDS_pl008a::ConvPartN() { return ConverteICMS(*this, *N(), ICMS_pl008a()); }

std::string TmoxDS_pl008a::ConvPartUB() {
  static const TCamposXml kDevolucao{"pDevol_UA02"};
  static const TCamposXml kIPI{"vIPIDevol_UA04"};
  static const TParteXml kParteUB{"UB"};
  TXmlDataSetNFe& devolucao = FindDataSet(kParteUB);
  if (GrupoSemSaida(devolucao, {&kDevolucao, &kIPI})) return {};
  return EnvolverSePreenchido("impostoDevol",
                              ConvertFieldsParaXML(devolucao, kDevolucao) +
                                  EnvolverSePreenchido("IPI", ConvertFieldsParaXML(devolucao, kIPI)));
}

std::string TmoxDS_pl008a::ConvPartW() { return ConverteTotais(ICMSTot310(false), {MOX_ISSQNTOT_310}); }

// PIS and COFINS are optional from 3.10 on: an item without any of their values has none. An item
// with values but no known code keeps the empty group, which the schema refuses, rather than
// losing the values.
std::string TmoxDS_pl008a::ConvPartQ() {
  return Q()->TemValorVisivel() && PossuiDadosCampo(*Q()) ? TmoxDS_pl006s::ConvPartQ() : std::string();
}

std::string TmoxDS_pl008a::ConvPartS() {
  return S()->TemValorVisivel() && PossuiDadosCampo(*S()) ? TmoxDS_pl006s::ConvPartS() : std::string();
}

std::string TmoxDS_pl008a::ConvPartY() { return TmoxDS_pl006s::ConvPartY() + ConvPartYA(); }

std::string TmoxDS_pl008a::ConvPartYA() { return Pagamentos({"CNPJ_YA05", "tBand_YA06", "cAut_YA07"}); }

std::string TmoxDS_pl008a::Pagamentos(std::initializer_list<std::string_view> aCartao) {
  TXmlDataSetNFe* pagamento = DataSetOrNull("YA");
  if (!pagamento) return {};
  return CadaRegistro(*pagamento, [&] {
    return EnvolverSePreenchido("pag", ConvertFieldsParaXML(*pagamento, {"tPag_YA02", "vPag_YA03"}) +
                                           EnvolverSePreenchido("card", ConvertFieldsParaXML(*pagamento, aCartao)));
  });
}

// --- pl_008g ------------------------------------------------------------------------------------

void TmoxDS_pl008g::AddDataSetsListaItemNFe() {
  AddParts(fPartsNFeItem, {"H", "I", "NVE", "J", "K",  "L", "M",  "N",   "NA",        "O",         "P",  "Q",
                           "R", "S", "T",   "U", "UB", "V", "DI", "ADI", "DETEXPORT", "EXPORTIND", "L1", "L2"});
}

std::string TmoxDS_pl008g::ConvPartW() { return ConverteTotais(ICMSTot310(true), {MOX_ISSQNTOT_310}); }

std::string TmoxDS_pl008g::ConvPartI() { return ProdutoLeiaute310(true); }

std::string TmoxDS_pl008g::ConvPartL1() {
  static const TCamposXml kEncerrante{"nBico_LA12", "nBomba_LA13", "nTanque_LA14", "vEncIni_LA15", "vEncFin_LA16"};
  static const TParteXml kParteL1{"L1"};
  TXmlDataSetNFe& combustivel = FindDataSet(kParteL1);
  if (GrupoSemSaida(combustivel, {&kEncerrante})) return CombustivelLeiaute310({});
  return CombustivelLeiaute310(EnvolverSePreenchido("encerrante", ConvertFieldsParaXML(combustivel, kEncerrante)));
}

std::string TmoxDS_pl008g::ConvPartItens() {
  return ConverteItens(
      [this](std::string& aXml) {
        Acrescenta(aXml, {ConvPartM(), ConvPartN(), ConvPartO(), ConvPartP(), ConvPartU(), ConvPartQ(), ConvPartR(),
                          ConvPartS(), ConvPartT(), convPartNA()});
      },
      [this](std::string& aXml) { aXml += ConvPartUB(); });
}

std::string TmoxDS_pl008g::ConvPartYA() {
  return Pagamentos({"tpIntegra_YA04a", "CNPJ_YA05", "tBand_YA06", "cAut_YA07"});
}

std::string TmoxDS_pl008g::convPartNA() {
  static const TCamposXml kPartilha{"vBCUFDest_NA03",      "pFCPUFDest_NA05",  "pICMSUFDest_NA07",
                                    "pICMSInter_NA09",     "pICMSInterPart_NA11", "vFCPUFDest_NA13",
                                    "vICMSUFDest_NA15",    "vICMSUFRemet_NA17"};
  static const TParteXml kParteNA{"NA"};
  TXmlDataSetNFe& partilha = FindDataSet(kParteNA);
  if (GrupoSemSaida(partilha, {&kPartilha})) return {};
  return EnvolverSePreenchido("ICMSUFDest", ConvertFieldsParaXML(partilha, kPartilha));
}

}  // namespace mox
