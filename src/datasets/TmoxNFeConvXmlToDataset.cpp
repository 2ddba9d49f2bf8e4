#include "datasets/TmoxNFeConvXmlToDataset.h"

#include <cstring>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "base/EmoxException.h"
#include "datasets/TmoxNFeConverter.h"
#include "external/EKivoException.h"
#include "external/TmoxKivoUtils.h"
#include "external/XmlTreeWalk.h"
#include "utils/moxXmlLookup.h"

namespace mox {

namespace {

// An element of the NF-e namespace, or of no namespace at all (the bare infNFe of a batch text).
bool EhNFe(xmlNodePtr aNode, const char* aName) {
  return aNode->type == XML_ELEMENT_NODE && LocalName(aNode) == aName &&
         (!aNode->ns || (aNode->ns->href && std::strcmp(reinterpret_cast<const char*>(aNode->ns->href),
                                                       TmoxKivoUtils::kNFeNamespace) == 0));
}

// The tag of a field: its name up to the first underscore; empty without one.
std::string GetNameXML(const std::string& aField) {
  const size_t underscore = aField.find('_');
  return underscore == std::string::npos ? std::string() : aField.substr(0, underscore);
}

// An attribute's value; empty without the node or the attribute.
std::string Atributo(xmlNodePtr aNode, const char* aName) {
  if (!aNode) return {};
  xmlChar* value = xmlGetProp(aNode, reinterpret_cast<const xmlChar*>(aName));
  if (!value) return {};
  std::string text = reinterpret_cast<const char*>(value);
  xmlFree(value);
  return text;
}

// A source searched for many tags: GetValueTag's answers, with the NF-e default-namespace
// declarations dropped once and the first bare opening and first closing tag of every name found
// in one pass, instead of a copy and two searches per tag.
class TextoDeBusca {
 public:
  explicit TextoDeBusca(const std::string& aTexto) {
    static const std::string kDeclaracao = std::string(" xmlns=\"") + TmoxKivoUtils::kNFeNamespace + "\">";
    texto_.reserve(aTexto.size());
    size_t de = 0;
    for (size_t p; (p = aTexto.find(kDeclaracao, de)) != std::string::npos; de = p + kDeclaracao.size())
      texto_.append(aTexto, de, p - de).push_back('>');
    texto_.append(aTexto, de, std::string::npos);
    Indexa();
  }
  // The index points into the text: the object stays where it was made.
  TextoDeBusca(const TextoDeBusca&) = delete;
  TextoDeBusca& operator=(const TextoDeBusca&) = delete;

  std::string ValorDaTag(const std::string& aTag) const {
    const auto tag = tags_.find(aTag);
    if (tag == tags_.end() || tag->second.fecha == std::string::npos) return {};
    const Posicoes& p = tag->second;
    if (p.abre == std::string::npos) return GetValueTag(aTag, texto_);  // its rule for an attributed tag
    const size_t inicio = p.abre + aTag.size() + 2;
    return p.fecha <= inicio ? std::string() : texto_.substr(inicio, p.fecha - inicio);
  }

 private:
  struct Posicoes {
    size_t abre = std::string::npos;   // first "<tag>"
    size_t fecha = std::string::npos;  // first "</tag>"
  };

  void Indexa() {
    const std::string_view texto = texto_;
    for (size_t lt = texto.find('<'); lt != std::string_view::npos; lt = texto.find('<', lt + 1)) {
      const bool fecho = lt + 1 < texto.size() && texto[lt + 1] == '/';
      const size_t inicio = lt + (fecho ? 2 : 1);
      const size_t fim = texto.find_first_of("> /\t\r\n<", inicio);
      if (fim == std::string_view::npos) break;
      if (texto[fim] != '>' || fim == inicio) continue;  // only bare tags count
      Posicoes& p = tags_[texto.substr(inicio, fim - inicio)];
      size_t& primeira = fecho ? p.fecha : p.abre;
      if (primeira == std::string::npos) primeira = lt;
    }
  }

