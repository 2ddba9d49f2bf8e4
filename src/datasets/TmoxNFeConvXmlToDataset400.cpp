// Reading a 4.00 note. Its groups nest deeper and repeat tags inside one group (vDif of the state,
// the city and the CBS; xCampo of two observations), so a group is read in document order: each
// value goes to the next field of the data set with its tag, and only to an earlier one when the
// layout lists the fields in another order (the ICMS situations share one data set).
#include <cstring>

#include "datasets/TmoxNFeConvXmlToDataset.h"
#include "external/XmlDocument.h"

namespace mox {

namespace {

bool MesmoNome(xmlNodePtr aNode, std::string_view aNome) {
  return aNode && aNode->type == XML_ELEMENT_NODE && LocalName(aNode) == aNome;
}

bool TemFilhoElemento(xmlNodePtr aNode) {
  for (xmlNodePtr filho = aNode->children; filho; filho = filho->next)
    if (filho->type == XML_ELEMENT_NODE) return true;
  return false;
}

}  // namespace

std::vector<xmlNodePtr> TmoxNFeConvXmlToDataset::Filhos(xmlNodePtr aPai, std::string_view aNome) {
  std::vector<xmlNodePtr> filhos;
  if (aPai)
    for (xmlNodePtr filho = aPai->children; filho; filho = filho->next)
      if (MesmoNome(filho, aNome)) filhos.push_back(filho);
  return filhos;
}

xmlNodePtr TmoxNFeConvXmlToDataset::Filho(xmlNodePtr aPai, std::string_view aNome) {
  const std::vector<xmlNodePtr> filhos = Filhos(aPai, aNome);
  return filhos.empty() ? nullptr : filhos.front();
}

void TmoxNFeConvXmlToDataset::LeSequencial(const char* aDataSet, xmlNodePtr aGrupo,
                                           std::initializer_list<std::string_view> aIgnorados) {
  if (!aGrupo) return;
  const TXmlDataSetNFe& ds = DS->FindDataSet(aDataSet);
  std::vector<std::string_view> tags(ds.FieldCount());
  for (size_t i = 0; i < tags.size(); ++i) {
    const std::string& campo = ds.Field(i).FieldName();
    const size_t underscore = campo.find('_');
    if (underscore != std::string::npos) tags[i] = std::string_view(campo).substr(0, underscore);
  }
  std::vector<bool> lido(tags.size(), false);
  size_t cursor = 0;
  auto guarda = [&](std::string_view aTag, const std::string& aValor) {
    size_t achado = tags.size();
    for (size_t i = cursor; i < tags.size() && achado == tags.size(); ++i)
      if (!lido[i] && tags[i] == aTag) achado = i;
    if (achado == tags.size()) {
      for (size_t i = 0; i < cursor && achado == tags.size(); ++i)
        if (!lido[i] && tags[i] == aTag) achado = i;
      if (achado == tags.size()) return;  // a value of another data set
    } else {
      cursor = achado + 1;
    }
    lido[achado] = true;
    SetCampo(ds.Field(achado).FieldName(), aValor);
  };
  // Iterative walk, so a deeply nested document cannot exhaust the stack.
  xmlNodePtr no = aGrupo->children;
  while (no) {
    bool desce = false;
    if (no->type == XML_ELEMENT_NODE) {
      const std::string_view nome = LocalName(no);
      bool ignorado = false;
      for (std::string_view i : aIgnorados) ignorado = ignorado || i == nome;
      if (!ignorado) {
        for (xmlAttrPtr atributo = no->properties; atributo; atributo = atributo->next)
          guarda(reinterpret_cast<const char*>(atributo->name), NodeText(reinterpret_cast<xmlNodePtr>(atributo)));
        if (TemFilhoElemento(no))
          desce = true;
        else
          guarda(nome, NodeText(no));
      }
    }
    if (desce) {
      no = no->children;
      continue;
    }
    while (no && no != aGrupo && !no->next) no = no->parent;
    no = (!no || no == aGrupo) ? nullptr : no->next;
  }
}

void TmoxNFeConvXmlToDataset::LeRegistros(xmlNodePtr aPai, std::string_view aNome, const char* aPart) {
  for (xmlNodePtr no : Filhos(aPai, aNome)) {
    IncluirPart(aPart);
    LeSequencial(aPart, no);
    SalvarPart(aPart);
  }
}

void TmoxNFeConvXmlToDataset::ConvertItem400(xmlNodePtr aDet) {
  IncluirItem();
  SetCampo("nItem_H02", PrimeiroAtributo(aDet));
  xmlNodePtr prod = Filho(aDet, "prod");
  LeSequencial("I", prod, {"gCred", "DI", "detExport", "rastro", "veicProd", "med", "arma", "comb"});
  for (xmlNodePtr nve : Filhos(prod, "NVE")) {
    IncluirPart("NVE");
    SetCampo("NVE_I05a", NodeText(nve));
    SalvarPart("NVE");
  }
  LeRegistros(prod, "gCred", "GCRED");
  for (xmlNodePtr di : Filhos(prod, "DI")) {
    IncluirPart("DI");
    LeSequencial("DI", di, {"adi"});
    LeRegistros(di, "adi", "ADI");
    SalvarPart("DI");
  }
  for (xmlNodePtr exportacao : Filhos(prod, "detExport")) {
    IncluirPart("DETEXPORT");
    LeSequencial("DETEXPORT", exportacao, {"exportInd"});
    LeRegistros(exportacao, "exportInd", "EXPORTIND");
    SalvarPart("DETEXPORT");
  }
  LeRegistros(prod, "rastro", "RASTRO");
  LeSequencial("J", Filho(prod, "veicProd"));
  LeSequencial("K", Filho(prod, "med"));
  LeRegistros(prod, "arma", "L");
  xmlNodePtr comb = Filho(prod, "comb");
  LeSequencial("L1", comb, {"origComb"});
  LeRegistros(comb, "origComb", "ORIGCOMB");
  if (xmlNodePtr recopi = Filho(prod, "nRECOPI")) SetCampo("nRECOPI_LB01", NodeText(recopi));

  xmlNodePtr imposto = Filho(aDet, "imposto");
  if (xmlNodePtr total = Filho(imposto, "vTotTrib")) SetCampo("vTotTrib_M02", NodeText(total));
  struct TGrupoItem {
    const char* tag;
    const char* dataSet;
  };
  static constexpr TGrupoItem kImpostos[] = {{"ICMS", "N"},   {"ICMSUFDest", "NA"}, {"IPI", "O"},
                                             {"II", "P"},     {"PIS", "Q"},         {"PISST", "R"},
                                             {"COFINS", "S"}, {"COFINSST", "T"},    {"ISSQN", "U"},
                                             {"IS", "IS"},    {"IBSCBS", "IBSCBS"}};
  for (const TGrupoItem& grupo : kImpostos) LeSequencial(grupo.dataSet, Filho(imposto, grupo.tag));
  LeSequencial("UB", Filho(aDet, "impostoDevol"));
  LeSequencial("V", aDet, {"prod", "imposto", "impostoDevol"});
  SalvarItem();
}

void TmoxNFeConvXmlToDataset::ConvertNota400(xmlNodePtr aInfNFe) {
  xmlNodePtr ide = Filho(aInfNFe, "ide");
  LeSequencial("B", ide, {"NFref", "gPagAntecipado"});
  ConvertReferencias(aInfNFe, true);
  for (xmlNodePtr antecipado : Filhos(ide, "gPagAntecipado"))
    for (xmlNodePtr chave : Filhos(antecipado, "refNFe")) {
      IncluirPart("BB");
      SetCampo("refNFe_BB02", NodeText(chave));
      SalvarPart("BB");
    }
  static constexpr std::pair<const char*, const char*> kPartes[] = {
      {"emit", "C"}, {"avulsa", "D"}, {"dest", "E"}, {"retirada", "F"}, {"entrega", "G"}};
  for (const auto& [tag, parte] : kPartes) LeSequencial(parte, Filho(aInfNFe, tag));
  LeRegistros(aInfNFe, "autXML", "AUTXML");
  for (xmlNodePtr det : Filhos(aInfNFe, "det")) ConvertItem400(det);
  LeSequencial("W", Filho(aInfNFe, "total"));
  ConvertTransporte(aInfNFe, "4.00");
  xmlNodePtr cobr = Filho(aInfNFe, "cobr");
  LeSequencial("Y", Filho(cobr, "fat"));
  LeRegistros(cobr, "dup", "DUP");
  xmlNodePtr pag = Filho(aInfNFe, "pag");
  LeRegistros(pag, "detPag", "YA");
  if (xmlNodePtr troco = Filho(pag, "vTroco")) SetCampo("vTroco_YA09", NodeText(troco));
  LeSequencial("YB", Filho(aInfNFe, "infIntermed"));
  ConvertInformacoesAdicionais(aInfNFe);
  LeSequencial("Z", Filho(aInfNFe, "exporta"));
  LeSequencial("Z", Filho(aInfNFe, "compra"));
  ConvertCana(aInfNFe);
  LeSequencial("ZD", Filho(aInfNFe, "infRespTec"));
  LeSequencial("ZE", Filho(aInfNFe, "infSolicNFF"));
  xmlNodePtr agro = Filho(aInfNFe, "agropecuario");
  LeRegistros(agro, "defensivo", "DEFENSIVO");
  LeSequencial("ZF", Filho(agro, "guiaTransito"));
  Salvar();
}

}  // namespace mox
