#include "datasets/TmoxDS_pl005.h"

#include <array>
#include <utility>

#include "base/EmoxException.h"

namespace mox {

// --- Shared building blocks ---------------------------------------------------------------------

namespace {

// Every item names the same wrapper again: only a different one is stored.
void DefineTag(TXmlDataSetNFe& aDataSet, std::string_view aTag) {
  const std::string& atual = aDataSet.TagXML();
  // Tags are a few letters: compared in place.
  bool igual = atual.size() == aTag.size();
  for (size_t i = 0; igual && i < aTag.size(); ++i) igual = atual[i] == aTag[i];
  if (!igual) aDataSet.SetTagXML(std::string(aTag));
}

}  // namespace

std::string TmoxDS_pl005a::Registro(TXmlDataSetNFe& aDataSet, std::string_view aTag) {
  DefineTag(aDataSet, aTag);
  if (SemDadosNaConversao(aDataSet)) return {};
  return ConvertDataSetParaXML(aDataSet);
}

std::string TmoxDS_pl005a::CadaRegistro(TXmlDataSetNFe& aDataSet, const std::function<std::string()>& aConverte) {
  std::string xml;
  for (aDataSet.First(); !aDataSet.Eof(); aDataSet.Next()) xml += aConverte();
  return xml;
}

std::string TmoxDS_pl005a::Registros(TXmlDataSetNFe& aDataSet, std::string_view aTag) {
  DefineTag(aDataSet, aTag);
  if (SemDadosNaConversao(aDataSet)) return {};
  return CadaRegistro(aDataSet, [&] { return ConvertDataSetParaXML(aDataSet); });
}

std::string TmoxDS_pl005a::CamposGlobais(std::initializer_list<std::string_view> aCampos) const {
  std::string xml;
  for (std::string_view campo : aCampos) xml += ConvertFieldParaXML(Campo(campo));
  return xml;
}

std::string TmoxDS_pl005a::ConverteIdentificacao(std::initializer_list<std::string_view> aAntes,
                                                 std::initializer_list<std::string_view> aDepois,
                                                 bool aReferenciasNoFim) {
  if (B()->IsEmpty())
    throw EmoxNFeDataSetException("Parte B - Identificaçãcão da Nota Fiscal eletrônica não foi preenchida.",
                                  DiretorioLogErro());
  std::string xml = "<ide>" + ConvertFieldsParaXML(*B(), aAntes);
  if (aReferenciasNoFim) return xml + ConvertFieldsParaXML(*B(), aDepois) + ConvPartRef() + "</ide>";
  return xml + ConvPartRef() + ConvertFieldsParaXML(*B(), aDepois) + "</ide>";
}

std::string TmoxDS_pl005a::ConverteReferencias(const TCamposReferencia& aCampos) {
  TXmlDataSetNFe& nref = FindDataSet("NREF");
  return CadaRegistro(nref, [&] {
    // The first alternative with a value is the kind of the referenced document.
    std::string ref;
    if (!nref.XmlFieldByName(aCampos.refNFe).TextView().empty()) ref = ConvertFieldParaXML(nref, aCampos.refNFe);
    if (ref.empty() && !aCampos.refNFeSig.empty()) ref = ConvertFieldParaXML(nref, aCampos.refNFeSig);
    if (ref.empty()) ref = EnvolverSePreenchido("refNF", ConvertFieldsParaXML(nref, aCampos.refNF));
    if (ref.empty()) ref = EnvolverSePreenchido("refNFP", ConvertFieldsParaXML(nref, aCampos.refNFP));
    if (ref.empty()) ref = ConvertFieldParaXML(nref, aCampos.refCTe);
    if (ref.empty()) ref = EnvolverSePreenchido("refECF", ConvertFieldsParaXML(nref, aCampos.refECF));
    return EnvolverSePreenchido("NFref", ref);
  });
}

void TmoxDS_pl005a::Acrescenta(std::string& aXml, std::initializer_list<std::string> aPartes) {
  for (const std::string& parte : aPartes) aXml += parte;
}

std::string TmoxDS_pl005a::ConverteItens(const TAcrescenta& aImpostos, const TAcrescenta& aDevolucao) {
  std::string xml;
  TXmlDataSetNFe& item = *H();
  // Room for usual items at once: the text then does not grow item by item.
  xml.reserve(item.RecordCount() * 2048);
  for (item.First(); !item.Eof(); item.Next()) {
    // The item-level data sets follow the current item through their links.
    xml += "<det ";
    AppendFieldParaXML(xml, item, "nItem_H02");
    xml += '>';
    xml += ConvPartI();
    xml += "<imposto>";
    aImpostos(xml);
    xml += "</imposto>";
    if (aDevolucao) aDevolucao(xml);
    xml += ConvPartV();
    xml += "</det>";
  }
  return xml;
}

std::string TmoxDS_pl005a::ConverteTotais(std::string_view aICMSTot,
                                          std::initializer_list<std::string_view> aISSQNtot) const {
  return "<total>" + ParserConverter(aICMSTot) + EnvolverSePreenchido("ISSQNtot", CamposGlobais(aISSQNtot)) +
         EnvolverSePreenchido("retTrib", CamposGlobais({"vRetPIS_W24", "vRetCOFINS_W25", "vRetCSLL_W26", "vBCIRRF_W27",
                                                        "vIRRF_W28", "vBCRetPrev_W29", "vRetPrev_W30"})) +
         "</total>";
}

std::string TmoxDS_pl005a::ConverteTransporte(bool aComVagaoEBalsa) {
  std::string xml = ParserConverter("<transp>@x(modFrete_X02)");
  xml += EnvolverSePreenchido(
      "transporta",
      ParserConverter("@x(CNPJ_X04)@x(CPF_X05)@x(xNome_X06)@x(IE_X07)@x(xEnder_X08)@x(xMun_X09)@x(UF_X10)"));
  xml += EnvolverSePreenchido(
      "retTransp",
      ParserConverter("@x(vServ_X12)@x(vBCRet_X13)@x(pICMSRet_X14)@x(vICMSRet_X15)@x(CFOP_X16)@x(cMunFG_X17)"));
  xml += EnvolverSePreenchido("veicTransp", ParserConverter("@x(placa_X19)@x(UF_X20)@x(RNTC_X21)"));
  xml += Registros(FindDataSet("REBOQUE"), "reboque");
  if (aComVagaoEBalsa) xml += ParserConverter("@x(vagao_X25a)") + ParserConverter("@x(balsa_X25b)");

  TXmlDataSetNFe& volume = FindDataSet("VOL");
  TXmlDataSetNFe& lacre = FindDataSet("LACRE");
  volume.SetTagXML({});
  // A volume without values is left out together with its seals.
  xml += CadaRegistro(volume, [&] {
    const std::string campos = ConvertDataSetParaXML(volume);
    return campos.empty() ? std::string() : Envolver("vol", campos + Registros(lacre, "lacres"));
  });
  return xml + "</transp>";
}

namespace {

// The fuel part and the fields of its own ICMS, read for every item.
const TParteXml kParteL1{"L1"};
const TCamposXml kCamposICMSComb{"vBCICMS_L110", "vICMS_L111", "vBCICMSST_L112", "vICMSST_L113"};

}  // namespace

std::string TmoxDS_pl005a::ConverteCombustivel(const TCamposXml& aCampos, const TCamposXml& aCIDE,
                                               const std::string& aFinal) {
  TXmlDataSetNFe& combustivel = FindDataSet(kParteL1);
  if (aFinal.empty() && GrupoSemSaida(combustivel, {&aCampos, &aCIDE})) return {};
  return EnvolverSePreenchido("comb", ConvertFieldsParaXML(combustivel, aCampos) +
                                          EnvolverSePreenchido("CIDE", ConvertFieldsParaXML(combustivel, aCIDE)) +
                                          aFinal);
}

std::string TmoxDS_pl005a::CamposICMSComb() {
  return ConvertFieldsParaXML(FindDataSet(kParteL1), kCamposICMSComb);
}

// --- Base group converters ----------------------------------------------------------------------

std::string TmoxDS_pl005a::ConvPartB() {
  return ConverteIdentificacao(
      {"cUF_B02", "cNF_B03", "natOp_B04", "indPag_B05", "mod_B06", "serie_B07", "nNF_B08", "dEmi_B09", "dSaiEnt_B10",
       "tpNF_B11", "cMunFG_B12"},
      {"tpImp_B21", "tpEmis_B22", "cDV_B23", "tpAmb_B24", "finNFe_B25", "procEmi_B26", "verProc_B27"}, false);
}

std::string TmoxDS_pl005a::ConvPartRef() {
  // The 1.10 layout references NF-e and model 1 notes only; a record without a key is a model 1.
  // The references are optional: a record without any value references nothing.
  TXmlDataSetNFe& nref = FindDataSet("NREF");
  return CadaRegistro(nref, [&] {
    if (!PossuiDadosCampo(nref)) return std::string();
    std::string ref;
    if (!nref.XmlFieldByName("refNFe_B13").TextView().empty()) ref = ConvertFieldParaXML(nref, "refNFe_B13");
    if (ref.empty())
      ref = Envolver(
          "refNF", ConvertFieldsParaXML(nref, {"cUF_B15", "AAMM_B16", "CNPJ_B17", "mod_B18", "serie_B19", "nNF_B20"}));
    return Envolver("NFref", ref);
  });
}

std::string TmoxDS_pl005a::ConvPartC() {
  return ParserConverter(
      "<emit>@c(CNPJ_C02)@c(xNome_C03)@c(xFant_C04)<enderEmit>@c(xLgr_C06)@c(nro_C07)@c(xCpl_C08)@c(xBairro_C09)"
      "@c(cMun_C10)@c(xMun_C11)@c(UF_C12)@c(CEP_C13)@c(cPais_C14)@c(xPais_C15)@c(fone_C16)</enderEmit>@c(IE_C17)"
      "@c(IEST_C18)@c(IM_C19)@c(CNAE_C20)</emit>");
}

std::string TmoxDS_pl005a::ConvPartD() { return Registro(*D(), "avulsa"); }

std::string TmoxDS_pl005a::ConverteDestinatario(std::initializer_list<std::string_view> aIdentificacao,
                                                std::initializer_list<std::string_view> aDepoisDoEndereco,
                                                bool aOpcional) {
  if (aOpcional && !PossuiDadosCampo(*E())) return {};
  const std::string endereco =
      ConvertFieldsParaXML(*E(), {"xLgr_E06", "nro_E07", "xCpl_E08", "xBairro_E09", "cMun_E10", "xMun_E11", "UF_E12",
                                  "CEP_E13", "cPais_E14", "xPais_E15", "fone_E16"});
  return "<dest>" + ConvertFieldsParaXML(*E(), aIdentificacao) +
         (aOpcional ? EnvolverSePreenchido("enderDest", endereco) : Envolver("enderDest", endereco)) +
         ConvertFieldsParaXML(*E(), aDepoisDoEndereco) + "</dest>";
}

std::string TmoxDS_pl005a::ConvPartE() {
  // The foreign identifier after the name: the empty idEstrangeiro lands there.
  return ConverteDestinatario({"CNPJ_E02", "CPF_E03", "xNome_E04", "idEstrangeiro_E03a"}, {"IE_E17", "ISUF_E18"});
}

std::string TmoxDS_pl005a::ConvPartF() { return Registro(*F(), "retirada"); }

std::string TmoxDS_pl005a::ConvPartG() { return Registro(*G(), "entrega"); }

std::string TmoxDS_pl005a::ConvAutXML() { return Registros(FindDataSet("AUTXML"), "autXML"); }

std::string TmoxDS_pl005a::ConvPartItens() {
  return ConverteItens([this](std::string& aXml) {
    Acrescenta(aXml, {ConvPartN(), ConvPartO(), ConvPartP(), ConvPartQ(), ConvPartR(), ConvPartS(), ConvPartT(),
                      ConvPartU()});
  });
}

std::string TmoxDS_pl005a::ConvPartI() {
  // The 1.10 product is the whole record of "I", in dictionary order.
  return "<prod>" + Registro(*I(), {}) + ConvDI() + ConvPartJ() + ConvPartK() + ConvPartL() + ConvPartL1() + "</prod>";
}

std::string TmoxDS_pl005a::ConvDI() {
  static const TParteXml kParteDI{"DI"};
  TXmlDataSetNFe& declaracao = FindDataSet(kParteDI);
  DefineTag(declaracao, {});
  if (SemDadosNaConversao(declaracao)) return {};
  return CadaRegistro(declaracao, [&] {
    const std::string campos = ConvertDataSetParaXML(declaracao);
    return campos.empty() ? std::string() : "<DI>" + campos + ConvADI() + "</DI>";
  });
}

std::string TmoxDS_pl005a::ConvADI() {
  static const TParteXml kParteADI{"ADI"};
  return Registros(FindDataSet(kParteADI), "adi");
}

std::string TmoxDS_pl005a::ConvDetExport() {
  static const TParteXml kParteDETEXPORT{"DETEXPORT"};
  static const TParteXml kParteEXPORTIND{"EXPORTIND"};
  TXmlDataSetNFe& exportacao = FindDataSet(kParteDETEXPORT);
  TXmlDataSetNFe& indireta = FindDataSet(kParteEXPORTIND);
  DefineTag(exportacao, {});
  DefineTag(indireta, "exportInd");
  if (SemDadosNaConversao(exportacao) && SemDadosNaConversao(indireta)) return {};
  return CadaRegistro(exportacao, [&] {
    return EnvolverSePreenchido("detExport", ConvertDataSetParaXML(exportacao) + ConvertDataSetParaXML(indireta));
  });
}

std::string TmoxDS_pl005a::ConvPartJ() { return Registro(*J(), "veicProd"); }

std::string TmoxDS_pl005a::ConvPartK() { return Registros(*K(), "med"); }

std::string TmoxDS_pl005a::ConvPartL() { return Registros(*L(), "arma"); }

std::string TmoxDS_pl005a::ConvPartL1() {
  static const TCamposXml kCampos{"cProdANP_L102", "CODIF_L103", "qTemp_L104"};
  static const TCamposXml kCIDE{"qBCProd_L106", "vAliqProd_L107", "vCIDE_L108"};
  static const TCamposXml kInter{"vBCICMSSTDest_L115", "vICMSSTDest_L116"};
  static const TCamposXml kCons{"vBCICMSSTCons_L118", "vICMSSTCons_L119", "UFcons_L120"};
  TXmlDataSetNFe& combustivel = FindDataSet(kParteL1);
  // Most items are no fuel: nothing to write, once the names are known good.
  if (GrupoSemSaida(combustivel, {&kCamposICMSComb, &kInter, &kCons})) return ConverteCombustivel(kCampos, kCIDE, {});
  return ConverteCombustivel(kCampos, kCIDE,
                             ICMSComb() + EnvolverSePreenchido("ICMSInter", ConvertFieldsParaXML(combustivel, kInter)) +
                                 EnvolverSePreenchido("ICMSCons", ConvertFieldsParaXML(combustivel, kCons)));
}

std::string TmoxDS_pl005a::ICMSComb() { return EnvolverSePreenchido("ICMS", CamposICMSComb()); }

std::string TmoxDS_pl005a::ConvPartN() {
  // The first 1.10 packages write the whole ICMS record under the tag its CST names.
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 11> kTags{{{"00", "ICMS00"},
                                                                                        {"10", "ICMS10"},
                                                                                        {"20", "ICMS20"},
                                                                                        {"30", "ICMS30"},
                                                                                        {"40", "ICMS40"},
                                                                                        {"41", "ICMS40"},
                                                                                        {"50", "ICMS40"},
                                                                                        {"51", "ICMS51"},
                                                                                        {"60", "ICMS60"},
                                                                                        {"70", "ICMS70"},
                                                                                        {"90", "ICMS90"}}};
  TXmlDataSetNFe& icms = *N();
  const std::string_view cst = icms.XmlFieldByName("CST_N12").TextView();
  for (const auto& [codigo, tag] : kTags)
    if (cst == codigo) DefineTag(icms, tag);
  return Envolver("ICMS", ConvertDataSetParaXML(icms));
}

std::string TmoxDS_pl005a::ConvPartO() { return ConverteIPI(*this, *O(), IPI_pl005a()); }

std::string TmoxDS_pl005a::ConvPartP() { return Registro(*P(), "II"); }

std::string TmoxDS_pl005a::ConvPartQ() { return ConvertePIS(*this, *Q(), TabelaPIS_pl005a); }

std::string TmoxDS_pl005a::ConvPartR() { return Registro(*R(), "PISST"); }

std::string TmoxDS_pl005a::ConvPartS() { return ConverteCOFINS(*this, *S(), TabelaPIS_pl005a); }

std::string TmoxDS_pl005a::ConvPartT() { return Registro(*T(), "COFINSST"); }

std::string TmoxDS_pl005a::ConvPartU() { return Registro(*U(), "ISSQN"); }

std::string TmoxDS_pl005a::ConvPartV() { return Registro(*V(), {}); }

std::string TmoxDS_pl005a::ConvPartW() {
  return ConverteTotais(
      "<ICMSTot>@w(vBC_W03)@w(vICMS_W04)@w(vBCST_W05)@w(vST_W06)@w(vProd_W07)@w(vFrete_W08)@w(vSeg_W09)"
      "@w(vDesc_W10)@w(vII_W11)@w(vIPI_W12)@w(vPIS_W13)@w(vCOFINS_W14)@w(vOutro_W15)@w(vNF_W16)</ICMSTot>",
      {"vServ_W18", "vBC_W19", "vISS_W20", "vPIS_W21", "vCOFINS_W22"});
}

std::string TmoxDS_pl005a::ConvPartX() { return ConverteTransporte(false); }

std::string TmoxDS_pl005a::ConvPartY() {
  TXmlDataSetNFe& duplicata = FindDataSet("DUP");
  std::string cobranca =
      EnvolverSePreenchido("fat", ConvertFieldsParaXML(*Y(), {"nFat_Y03", "vOrig_Y04", "vDesc_Y05", "vLiq_Y06"}));
  cobranca += CadaRegistro(duplicata, [&] {
    return EnvolverSePreenchido("dup", ConvertFieldsParaXML(duplicata, {"nDup_Y08", "dVenc_Y09", "vDup_Y10"}));
  });
  return EnvolverSePreenchido("cobr", cobranca);
}

std::string TmoxDS_pl005a::ConvPartZ() {
  const std::string adicionais =
      ParserConverter("@z(infAdFisco_Z02)@z(infCpl_Z03)") + ConvObsCont() + ConvObsFisco() + ConvProcRef();
  return EnvolverSePreenchido("infAdic", adicionais) + ConvExporta() + ConvCompra();
}

namespace {

// One observation element per record whose field name or text has a value; the name is an
// attribute of the element.
std::string Observacoes(const TmoxXMLDataSetNFe& aConversor, TXmlDataSetNFe& aObservacoes, std::string_view aTag,
                        std::string_view aCampo, std::string_view aTexto) {
  std::string xml;
  for (aObservacoes.First(); !aObservacoes.Eof(); aObservacoes.Next()) {
    const std::string campo = aConversor.ConvertFieldParaXML(aObservacoes, aCampo);
    const std::string texto = aConversor.ConvertFieldParaXML(aObservacoes, aTexto);
    if (campo.empty() && texto.empty()) continue;
    xml.append("<").append(aTag).append(" ").append(campo).append(">").append(texto);
    xml.append("</").append(aTag).append(">");
  }
  return xml;
}

}  // namespace

std::string TmoxDS_pl005a::ConvObsCont() {
  return Observacoes(*this, FindDataSet("OBSCONT"), "obsCont", "xCampo_Z05", "xTexto_Z06");
}

std::string TmoxDS_pl005a::ConvObsFisco() {
  return Observacoes(*this, FindDataSet("OBSFISCO"), "obsFisco", "xCampo_Z08", "xTexto_Z09");
}

std::string TmoxDS_pl005a::ConvProcRef() { return Registros(FindDataSet("PROCREF"), "procRef"); }

std::string TmoxDS_pl005a::ConvExporta() {
  return EnvolverSePreenchido("exporta", ParserConverter("@z(UFEmbarq_ZA02)@z(xLocEmbarq_ZA03)"));
}

std::string TmoxDS_pl005a::ConvCompra() {
  return EnvolverSePreenchido("compra", ParserConverter("@z(xNEmp_ZB02)@z(xPed_ZB03)@z(xCont_ZB04)"));
}

// --- pl_005c and later --------------------------------------------------------------------------

std::string TmoxDS_pl005c::ConvPartN() { return ConverteICMS(*this, *N(), ICMS_pl005c()); }

std::string TmoxDS_pl005c::ICMSComb() { return EnvolverSePreenchido("ICMSComb", CamposICMSComb()); }

std::string TmoxDS_pl005f::ConvPartQ() { return ConvertePIS(*this, *Q(), TabelaPIS_pl005f); }

std::string TmoxDS_pl005f::ConvPartS() { return ConverteCOFINS(*this, *S(), TabelaPIS_pl005f); }

}  // namespace mox