  std::string texto_;
  std::unordered_map<std::string_view, Posicoes> tags_;
};

}  // namespace

// One note of the input: its infNFe and, for an authorized note, its protocol.
struct TmoxNFeConvXmlToDataset::TNota {
  xmlNodePtr infNFe = nullptr;
  xmlNodePtr protNFe = nullptr;
  xmlNodePtr nfeProc = nullptr;
};

TmoxNFeConvXmlToDataset::TmoxNFeConvXmlToDataset(TmoxKivoUtils& aUtils) : FUtils(aUtils) {}

TmoxNFeConvXmlToDataset::~TmoxNFeConvXmlToDataset() = default;

// --- Reading primitives -------------------------------------------------------------------------

std::string TmoxNFeConvXmlToDataset::GetNodeXml(xmlNodePtr aScope, const char* aNodeName) const {
  const std::vector<xmlNodePtr> nodes = GetNodes(aScope, aNodeName);
  return nodes.empty() ? std::string() : NodeXml(nodes.front());
}

std::vector<xmlNodePtr> TmoxNFeConvXmlToDataset::GetNodes(xmlNodePtr aScope, const char* aNodeName) const {
  if (aScope == fInfNFe) {  // the note's elements were listed once, in document order
    const auto found = fElementos.find(std::string_view(aNodeName));
    return found == fElementos.end() ? std::vector<xmlNodePtr>() : found->second;
  }
  std::vector<xmlNodePtr> nodes;
  ForEachElement(aScope, [&](xmlNodePtr aNode) {
    if (aNode != aScope && EhNFe(aNode, aNodeName)) nodes.push_back(aNode);
  });
  return nodes;
}

void TmoxNFeConvXmlToDataset::ListaElementos(xmlNodePtr aInfNFe) {
  fElementos.clear();
  fInfNFe = aInfNFe;
  ForEachElement(aInfNFe, [&](xmlNodePtr aNode) {
    if (aNode != aInfNFe && EhNFe(aNode, reinterpret_cast<const char*>(aNode->name)))
      fElementos[std::string_view(reinterpret_cast<const char*>(aNode->name))].push_back(aNode);
  });
}

void TmoxNFeConvXmlToDataset::SetCampo(const std::string& aField, const std::string& aValue) {
  // Values keep the escaped form every reader stores ("&amp;", "&quot;"), whichever way the XML
  // text wrote the quotes.
  const std::string valor = EscapeCaracteres(aValue);
  DS->Campo(aField).SetAsString(valor);
  AddTx2(aField + "=" + valor);
}

void TmoxNFeConvXmlToDataset::ConvertXmlEmDataSet(const char* aDataSet, const std::string& aSource) {
  if (aSource.empty()) return;
  const TXmlDataSetNFe& ds = DS->FindDataSet(aDataSet);
  const TextoDeBusca fonte(aSource);
  for (size_t i = 0; i < ds.FieldCount(); ++i) {
    const std::string& campo = ds.Field(i).FieldName();
    const std::string tag = GetNameXML(campo);
    if (tag.empty()) continue;
    const std::string valor = fonte.ValorDaTag(tag);
    if (!valor.empty()) SetCampo(campo, valor);
  }
}

void TmoxNFeConvXmlToDataset::ConvertXmlEmPartDataSet(xmlNodePtr aScope, const char* aNodeName, const char* aPart) {
  for (xmlNodePtr node : GetNodes(aScope, aNodeName)) {
    IncluirPart(aPart);
    ConvertXmlEmDataSet(aPart, GetValueTag(aNodeName, NodeXml(node)));
    SalvarPart(aPart);
  }
}

void TmoxNFeConvXmlToDataset::AddValueField(const std::string& aField, const std::string& aXml) {
  SetCampo(aField, GetValueTag(GetNameXML(aField), aXml));
}

std::string TmoxNFeConvXmlToDataset::PrimeiroAtributo(xmlNodePtr aNode) const {
  // The attribute the utility server gives at index 1 of the node's own XML, where the namespace
  // declaration comes first; read from the parsed node instead of parsing that XML again.
  return aNode->properties ? NodeText(reinterpret_cast<xmlNodePtr>(aNode->properties)) : std::string();
}

void TmoxNFeConvXmlToDataset::ConvertAtributoETexto(xmlNodePtr aScope, const char* aNodeName, const char* aPart,
                                                    const char* aAttrField, const char* aValueField) {
  for (xmlNodePtr node : GetNodes(aScope, aNodeName)) {
    const std::string xml = NodeXml(node);
    IncluirPart(aPart);
    SetCampo(aAttrField, PrimeiroAtributo(node));
    AddValueField(aValueField, xml);
    SalvarPart(aPart);
  }
}

// --- Commands -----------------------------------------------------------------------------------

void TmoxNFeConvXmlToDataset::AddTx2(std::string aLine) {
  if (FTx2) FTx2->push_back(std::move(aLine));
}

void TmoxNFeConvXmlToDataset::Incluir() {
  DS->Incluir();
  AddTx2("INCLUIR");
}

void TmoxNFeConvXmlToDataset::IncluirItem() {
  DS->IncluirItem();
  AddTx2("INCLUIRITEM");
}

void TmoxNFeConvXmlToDataset::IncluirPart(const std::string& aPart) {
  DS->IncluirPart(aPart);
  AddTx2("INCLUIRPARTE=" + aPart);
}

void TmoxNFeConvXmlToDataset::Salvar() {
  DS->Salvar();
  AddTx2("SALVAR");
}

void TmoxNFeConvXmlToDataset::SalvarItem() {
  DS->SalvarItem();
  AddTx2("SALVARITEM");
}

void TmoxNFeConvXmlToDataset::SalvarPart(const std::string& aPart) {
  DS->SalvarPart(aPart);
  AddTx2("SALVARPARTE=" + aPart);
}

// --- Groups -------------------------------------------------------------------------------------

void TmoxNFeConvXmlToDataset::ConvertReferencias(xmlNodePtr aInfNFe, bool aLeiaute310) {
  struct TAlternativa {
    const char* tag;
    std::vector<const char*> antigos, novos;
  };
  static const std::vector<TAlternativa> kAlternativas{
      {"refNFe", {"refNFe_B13"}, {"refNFe_BA02"}},
      {"refNFeSig", {}, {"refNFeSig_BA02a"}},  // 4.00
      {"refNF",
       {"cUF_B15", "AAMM_B16", "CNPJ_B17", "mod_B18", "serie_B19", "nNF_B20"},
       {"cUF_BA04", "AAMM_BA05", "CNPJ_BA06", "mod_BA07", "serie_BA08", "nNF_BA09"}},
      {"refNFP",
       {"cUF_B20b", "AAMM_B20c", "IE_B20f", "mod_B20g", "serie_B20h", "nNF_B20ha", "CNPJ_B20d", "CPF_B20e"},
       {"cUF_BA11", "AAMM_BA12", "CNPJ_BA13", "CPF_BA14", "IE_BA15", "mod_BA16", "serie_BA17", "nNF_BA18"}},
      {"refCTe", {"refCTe_B20i"}, {"refCTe_BA19"}},
      {"refECF", {"mod_B20k", "nECF_B20l", "nCOO_B20m"}, {"mod_BA21", "nECF_BA22", "nCOO_BA23"}},
  };
  for (xmlNodePtr ref : GetNodes(aInfNFe, "NFref")) {
    const std::string xml = NodeXml(ref);
    IncluirPart("NREF");
    for (const TAlternativa& alternativa : kAlternativas) {
      // Only the alternative this reference holds: the others would write empty values.
      const std::string grupo = GetValueTag(alternativa.tag, xml);
      if (grupo.empty()) continue;
      const bool simples = std::strcmp(alternativa.tag, "refNFe") == 0 || std::strcmp(alternativa.tag, "refCTe") == 0 ||
                           std::strcmp(alternativa.tag, "refNFeSig") == 0;
      for (const char* campo : aLeiaute310 ? alternativa.novos : alternativa.antigos)
        AddValueField(campo, simples ? xml : grupo);
    }
    SalvarPart("NREF");
  }
}

void TmoxNFeConvXmlToDataset::ConvertTotais(xmlNodePtr aInfNFe) {
  ConvertXmlEmDataSet("W", GetNodeXml(aInfNFe, "ICMSTot"));
  ConvertXmlEmDataSet("W", GetNodeXml(aInfNFe, "retTrib"));
  // The service totals repeat tags of the ICMS totals (vBC, vPIS, vCOFINS, vOutro): their fields,
  // items W18 to W22x, take the ISSQNtot values, or nothing without that group.
  const std::string issqn = GetNodeXml(aInfNFe, "ISSQNtot");
  const TXmlDataSetNFe& w = DS->FindDataSet("W");
  for (size_t i = 0; i < w.FieldCount(); ++i) {
    const std::string& campo = w.Field(i).FieldName();
    const size_t underscore = campo.find('_');
    if (underscore == std::string::npos) continue;
    const std::string item = campo.substr(underscore + 1, 3);
    if (item >= "W18" && item <= "W22") AddValueField(campo, issqn);
  }
}

void TmoxNFeConvXmlToDataset::ConvertItem(xmlNodePtr aDet, const std::string& aVersao) {
  const TextoDeBusca det(NodeXml(aDet));  // searched for every group of the item
  const bool v310 = aVersao == "3.10";
  IncluirItem();
  SetCampo("nItem_H02", PrimeiroAtributo(aDet));
  ConvertXmlEmDataSet("I", det.ValorDaTag("prod"));
  for (xmlNodePtr nve : GetNodes(aDet, "NVE")) {
    IncluirPart("NVE");
    AddValueField("NVE_I05a", NodeXml(nve));
    SalvarPart("NVE");
  }
  // Declarations with their additions, exports with their indirect exports: each addition and
  // each indirect export under its own parent.
  for (xmlNodePtr di : GetNodes(aDet, "DI")) {
    IncluirPart("DI");
    ConvertXmlEmDataSet("DI", GetValueTag("DI", NodeXml(di)));
    ConvertXmlEmPartDataSet(di, "adi", "ADI");
    SalvarPart("DI");
  }
  if (v310)
    for (xmlNodePtr exportacao : GetNodes(aDet, "detExport")) {
      IncluirPart("DETEXPORT");
      ConvertXmlEmDataSet("DETEXPORT", GetValueTag("detExport", NodeXml(exportacao)));
      ConvertXmlEmPartDataSet(exportacao, "exportInd", "EXPORTIND");
      SalvarPart("DETEXPORT");
    }
  ConvertXmlEmDataSet("J", det.ValorDaTag("veicProd"));
  ConvertXmlEmPartDataSet(aDet, "med", "K");
  ConvertXmlEmPartDataSet(aDet, "arma", "L");
  ConvertXmlEmDataSet("L1", det.ValorDaTag("comb"));
  if (v310) {
    const std::string recopi = det.ValorDaTag("nRECOPI");
    if (!recopi.empty()) SetCampo("nRECOPI_LB01", recopi);
  }
  // The estimated tax total exists from the late 2.00 packages on.
  if (DS->FindDataSet("M").FindXmlField("vTotTrib_M02")) SetCampo("vTotTrib_M02", det.ValorDaTag("vTotTrib"));
  ConvertXmlEmDataSet("N", det.ValorDaTag("ICMS"));
  if (FVersaoEsquema >= TVersaoEsquema::pl_008g) ConvertXmlEmDataSet("NA", det.ValorDaTag("ICMSUFDest"));
  ConvertXmlEmDataSet("O", det.ValorDaTag("IPI"));
  ConvertXmlEmDataSet("P", det.ValorDaTag("II"));
  ConvertXmlEmDataSet("Q", det.ValorDaTag("PIS"));
  ConvertXmlEmDataSet("R", det.ValorDaTag("PISST"));
  ConvertXmlEmDataSet("S", det.ValorDaTag("COFINS"));
  ConvertXmlEmDataSet("T", det.ValorDaTag("COFINSST"));
  ConvertXmlEmDataSet("U", det.ValorDaTag("ISSQN"));
  if (v310) ConvertXmlEmDataSet("UB", det.ValorDaTag("impostoDevol"));
  SetCampo("infAdProd_V01", det.ValorDaTag("infAdProd"));
  SalvarItem();
}

void TmoxNFeConvXmlToDataset::ConvertTransporte(xmlNodePtr aInfNFe, const std::string& aVersao) {
  // Every transport value lies inside transp: searching it is searching the whole note.
  const std::string nota = GetNodeXml(aInfNFe, "transp");
  AddValueField("modFrete_X02", nota);
  ConvertXmlEmDataSet("X", GetNodeXml(aInfNFe, "transporta"));
  ConvertXmlEmDataSet("X", GetNodeXml(aInfNFe, "retTransp"));
  if (aVersao != "1.10") {
    AddValueField("vagao_X25a", nota);
    AddValueField("balsa_X25b", nota);
  }
  const std::string veiculo = GetValueTag("veicTransp", nota);
  for (const char* campo : {"placa_X19", "UF_X20", "RNTC_X21"}) AddValueField(campo, veiculo);
  ConvertXmlEmPartDataSet(aInfNFe, "reboque", "REBOQUE");
  // Each volume with its own seals.
  for (xmlNodePtr vol : GetNodes(aInfNFe, "vol")) {
    IncluirPart("VOL");
    ConvertXmlEmDataSet("VOL", GetValueTag("vol", NodeXml(vol)));
    ConvertXmlEmPartDataSet(vol, "lacres", "LACRE");
    SalvarPart("VOL");
  }
}

void TmoxNFeConvXmlToDataset::ConvertInformacoesAdicionais(xmlNodePtr aInfNFe) {
  const std::vector<xmlNodePtr> adicionais = GetNodes(aInfNFe, "infAdic");
  if (adicionais.empty()) return;
  // The observations of the note only: from 4.00 on an item has observations of its own.
  xmlNodePtr infAdic = adicionais.front();
  ConvertXmlEmDataSet("Z", NodeXml(infAdic));
  ConvertXmlEmPartDataSet(infAdic, "procRef", "PROCREF");
  ConvertAtributoETexto(infAdic, "obsCont", "OBSCONT", "xCampo_Z05", "xTexto_Z06");
  ConvertAtributoETexto(infAdic, "obsFisco", "OBSFISCO", "xCampo_Z08", "xTexto_Z09");
}

void TmoxNFeConvXmlToDataset::ConvertCana(xmlNodePtr aInfNFe) {
  ConvertXmlEmDataSet("CANA", GetNodeXml(aInfNFe, "cana"));
  ConvertXmlEmPartDataSet(aInfNFe, "deduc", "DEDUC");
  ConvertAtributoETexto(aInfNFe, "forDia", "FORDIA", "dia_ZC05", "qtde_ZC06");
}

// --- Note ---------------------------------------------------------------------------------------

void TmoxNFeConvXmlToDataset::ConvertParts(const TNota& aNota) {
  xmlNodePtr inf = aNota.infNFe;
  ListaElementos(inf);
  Incluir();
  const std::string versao = VersaoLeiauteDoEsquema(FVersaoEsquema);
  SetCampo("versao_A02", versao);
  if (versao == "4.00") return ConvertNota400(inf);
  ConvertXmlEmDataSet("B", GetNodeXml(inf, "ide"));
  // The item numbers of the references follow the layout of the document read.
  ConvertReferencias(inf, Atributo(inf, "versao") == "3.10" || Atributo(aNota.nfeProc, "versao") == "3.10");
  ConvertXmlEmDataSet("C", GetNodeXml(inf, "emit"));
  ConvertXmlEmDataSet("D", GetNodeXml(inf, "avulsa"));
  ConvertXmlEmDataSet("E", GetNodeXml(inf, "dest"));
  ConvertXmlEmDataSet("F", GetNodeXml(inf, "retirada"));
  ConvertXmlEmDataSet("G", GetNodeXml(inf, "entrega"));
  if (versao == "3.10") ConvertXmlEmPartDataSet(inf, "autXML", "AUTXML");  // every authorized party
  ConvertXmlEmDataSet("Z", GetNodeXml(inf, "exporta"));
  ConvertXmlEmDataSet("Z", GetNodeXml(inf, "compra"));
  ConvertTotais(inf);
  if (versao == "2.00" || versao == "3.10") ConvertCana(inf);
  for (xmlNodePtr det : GetNodes(inf, "det")) ConvertItem(det, versao);
  ConvertTransporte(inf, versao);
  ConvertInformacoesAdicionais(inf);
  ConvertXmlEmDataSet("Y", GetNodeXml(inf, "fat"));
  ConvertXmlEmPartDataSet(inf, "dup", "DUP");
  if (DS->ActiveDSVersao().DataSetOrNull("YA")) ConvertXmlEmPartDataSet(inf, "pag", "YA");  // 3.10 payments
  Salvar();
}

void TmoxNFeConvXmlToDataset::DadosDeAutorizacao(const TNota& aNota) {
  const std::string prot = aNota.protNFe ? NodeXml(aNota.protNFe) : std::string();
  for (const char* nome : {"tpAmb", "verAplic", "chNFe", "dhRecbto", "nProt", "digVal", "cStat", "xMotivo"})
    fDadosAutorizacao.push_back(std::string(nome) + "=" + GetValueTag(nome, prot));
}

void TmoxNFeConvXmlToDataset::Desliga() {
  DS = nullptr;
  fInfNFe = nullptr;
  fElementos.clear();
}

std::unique_ptr<TmoxNFeDataSets> TmoxNFeConvXmlToDataset::ConvertDataset() {
  const std::string xml = FUtils.RemoveBOM(FXml);
  std::optional<XmlDocument> doc;
  try {
    doc.emplace(XmlDocument::Parse(xml));
  } catch (const EKivoException& e) {
    throw EmoxConvXmlException(std::string("O texto informado não é um XML válido: ") + e.what(), fDiretorioLogErro);
  }
  // Every infNFe of the text, each with the protocol of its nfeProc when there is one.
  std::vector<TNota> notas;
  ForEachElement(doc->Root(), [&](xmlNodePtr aNode) {
    if (!EhNFe(aNode, "infNFe")) return;
    TNota nota{aNode, nullptr, nullptr};
    xmlNodePtr nfe = aNode->parent;
    if (nfe && nfe->type == XML_ELEMENT_NODE && nfe->parent && nfe->parent->type == XML_ELEMENT_NODE &&
        EhNFe(nfe->parent, "nfeProc")) {
      nota.nfeProc = nfe->parent;
      nota.protNFe = FindElement(nfe->parent, [](xmlNodePtr n) { return EhNFe(n, "protNFe"); });
    }
    notas.push_back(nota);
  });
  if (notas.empty())
    throw EmoxConvXmlException::CreateFmt(
        "O XML informado não é uma NF-e: o elemento raiz <%s> (linha %d) não contém infNFe no namespace %s.",
        {std::string(LocalName(doc->Root())), static_cast<int>(xmlGetLineNo(doc->Root())),
         TmoxKivoUtils::kNFeNamespace},
        fDiretorioLogErro);

  auto result = std::make_unique<TmoxNFeDataSets>();
  result->SetVersaoEsquema(FVersaoEsquema);
  result->SetXMLDicionario(FXmlDicionario);
  DS = result.get();
  fDadosAutorizacao.clear();
  try {
    for (const TNota& nota : notas) {
      ConvertParts(nota);
      DadosDeAutorizacao(nota);
    }
  } catch (...) {
    Desliga();
    throw;
  }
  Desliga();
  return result;
}

}  // namespace mox
