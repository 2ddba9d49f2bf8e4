// The item records of a note, with their medicine lots and new vehicles, and its references.
#include "danfe/TmoxNFeDanfeDados.h"
#include "external/TmoxKivoUtils.h"
#include "utils/TmoxNFeXmlUtils.h"
#include "utils/moxDataHoraNFe.h"
#include "utils/moxXmlLookup.h"

namespace mox {

namespace {

constexpr const char* kNamespaceNFe = " xmlns=\"http://www.portalfiscal.inf.br/nfe\"";

std::string SemPrimeiroNamespace(std::string aTexto) {
  size_t p = aTexto.find(kNamespaceNFe);
  if (p != std::string::npos) aTexto.erase(p, std::char_traits<char>::length(kNamespaceNFe));
  return aTexto;
}

}  // namespace

void TmoxNFeDanfeDados::GetItens(int aIndice) {
  std::string infNFe = TmoxNFeXmlUtils::getNotaXPath(aIndice, fXml, false);
  std::vector<std::string> itens;
  GetKivoUtils().XPathSelectNodes(infNFe, ".//nfx:infNFe/nfx:det", itens, TmoxKivoUtils::kNfxDeclaration);
  std::string nNF = Dados("nNF");
  for (const std::string& no : itens) {
    std::string item = SemPrimeiroNamespace(no);
    std::string numero = GetKivoUtils().GetXMLAttributeByIndex(item, "", 0);
    fDataSetItens.Append();
    Set(fDataSetItens, "nNF", nNF);
    GetDadosItem(item, numero);
    GetTributosReforma(item);
    fDataSetItens.Post();
    if (fPossuiMed) GetMedicamentos(item, numero);
    GetVeiculoNovo(item, numero);
  }
}

void TmoxNFeDanfeDados::GetDadosItem(const std::string& aXmlItem, const std::string& aNumItem) {
  auto t = [&aXmlItem](const char* aTag) { return GetValueTag(aTag, aXmlItem); };
  auto set = [this](const char* aCampo, const std::string& aValor) { Set(fDataSetItens, aCampo, aValor); };
  auto dec = [](const std::string& aValor) { return VirgulaDecimal(aValor); };
  set("Item", aNumItem);
  static const std::pair<const char*, const char*> diretos[] = {
      {"ItemCodigo", "cProd"}, {"ItemEAN", "cEAN"},   {"ItemNCM", "NCM"},   {"ItemPedido", "xPed"},
      {"ItemEX_TIPI", "EXTIPI"}, {"ItemORIG", "orig"}, {"ItemCFOP", "CFOP"}, {"ItemUnidade", "uCom"},
      {"ItemNLote", "nLote"},  {"ItemQLote", "qLote"}, {"ItemDFab", "dFab"}, {"ItemDVal", "dVal"},
      {"ItemClEnq", "clEnq"},  {"ItemCNPJProd", "CNPJProd"}, {"ItemCSelo", "cSelo"}, {"ItemQCelo", "qSelo"},
      {"ItemCEnq", "cEnq"}};
  for (const auto& [campo, tag] : diretos) set(campo, t(tag));
  static const std::pair<const char*, const char*> decimais[] = {
      {"ItemQuantidade", "qCom"}, {"ItemVUnit", "vUnCom"}, {"ItemVTotal", "vProd"}, {"ItemVDesc", "vDesc"},
      {"ItemVSeg", "vSeg"},       {"ItemVFrete", "vFrete"}, {"ItemVOutro", "vOutro"}, {"ItemVTotTrib", "vTotTrib"},
      {"ItemVPMC", "vPMC"},       {"ItemAliqIPI", "pIPI"}, {"ItemVIPI", "vIPI"}};
  for (const auto& [campo, tag] : decimais) set(campo, dec(t(tag)));
  set("ItemDescricao", GetValueTag("xProd", GetValueTagTratado("xProd", aXmlItem, true)));
  set("ItemObs", GetValueTag("infAdProd", GetValueTagTratado("infAdProd", aXmlItem, true)));
  set("ItemCST", t("CST"));
  if (fImprimirUnidadeTributada) {
    set("ItemUnidadeTributada", t("uTrib"));
    set("ItemQuantidadeTributada", dec(t("qTrib")));
    set("ItemVUnitTributado", dec(t("vUnTrib")));
  }

  std::string icms = GetValueTagTratado("ICMS", aXmlItem, false);
  auto g = [](const std::string& aGrupo, const char* aTag) { return GetValueTag(aTag, aGrupo); };
  set("ItemVIcms", g(icms, "motDesICMS") == "7" ? std::string() : dec(g(icms, "vICMS")));
  static const std::pair<const char*, const char*> doIcms[] = {
      {"ItemBCalcIcms", "vBC"}, {"ItemAliqIcms", "pICMS"}, {"ItemAliqIcmsST", "pICMSST"}, {"ItemVIcmsST", "vICMSST"},
      {"ItemBCalcIcmsST", "vBCST"}, {"ItemPercMargemValorAdiICMSST", "pMVAST"}, {"ItemVIcmsDesonerado", "vICMSDeson"}};
  for (const auto& [campo, tag] : doIcms) set(campo, dec(g(icms, tag)));
  set("ItemMotivoDesoneracaoICMS", g(icms, "motDesICMS"));

  struct Contribuicao {
    const char* grupo;
    const char* campos[6];
  };
  static const Contribuicao contribuicoes[] = {
      {"PIS", {"ItemVPIS", "ItemBCalcPIS", "ItemAliqPIS", "ItemCSTPIS", "ItemQBCProdPIS", "ItemVAliqProdPIS"}},
      {"COFINS",
       {"ItemVCOFINS", "ItemBCalcCOFINS", "ItemAliqCOFINS", "ItemCSTCOFINS", "ItemQBCProdCOFINS", "ItemVAliqProdCOFINS"}}};
  for (const auto& c : contribuicoes) {
    std::string grupo = GetValueTagTratado(c.grupo, aXmlItem, false);
    std::string prefixo = c.grupo;
    const char* tags[] = {"v", "vBC", "p", "CST", "qBCProd", "vAliqProd"};
    for (int i = 0; i < 6; ++i) {
      std::string tag = tags[i];
      if (tag == "v" || tag == "p") tag += prefixo;
      set(c.campos[i], dec(g(grupo, tag.c_str())));
    }
  }
  std::string ii = GetValueTagTratado("II", aXmlItem, false);
  set("ItemIIVBC", dec(g(ii, "vBC")));
  set("ItemIIvDespAdu", dec(g(ii, "vDespAdu")));
  set("ItemIIvII", dec(g(ii, "vII")));
  set("ItemIIvIOF", dec(g(ii, "vIOF")));
}

namespace {

// "rótulo valor" pieces of a tax summary joined by "; ", the empty values left out.
std::string Resumo(const std::string& aCabeca, std::initializer_list<std::pair<std::string, std::string>> aPartes) {
  std::string texto;
  for (const auto& [rotulo, valor] : aPartes) {
    if (valor.empty()) continue;
    texto += (texto.empty() ? ": " : "; ") + rotulo + (rotulo.empty() ? "" : " ") + valor;
  }
  return aCabeca + texto;
}

// A rate and its value: "0,1000% 0,70", or the value alone without a rate.
std::string AliquotaEValor(const std::string& aAliquota, const std::string& aValor) {
  if (aValor.empty()) return {};
  return aAliquota.empty() ? aValor : aAliquota + "% " + aValor;
}

}  // namespace

void TmoxNFeDanfeDados::GetTributosReforma(const std::string& aXmlItem) {
  auto g = [](const std::string& aGrupo, const char* aTag) { return GetValueTag(aTag, aGrupo); };
  auto dec = [&g](const std::string& aGrupo, const char* aTag) { return VirgulaDecimal(g(aGrupo, aTag)); };
  std::vector<std::string> linhas;
  const std::string ibscbs = GetValueTag("IBSCBS", aXmlItem);
  if (!ibscbs.empty()) {
    const std::string cabeca = "IBS/CBS CST " + g(ibscbs, "CST") + " cClassTrib " + g(ibscbs, "cClassTrib");
    const std::string comum = GetValueTag("gIBSCBS", ibscbs);
    const std::string mono = GetValueTag("gIBSCBSMono", ibscbs);
    std::string vIBS, vCBS;
    if (!comum.empty()) {
      vIBS = dec(comum, "vIBS");
      vCBS = dec(comum, "vCBS");
      const std::string uf = GetValueTag("gIBSUF", comum), mun = GetValueTag("gIBSMun", comum),
                        cbs = GetValueTag("gCBS", comum);
      linhas.push_back(Resumo(cabeca, {{"BC", dec(comum, "vBC")},
                                       {"IBS UF", AliquotaEValor(dec(uf, "pIBSUF"), dec(uf, "vIBSUF"))},
                                       {"IBS Mun.", AliquotaEValor(dec(mun, "pIBSMun"), dec(mun, "vIBSMun"))},
                                       {"IBS", vIBS},
                                       {"CBS", AliquotaEValor(dec(cbs, "pCBS"), vCBS)}}));
    } else if (!mono.empty()) {
      vIBS = dec(mono, "vTotIBSMonoItem");
      vCBS = dec(mono, "vTotCBSMonoItem");
      linhas.push_back(Resumo(cabeca, {{"IBS monofásico", vIBS}, {"CBS monofásica", vCBS}}));
    } else {
      linhas.push_back(cabeca);
    }
    Set(fDataSetItens, "ItemVIBS", vIBS);
    Set(fDataSetItens, "ItemVCBS", vCBS);
  }
  const std::string is = GetValueTag("IS", aXmlItem);
  if (!is.empty()) {
    Set(fDataSetItens, "ItemVIS", dec(is, "vIS"));
    linhas.push_back(Resumo("IS CST " + g(is, "CSTIS") + " cClassTrib " + g(is, "cClassTribIS"),
                            {{"BC", dec(is, "vBCIS")}, {"", AliquotaEValor(dec(is, "pIS"), dec(is, "vIS"))}}));
  }
  std::string texto;
  for (const std::string& linha : linhas) texto += (texto.empty() ? "" : "\n") + linha;
  Set(fDataSetItens, "ItemTributosReforma", texto);
}

void TmoxNFeDanfeDados::GetMedicamentos(const std::string& aXmlItem, const std::string& aNumItem) {
  std::string prod = "<prod>" + GetValueTag("prod", aXmlItem) + "</prod>";
  std::vector<std::string> lotes;
  try {
    GetKivoUtils().XPathSelectNodes(prod, "/prod/med", lotes);
  } catch (const std::exception&) {
    lotes.clear();
  }
  // Every item of a note with medicines has at least one line.
  if (lotes.empty()) lotes.emplace_back();
  for (const std::string& med : lotes) {
    fDataSetMed.Append();
    Set(fDataSetMed, "Item", aNumItem);
    if (!med.empty()) {
      Set(fDataSetMed, "nLote", GetValueTag("nLote", med));
      Set(fDataSetMed, "qLote", GetValueTag("qLote", med));
      Set(fDataSetMed, "dFab", ConverteData(GetValueTag("dFab", med)));
      Set(fDataSetMed, "dVal", ConverteData(GetValueTag("dVal", med)));
      Set(fDataSetMed, "vPMC", VirgulaDecimal(GetValueTag("vPMC", med)));
    }
    fDataSetMed.Post();
  }
}

void TmoxNFeDanfeDados::GetVeiculoNovo(const std::string& aXmlItem, const std::string& aNumItem) {
  static const char* campos[] = {"chassi", "cCor", "xCor", "pot", "CM3", "pesoL", "pesoB", "nSerie",
                                 "tpComb", "nMotor", "CMT", "CMKG", "dist", "RENAVAM", "anoMod", "anoFab",
                                 "tpPint", "tpVeic", "espVeic", "VIN", "condVeic", "cMod", "cilin"};
  std::string veic = GetValueTag("veicProd", aXmlItem);
  fDataSetVeic.Append();
  Set(fDataSetVeic, "Item", aNumItem);
  Set(fDataSetVeic, "tpOp", GetValueTag("tpOP", veic));
  for (const char* campo : campos) Set(fDataSetVeic, campo, GetValueTag(campo, veic));
  fDataSetVeic.Post();
}

void TmoxNFeDanfeDados::GetReferencias(int aIndice) {
  std::string infNFe = TmoxNFeXmlUtils::getNotaXPath(aIndice, fXml, false);
  std::vector<std::string> refs;
  GetKivoUtils().XPathSelectNodes(infNFe, "//*[local-name()=\"NFref\"]", refs);
  std::string nNF = Dados("nNF");
  for (const std::string& ref : refs) {
    auto t = [&ref](const char* aTag) { return GetValueTag(aTag, ref); };
    struct Destino {
      TmoxDataSet& ds;
      std::vector<std::pair<const char*, std::string>> valores;
    };
    std::string cnpjProdutor = t("CNPJ").empty() ? t("CPF") : t("CNPJ");
    Destino destinos[] = {
        {fDataSetRefNFe, {{"ChaveNFeRef", t("refNFe")}}},
        {fDataSetRefNF1A,
         {{"UFNF1ARef", t("cUF")}, {"AnoMesNF1ARef", t("AAMM")}, {"ModeloNF1ARef", t("mod")},
          {"SerieNF1ARef", t("serie")}, {"NumeroNF1ARef", t("nNF")}, {"CNPJNF1ARef", t("CNPJ")}}},
        {fDataSetRefProdutor,
         {{"UFNFProdutorRef", t("cUF")}, {"AnoMesNFProdutorRef", t("AAMM")}, {"ModeloNFProdutorRef", t("mod")},
          {"SerieNFProdutorRef", t("serie")}, {"NumeroNFProdutorRef", t("nNF")}, {"IENFProdutorRef", t("IE")},
          {"CNPJNFProdutorRef", cnpjProdutor}}},
        {fDataSetRefCupomFiscal,
         {{"NumeroECFCupomFiscalRef", t("nECF")}, {"NumeroCOOCupomFiscalRef", t("nCOO")},
          {"ModeloCupomFiscalRef", t("mod")}}},
        {fDataSetRefCTe, {{"ChaveCTeRef", t("refCTe")}}}};
    for (auto& d : destinos) {
      d.ds.Append();
      Set(d.ds, "nNF", nNF);
      for (const auto& [campo, valor] : d.valores) Set(d.ds, campo, valor);
      d.ds.Post();
    }
  }
}

}  // namespace mox
