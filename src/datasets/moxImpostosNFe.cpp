#include "datasets/moxImpostosNFe.h"

#include <algorithm>
#include <array>

#include "datasets/TmoxXMLDataSetNFe.h"

namespace mox {

namespace {

// Room for a usual tax group, taken at once instead of growing piece by piece.
constexpr size_t kTamanhoGrupo = 512;

// The ICMS fields that several sub-groups share, in layout order.
#define MOX_ICMS_PROPRIO "modBC_N13", "vBC_N15", "pICMS_N16", "vICMS_N17"
#define MOX_ICMS_ST "modBCST_N18", "pMVAST_N19", "pRedBCST_N20", "vBCST_N21", "pICMSST_N22", "vICMSST_N23"
#define MOX_ICMS_REDUZIDO "modBC_N13", "pRedBC_N14", "vBC_N15", "pICMS_N16", "vICMS_N17"
#define MOX_ICMS_OUTROS "modBC_N13", "vBC_N15", "pRedBC_N14", "pICMS_N16", "vICMS_N17"
#define MOX_ICMS_DESONERADO "vICMSDeson_N27a", "motDesICMS_N28"

const TGrupoICMS kICMSST{
    {"41"}, "ICMSST", {"orig_N11", "CST_N12", "vBCSTRet_N26", "vICMSSTRet_N27", "vBCSTDest_N31", "vICMSSTDest_N32"}};

const TGrupoICMS kICMSPart{
    {"10", "90"}, "ICMSPart", {"orig_N11", "CST_N12", MOX_ICMS_OUTROS, MOX_ICMS_ST, "pBCOp_N25", "UFST_N24"}};

const std::vector<TGrupoICMS> kSimplesNacional{
    {{"101"}, "ICMSSN101", {"orig_N11", "CSOSN_N12a", "pCredSN_N29", "vCredICMSSN_N30"}},
    {{"102", "103", "300", "400"}, "ICMSSN102", {"orig_N11", "CSOSN_N12a"}},
    {{"201"}, "ICMSSN201", {"orig_N11", "CSOSN_N12a", MOX_ICMS_ST, "pCredSN_N29", "vCredICMSSN_N30"}},
    {{"202", "203"}, "ICMSSN202", {"orig_N11", "CSOSN_N12a", MOX_ICMS_ST}},
    {{"500"}, "ICMSSN500", {"orig_N11", "CSOSN_N12a", "vBCSTRet_N26", "vICMSSTRet_N27"}},
    {{"900"}, "ICMSSN900", {"orig_N11", "CSOSN_N12a", MOX_ICMS_OUTROS, MOX_ICMS_ST, "pCredSN_N29", "vCredICMSSN_N30"}},
};

const TGrupoICMS* GrupoDoCodigo(const std::vector<TGrupoICMS>& aGrupos, std::string_view aCodigo) {
  for (const TGrupoICMS& grupo : aGrupos)
    if (std::find(grupo.codigos.begin(), grupo.codigos.end(), aCodigo) != grupo.codigos.end()) return &grupo;
  return nullptr;
}

std::string_view Valor(const TmoxXMLDataSetNFe& aConversor, const TXmlDataSetNFe& aDs, std::string_view aCampo) {
  if (const TXmlFieldNFe* campo = aConversor.CampoDoDataSet(aDs, aCampo)) return campo->TextView();
  return aDs.XmlFieldByName(aCampo).TextView();  // fails with the data set's message
}

// "<tag>" and "</tag>" around what aEscreve appends to aOut.
template <class F>
void AppendEnvolvido(std::string& aOut, std::string_view aTag, F&& aEscreve) {
  aOut.append("<").append(aTag).append(">");
  aEscreve();
  aOut.append("</").append(aTag).append(">");
}

void AppendGrupo(std::string& aOut, const TmoxXMLDataSetNFe& aConversor, const TXmlDataSetNFe& aDs,
                 const TGrupoICMS& aGrupo) {
  AppendEnvolvido(aOut, aGrupo.nome, [&] { aConversor.AppendFieldsParaXML(aOut, aDs, aGrupo.campos); });
}

// A two-digit code as a number; nothing for any other text.
std::optional<int> CodigoDeDoisDigitos(std::string_view aCST) {
  if (aCST.size() != 2 || aCST[0] < '0' || aCST[0] > '9' || aCST[1] < '0' || aCST[1] > '9') return std::nullopt;
  return (aCST[0] - '0') * 10 + (aCST[1] - '0');
}

bool EhOutrasOperacoes(int aCodigo) {
  return (aCodigo >= 49 && aCodigo <= 56) || (aCodigo >= 60 && aCodigo <= 67) || (aCodigo >= 70 && aCodigo <= 75) ||
         aCodigo == 98 || aCodigo == 99;
}

// The fields of each PIS or COFINS sub-group, in the order of TGrupoPIS.
struct TLeiautePIS {
  std::string_view envelope;
  std::string_view campoCST;
  std::array<std::string_view, 4> grupos;
  std::array<TCamposXml, 4> campos;
};

const TLeiautePIS kPIS{"PIS",
                       "CST_Q06",
                       {"PISAliq", "PISQtde", "PISNT", "PISOutr"},
                       {{{"CST_Q06", "vBC_Q07", "pPIS_Q08", "vPIS_Q09"},
                         {"CST_Q06", "qBCProd_Q10", "vAliqProd_Q11", "vPIS_Q09"},
                         {"CST_Q06"},
                         {"CST_Q06", "vBC_Q07", "pPIS_Q08", "qBCProd_Q10", "vAliqProd_Q11", "vPIS_Q09"}}}};

const TLeiautePIS kCOFINS{"COFINS",
                          "CST_S06",
                          {"COFINSAliq", "COFINSQtde", "COFINSNT", "COFINSOutr"},
                          {{{"CST_S06", "vBC_S07", "pCOFINS_S08", "vCOFINS_S11"},
                            {"CST_S06", "qBCProd_S09", "vAliqProd_S10", "vCOFINS_S11"},
                            {"CST_S06"},
                            {"CST_S06", "vBC_S07", "pCOFINS_S08", "qBCProd_S09", "vAliqProd_S10", "vCOFINS_S11"}}}};

std::string ConvertePISouCOFINS(const TmoxXMLDataSetNFe& aConversor, const TXmlDataSetNFe& aDs,
                                const TLeiautePIS& aLeiaute, TTabelaPIS aTabela) {
  std::string xml;
  xml.reserve(kTamanhoGrupo);
  AppendEnvolvido(xml, aLeiaute.envelope, [&] {
    if (const std::optional<TGrupoPIS> escolhido = aTabela(Valor(aConversor, aDs, aLeiaute.campoCST))) {
      const auto indice = static_cast<size_t>(*escolhido);
      AppendEnvolvido(xml, aLeiaute.grupos[indice],
                      [&] { aConversor.AppendFieldsParaXML(xml, aDs, aLeiaute.campos[indice]); });
    }
  });
  return xml;
}

}  // namespace

std::string EnvolverSePreenchido(std::string_view aTag, const std::string& aTexto) {
  return aTexto.empty() ? std::string() : Envolver(aTag, aTexto);
}

std::string Envolver(std::string_view aTag, const std::string& aTexto) {
  std::string xml;
  xml.reserve(aTexto.size() + 2 * aTag.size() + 5);
  xml.append("<").append(aTag).append(">").append(aTexto).append("</").append(aTag).append(">");
  return xml;
}

// --- ICMS ---------------------------------------------------------------------------------------

const TLeiauteICMS& ICMS_pl005c() {
  static const TLeiauteICMS leiaute{{{{"00"}, "ICMS00", {"orig_N11", "CST_N12", MOX_ICMS_PROPRIO}},
                                     {{"10"}, "ICMS10", {"orig_N11", "CST_N12", MOX_ICMS_PROPRIO, MOX_ICMS_ST}},
                                     {{"20"}, "ICMS20", {"orig_N11", "CST_N12", MOX_ICMS_REDUZIDO}},
                                     {{"30"}, "ICMS30", {"orig_N11", "CST_N12", MOX_ICMS_ST}},
                                     {{"40", "41", "50"}, "ICMS40", {"orig_N11", "CST_N12"}},
                                     {{"51"}, "ICMS51", {"orig_N11", "CST_N12", MOX_ICMS_REDUZIDO}},
                                     {{"60"}, "ICMS60", {"orig_N11", "CST_N12", "vBCST_N21", "vICMSST_N23"}},
                                     {{"70"}, "ICMS70", {"orig_N11", "CST_N12", MOX_ICMS_REDUZIDO, MOX_ICMS_ST}},
                                     {{"90"}, "ICMS90", {"orig_N11", "CST_N12", MOX_ICMS_OUTROS, MOX_ICMS_ST}}},
                                    false};
  return leiaute;
}

const TLeiauteICMS& ICMS_pl006e() {
  static const TLeiauteICMS leiaute{
      {{{"00"}, "ICMS00", {"orig_N11", "CST_N12", MOX_ICMS_PROPRIO}},
       {{"10"}, "ICMS10", {"orig_N11", "CST_N12", MOX_ICMS_PROPRIO, MOX_ICMS_ST}},
       {{"20"}, "ICMS20", {"orig_N11", "CST_N12", MOX_ICMS_REDUZIDO}},
       {{"30"}, "ICMS30", {"orig_N11", "CST_N12", MOX_ICMS_ST}},
       {{"40", "41", "50"}, "ICMS40", {"orig_N11", "CST_N12", "vICMS_N17", "motDesICMS_N28"}},
       {{"51"}, "ICMS51", {"orig_N11", "CST_N12", MOX_ICMS_REDUZIDO}},
       {{"60"}, "ICMS60", {"orig_N11", "CST_N12", "vBCSTRet_N26", "vICMSSTRet_N27"}},
       {{"70"}, "ICMS70", {"orig_N11", "CST_N12", MOX_ICMS_REDUZIDO, MOX_ICMS_ST}},
       {{"90"}, "ICMS90", {"orig_N11", "CST_N12", MOX_ICMS_OUTROS, MOX_ICMS_ST}}},
      true};
  return leiaute;
}

const TLeiauteICMS& ICMS_pl008a() {
  static const TLeiauteICMS leiaute{
      {{{"00"}, "ICMS00", {"orig_N11", "CST_N12", MOX_ICMS_PROPRIO}},
       {{"10"}, "ICMS10", {"orig_N11", "CST_N12", MOX_ICMS_PROPRIO, MOX_ICMS_ST}},
       {{"20"}, "ICMS20", {"orig_N11", "CST_N12", MOX_ICMS_REDUZIDO, MOX_ICMS_DESONERADO}},
       {{"30"}, "ICMS30", {"orig_N11", "CST_N12", MOX_ICMS_ST, MOX_ICMS_DESONERADO}},
       {{"40", "41", "50"}, "ICMS40", {"orig_N11", "CST_N12", "vICMS_N17", MOX_ICMS_DESONERADO}},
       {{"51"},
        "ICMS51",
        {"orig_N11", "CST_N12", "modBC_N13", "pRedBC_N14", "vBC_N15", "pICMS_N16", "vICMSOp_N16a", "pDif_N16b",
         "vICMSDif_N16c", "vICMS_N17"}},
       {{"60"}, "ICMS60", {"orig_N11", "CST_N12", "vBCSTRet_N26", "vICMSSTRet_N27"}},
       {{"70"}, "ICMS70", {"orig_N11", "CST_N12", MOX_ICMS_REDUZIDO, MOX_ICMS_ST, MOX_ICMS_DESONERADO}},
       {{"90"}, "ICMS90", {"orig_N11", "CST_N12", MOX_ICMS_OUTROS, MOX_ICMS_ST, MOX_ICMS_DESONERADO}}},
      true};
  return leiaute;
}

std::string ConverteICMS(const TmoxXMLDataSetNFe& aConversor, const TXmlDataSetNFe& aN, const TLeiauteICMS& aLeiaute) {
  const std::string_view cst = Valor(aConversor, aN, "CST_N12");
  // The sub-group is written after "<ICMS>"; a later choice writes over the earlier one.
  std::string xml;
  xml.reserve(kTamanhoGrupo);
  xml = "<ICMS>";
  const size_t corpo = xml.size();
  if (const TGrupoICMS* grupo = GrupoDoCodigo(aLeiaute.porCST, cst)) {
    // Tax already retained by substitution turns an untaxed 41 into the ST-return group.
    const bool stRetido = cst == "41" && aLeiaute.completo &&
                          (!Valor(aConversor, aN, "vBCSTRet_N26").empty() ||
                           !Valor(aConversor, aN, "vICMSSTRet_N27").empty() ||
                           !Valor(aConversor, aN, "vBCSTDest_N31").empty());
    AppendGrupo(xml, aConversor, aN, stRetido ? (aLeiaute.st ? *aLeiaute.st : kICMSST) : *grupo);
  }
  if (aLeiaute.completo) {
    if ((cst == "10" || cst == "90") && !Valor(aConversor, aN, "UFST_N24").empty()) {
      xml.resize(corpo);
      AppendGrupo(xml, aConversor, aN, aLeiaute.partilha ? *aLeiaute.partilha : kICMSPart);
    }
    if (const TGrupoICMS* simples = GrupoDoCodigo(
            aLeiaute.simplesNacional ? *aLeiaute.simplesNacional : kSimplesNacional, Valor(aConversor, aN, "CSOSN_N12a"))) {
      xml.resize(corpo);
      AppendGrupo(xml, aConversor, aN, *simples);
    }
    if (xml.size() == corpo) return {};
  }
  return xml += "</ICMS>";
}

// --- IPI ----------------------------------------------------------------------------------------

#define MOX_IPI_CABECALHO "clEnq_O02", "CNPJProd_O03", "cSelo_O04", "qSelo_O05", "cEnq_O06"

const TLeiauteIPI& IPI_pl005a() {
  static const TLeiauteIPI leiaute{{MOX_IPI_CABECALHO},
                                   {"CST_O09", "vBC_O10", "qUnid_O11", "vUnid_O12", "pIPI_O13", "vIPI_O14"}};
  return leiaute;
}

const TLeiauteIPI& IPI_pl006e() {
  static const TLeiauteIPI leiaute{{MOX_IPI_CABECALHO},
                                   {"CST_O09", "vBC_O10", "pIPI_O13", "qUnid_O11", "vUnid_O12", "vIPI_O14"}};
  return leiaute;
}

std::string ConverteIPI(const TmoxXMLDataSetNFe& aConversor, const TXmlDataSetNFe& aO, const TLeiauteIPI& aLeiaute) {
  static constexpr std::array<std::string_view, 4> kTributado{"00", "49", "50", "99"};
  static constexpr std::array<std::string_view, 10> kNaoTributado{"01", "02", "03", "04", "05",
                                                                  "51", "52", "53", "54", "55"};
  // Most items have no IPI: told without reading the item's record.
  if (aConversor.CampoDoDataSet(aO, "CST_O09") && aConversor.SemDadosNaConversao(aO)) return {};
  const std::string_view cst = Valor(aConversor, aO, "CST_O09");
  std::string grupo;
  if (std::find(kTributado.begin(), kTributado.end(), cst) != kTributado.end())
    grupo = Envolver("IPITrib", aConversor.ConvertFieldsParaXML(aO, aLeiaute.tributado));
  else if (std::find(kNaoTributado.begin(), kNaoTributado.end(), cst) != kNaoTributado.end())
    grupo = Envolver("IPINT", aConversor.ConvertFieldsParaXML(aO, {"CST_O09"}));
  else
    return {};
  return Envolver("IPI", aConversor.ConvertFieldsParaXML(aO, aLeiaute.cabecalho) + grupo);
}

// --- PIS and COFINS -----------------------------------------------------------------------------

std::optional<TGrupoPIS> TabelaPIS_pl005a(std::string_view aCST) {
  const std::optional<int> codigo = CodigoDeDoisDigitos(aCST);
  if (!codigo) return std::nullopt;
  if (*codigo == 1 || *codigo == 2) return TGrupoPIS::Aliq;
  if (*codigo == 3) return TGrupoPIS::Qtde;
  if (*codigo >= 4 && *codigo <= 9) return TGrupoPIS::NT;
  if (*codigo == 99) return TGrupoPIS::Outr;
  return std::nullopt;
}

std::optional<TGrupoPIS> TabelaPIS_pl005f(std::string_view aCST) {
  const std::optional<int> codigo = CodigoDeDoisDigitos(aCST);
  if (!codigo || *codigo == 5) return std::nullopt;
  if (EhOutrasOperacoes(*codigo)) return TGrupoPIS::Outr;
  return TabelaPIS_pl005a(aCST);
}

std::optional<TGrupoPIS> TabelaPIS_pl006g(std::string_view aCST) {
  const std::optional<int> codigo = CodigoDeDoisDigitos(aCST);
  if (codigo && EhOutrasOperacoes(*codigo)) return TGrupoPIS::Outr;
  return TabelaPIS_pl005a(aCST);
}

std::string ConvertePIS(const TmoxXMLDataSetNFe& aConversor, const TXmlDataSetNFe& aQ, TTabelaPIS aTabela) {
  return ConvertePISouCOFINS(aConversor, aQ, kPIS, aTabela);
}

std::string ConverteCOFINS(const TmoxXMLDataSetNFe& aConversor, const TXmlDataSetNFe& aS, TTabelaPIS aTabela) {
  return ConvertePISouCOFINS(aConversor, aS, kCOFINS, aTabela);
}

}  // namespace mox
