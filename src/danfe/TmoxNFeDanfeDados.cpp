#include "danfe/TmoxNFeDanfeDados.h"

#include <cctype>
#include <string_view>

#include "base/EmoxException.h"
#include "danfe/moxDelimitador.h"
#include "external/TmoxKivoUtils.h"
#include "utils/TmoxNFeXmlUtils.h"
#include "utils/moxTextoNFe.h"
#include "utils/moxXmlLookup.h"

namespace mox {

namespace {

struct Campos {
  const char* dataSet;
  std::vector<const char*> campos;
};

const std::vector<const char*> kCamposDados = {
    "CodBarra", "CodBarraDadosNFe", "NatOper", "Serie", "DtEmissao", "DtSaida", "nNF", "nTpNF", "tpEmis", "EmitNome",
    "EmitCNPJ", "EmitIE", "EmitIEST", "EmitLogradouro", "EmitEnd", "EmitNumero", "EmitBairro", "EmitMun", "EmitUF",
    "EmitCep", "EmitIM", "EmitFone", "EmitPais", "EmitFantasia", "EmitCRT", "LogotipoEmitente", "DestNome",
    "DestCNPJ", "DestIE", "DestIndIE", "DestLogradouro", "DestEnd", "DestNumero", "DestBairro", "DestMun", "DestUF",
    "DestCep", "DestFoneFax", "DestPais", "DestEmail", "BaseCalcIcms", "ValorIcms", "BaseCalcIcmsSubs",
    "ValorIcmsSubs", "ValorIcmsDeson", "ValorTotProd", "ValorFrete", "ValorSeguro", "Desconto", "OutrasDesp",
    "ValorIPI", "ValorII", "ValorTotNota", "BaseCalcISSQN", "ValorTotServ", "ValorTotISSQN", "ValorTotCOFINS",
    "ValorTotPIS", "ValorTotTrib", "TraModFrete", "TraCNPJ", "TraNome", "TraIE", "TraEnd", "TraMun", "TraUF",
    "TraDescMod", "VeiCodigoANTT", "VeiPlaca", "VeiUF", "VolQuantidade", "VolEspecie", "VolMarca", "VolNumeracao",
    "VolPesoBruto", "VolPesoLiquido", "ContinuaObsContribuinte", "ObsContribuinte", "ContCampo", "IdentCampo",
    "nProt", "dhRecbto", "nProtEpec", "FraseHomologacao", "FraseContingencia", "DestComplemento", "EmitComplemento",
    "EntCNPJ", "EntEnd", "EntNumero", "EntComplemento", "EntBairro", "EntMun", "EntUF", "JustContingencia",
    "dhContingencia", "hSaida", "indPag", "imprimirDuplicata", "vICMSUFDest", "vFCPUFDest", "vICMSUFRemet",
    // The tax-reform totals (IBS, CBS and IS), filled only for notes that carry them.
    "ReformaTributaria", "BaseCalcIBSCBS", "ValorIBSUF", "ValorIBSMun", "ValorTotIBS", "ValorTotCBS", "ValorTotIS",
    "ValorTotNFTot"};

const std::vector<const char*> kCamposItens = {
    "nNF", "QtdeItem", "Item", "ItemCodigo", "ItemEAN", "ItemNCM", "ItemDescricao", "ItemCST", "ItemORIG",
    "ItemCFOP", "ItemUnidade", "ItemQuantidade", "ItemVUnit", "ItemUnidadeTributada", "ItemQuantidadeTributada",
    "ItemVUnitTributado", "ItemVTotal", "ItemBCalcIcms", "ItemVIcms", "ItemVIPI", "ItemAliqIcms", "ItemAliqIPI",
    "ItemObs", "ItemNLote", "ItemQLote", "ItemDFab", "ItemDVal", "ItemVPMC", "ItemClEnq", "ItemCNPJProd",
    "ItemCSelo", "ItemQCelo", "ItemCEnq", "ItemVPIS", "ItemBCalcPIS", "ItemAliqPIS", "ItemCSTPIS", "ItemQBCProdPIS",
    "ItemVAliqProdPIS", "ItemVCOFINS", "ItemBCalcCOFINS", "ItemAliqCOFINS", "ItemCSTCOFINS", "ItemQBCProdCOFINS",
    "ItemVAliqProdCOFINS", "ItemBCalcIcmsST", "ItemAliqIcmsST", "ItemVIcmsST", "ItemVDesc", "ItemVSeg",
    "ItemVFrete", "ItemVOutro", "ItemVTotTrib", "ItemPedido", "ItemIIVBC", "ItemIIvIOF", "ItemIIvDespAdu",
    "ItemIIvII", "ItemEX_TIPI", "ItemPercMargemValorAdiICMSST", "ItemVIcmsDesonerado",
    "ItemMotivoDesoneracaoICMS",
    // The item's IBS, CBS and IS, and their summary printed as additional item information.
    "ItemVIBS", "ItemVCBS", "ItemVIS", "ItemTributosReforma"};

int TamanhoDoCampo(const std::string& aCampo) {
  if (aCampo == "ContinuaObsContribuinte" || aCampo == "ObsContribuinte") return 8000;
  if (aCampo == "ItemObs") return 500;
  return 255;
}

void CriarCampos(TmoxDataSet& aDataSet, const std::vector<const char*>& aCampos) {
  for (const char* campo : aCampos) aDataSet.AddField(campo, TFieldType::ftString, TamanhoDoCampo(campo));
  aDataSet.Open();
}

void Ligar(TmoxDataSet& aDetalhe, TmoxDataSource& aMestre, const char* aCampo) {
  aDetalhe.SetMasterSource(&aMestre);
  aDetalhe.SetMasterFields(aCampo);
  aDetalhe.SetIndexFieldNames(aCampo);
}

// Lines of a text split at CR, LF or CR LF.
std::vector<std::string> Linhas(const std::string& aTexto) {
  std::vector<std::string> linhas;
  std::string atual;
  for (size_t i = 0; i < aTexto.size(); ++i) {
    char c = aTexto[i];
    if (c == '\r' || c == '\n') {
      linhas.push_back(atual);
      atual.clear();
      if (c == '\r' && i + 1 < aTexto.size() && aTexto[i + 1] == '\n') ++i;
    } else {
      atual += c;
    }
  }
  if (!atual.empty()) linhas.push_back(atual);
  return linhas;
}

bool IgualSemCaixa(const std::string& aTexto, size_t aPos, std::string_view aTrecho) {
  if (aTexto.size() - aPos < aTrecho.size()) return false;
  for (size_t i = 0; i < aTrecho.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(aTexto[aPos + i])) != std::tolower(static_cast<unsigned char>(aTrecho[i])))
      return false;
  return true;
}

// Every '<?xml version="1.0"?>' declaration, with or without ' encoding="UTF-8"' and a blank
// before "?>", in any letter case, removed (the notes of a lot each bring their own).
std::string SemDeclaracoesXml(const std::string& aXml) {
  std::string out;
  out.reserve(aXml.size());
  size_t p = 0;
  for (size_t q; (q = aXml.find("<?", p)) != std::string::npos;) {
    constexpr std::string_view kVersao = "xml version=\"1.0\"", kCodificacao = " encoding=\"UTF-8\"";
    size_t fim = q + 2;
    bool ok = IgualSemCaixa(aXml, fim, kVersao);
    if (ok) {
      fim += kVersao.size();
      if (IgualSemCaixa(aXml, fim, kCodificacao)) fim += kCodificacao.size();
      if (fim < aXml.size() && aXml[fim] == ' ') ++fim;
      ok = IgualSemCaixa(aXml, fim, "?>");
    }
    out.append(aXml, p, q - p);
    if (ok) {
      p = fim + 2;
    } else {
      out.append("<?");
      p = q + 2;
    }
  }
  out.append(aXml, p);
  return out;
}

}  // namespace

TmoxNFeDanfeDados::TmoxNFeDanfeDados() {
  fUFList = {{"AC", "12"}, {"AL", "27"}, {"AP", "16"}, {"AM", "13"}, {"BA", "29"}, {"CE", "23"}, {"DF", "53"},
             {"ES", "32"}, {"GO", "52"}, {"MA", "21"}, {"MT", "51"}, {"MS", "50"}, {"MG", "31"}, {"PA", "15"},
             {"PB", "25"}, {"PR", "41"}, {"PE", "26"}, {"PI", "22"}, {"RJ", "33"}, {"RN", "24"}, {"RS", "43"},
             {"RO", "11"}, {"RR", "14"}, {"SC", "42"}, {"SP", "35"}, {"SE", "28"}, {"TO", "17"}, {"EX", "99"}};
  CriarDataSets();
}

TmoxNFeDanfeDados::~TmoxNFeDanfeDados() = default;

void TmoxNFeDanfeDados::CriarDataSets() {
  struct Nome {
    TmoxDataSet& ds;
    TmoxDataSource& src;
    const char* nome;
  } nomes[] = {{fDataSet, fDataSource, "Dados"},
               {fDataSetItens, fDataSourceItens, "DadosItens"},
               {fDataSetVolume, fDataSourceVolume, "vol"},
               {fDataSetCobranca, fDataSourceCobranca, "DadosCobranca"},
               {fDataSetFatura, fDataSourceFatura, "DadosFatura"},
               {fDataSetMed, fDataSourceMed, "DadosLotesMedicamento"},
               {fDataSetVeic, fDataSourceVeic, "DadosVeiculosNovos"},
               {fDataSetRefNFe, fDataSourceRefNFe, "DadosNFeReferenciada"},
               {fDataSetRefNF1A, fDataSourceRefNF1A, "DadosNF1AReferenciada"},
               {fDataSetRefProdutor, fDataSourceRefProdutor, "DadosNFProdutorRuralReferenciada"},
               {fDataSetRefCupomFiscal, fDataSourceRefCupomFiscal, "DadosCupomFiscalReferenciado"},
               {fDataSetRefCTe, fDataSourceRefCTe, "DadosCTeReferenciado"}};
  for (auto& n : nomes) {
    n.ds.SetName(n.nome);
    n.src.SetDataSet(&n.ds);
  }
  CriarCampos(fDataSet, kCamposDados);
  CriarCampos(fDataSetItens, kCamposItens);
  CriarCampos(fDataSetVolume, {"nNF", "VolQuantidade", "VolEspecie", "VolMarca", "VolNumeracao", "VolPesoBruto",
                               "VolPesoLiquido"});
  CriarCampos(fDataSetCobranca, {"nNF", "NumDuplicata", "DtVencimento", "ValorDuplicata", "Handle_Duplicata"});
  CriarCampos(fDataSetFatura, {"NumeroFatura", "valorOriginalFatura", "ValorDesconto", "ValorLiquido"});
  CriarCampos(fDataSetMed, {"Item", "nLote", "qLote", "dFab", "dVal", "vPMC"});
  CriarCampos(fDataSetVeic, {"Item", "tpOp", "chassi", "cCor", "xCor", "pot", "CM3", "pesoL", "pesoB", "nSerie",
                             "tpComb", "nMotor", "CMT", "CMKG", "dist", "RENAVAM", "anoMod", "anoFab", "tpPint",
                             "tpVeic", "espVeic", "VIN", "condVeic", "cMod", "cilin"});
  CriarCampos(fDataSetRefNFe, {"nNF", "ChaveNFeRef"});
  CriarCampos(fDataSetRefNF1A, {"nNF", "UFNF1ARef", "AnoMesNF1ARef", "ModeloNF1ARef", "SerieNF1ARef",
                                "NumeroNF1ARef", "CNPJNF1ARef"});
  CriarCampos(fDataSetRefProdutor, {"nNF", "UFNFProdutorRef", "AnoMesNFProdutorRef", "ModeloNFProdutorRef",
                                    "SerieNFProdutorRef", "NumeroNFProdutorRef", "IENFProdutorRef",
                                    "CNPJNFProdutorRef"});
  CriarCampos(fDataSetRefCupomFiscal,
              {"nNF", "NumeroECFCupomFiscalRef", "NumeroCOOCupomFiscalRef", "ModeloCupomFiscalRef"});
  CriarCampos(fDataSetRefCTe, {"nNF", "ChaveCTeRef"});
  for (TmoxDataSet* ds : {&fDataSetItens, &fDataSetVolume, &fDataSetCobranca, &fDataSetRefNFe, &fDataSetRefNF1A,
                          &fDataSetRefProdutor, &fDataSetRefCupomFiscal, &fDataSetRefCTe})
    Ligar(*ds, fDataSource, "nNF");
  Ligar(fDataSetMed, fDataSourceItens, "Item");
  Ligar(fDataSetVeic, fDataSourceItens, "Item");
}

std::vector<TmoxDataSet*> TmoxNFeDanfeDados::DataSets() {
  return {&fDataSet,      &fDataSetItens,  &fDataSetCobranca,      &fDataSetMed,
          &fDataSetVeic,  &fDataSetVolume, &fDataSetRefNFe,        &fDataSetRefNF1A,
          &fDataSetRefProdutor, &fDataSetRefCupomFiscal, &fDataSetRefCTe, &fDataSetFatura};
}

TmoxKivoUtils& TmoxNFeDanfeDados::GetKivoUtils() {
  if (!FUtils) FUtils = std::make_unique<TmoxKivoUtils>();
  return *FUtils;
}

void TmoxNFeDanfeDados::LimparDataSets() {
  for (TmoxDataSet* ds : DataSets()) ds->EmptyDataSet();
}

int TmoxNFeDanfeDados::GetNumNotas() { return TmoxNFeXmlUtils::GetNumNotasXPath(fXml); }

std::string TmoxNFeDanfeDados::VirgulaDecimal(const std::string& aValue) {
  if (aValue.empty()) return aValue;
  std::string v = aValue;
  for (char& c : v)
    if (c == '.') c = ',';
  size_t virgula = v.find(',');
  if (virgula == std::string::npos) return v;
  std::string inteira = v.substr(0, virgula), sinal;
  if (!inteira.empty() && (inteira[0] == '-' || inteira[0] == '+')) {
    sinal = inteira.substr(0, 1);
    inteira.erase(0, 1);
  }
  std::string agrupada;
  for (size_t i = 0; i < inteira.size(); ++i) {
    if (i > 0 && (inteira.size() - i) % 3 == 0) agrupada += '.';
    agrupada += inteira[i];
  }
  return sinal + agrupada + v.substr(virgula);
}

std::string TmoxNFeDanfeDados::GetValueTagTratado(const std::string& aTag, const std::string& aXml,
                                                  bool aReplaceDelimiter) {
  std::string texto = "<" + aTag + ">" + GetValueTag(aTag, aXml) + "</" + aTag + ">";
  if (aReplaceDelimiter) texto = TrocaDelimitador(texto, fLineDelimiter, "&#13;");
  return GetKivoUtils().Unescape(texto);
}

const std::string& TmoxNFeDanfeDados::Grupo(const std::string& aGroup) {
  auto it = fGrupos.find(aGroup);
  if (it == fGrupos.end()) it = fGrupos.emplace(aGroup, GetValueTagTratado(aGroup, fXmlNF, false)).first;
  return it->second;
}

std::string TmoxNFeDanfeDados::Valor(const std::string& aGroup, const std::string& aTag) {
  return GetValueTag(aTag, Grupo(aGroup));
}

std::string TmoxNFeDanfeDados::Primeiro(const std::string& aTag) const { return GetValueTag(aTag, fXmlNF); }

void TmoxNFeDanfeDados::Set(TmoxDataSet& aDataSet, const char* aField, const std::string& aValue) {
  aDataSet.FieldByName(aField).SetAsString(aValue);
}

std::string TmoxNFeDanfeDados::Dados(const char* aField) const { return fDataSet.FieldByName(aField).AsString(); }

int TmoxNFeDanfeDados::TpEmisNumero(const std::string& aTexto) const {
  try {
    size_t usados = 0;
    int n = std::stoi(aTexto, &usados);
    if (usados == aTexto.size()) return n;
  } catch (const std::exception&) {
  }
  throw EmoxNFeReportException("\"" + aTexto + "\" não é um número inteiro válido.", fDiretorioLogErro);
}

bool TmoxNFeDanfeDados::NotaVersao310OuMaior() const {
  // Layouts 3.10 and later write date-times (dhEmi); earlier ones dates (dEmi).
  return fXmlNF.find("<dhEmi>") != std::string::npos;
}

std::string TmoxNFeDanfeDados::GetUFCode(const std::string& UF) const {
  for (const auto& [sigla, codigo] : fUFList)
    if (sigla == UF) return codigo;
  return {};
}

void TmoxNFeDanfeDados::SeparaObservacoes(std::string aObsCompleta, std::string& aParte1, std::string& aParte2,
                                          int aQtdeParte1, int aCaracterPorLinha) {
  std::string deson = VirgulaDecimal(Valor("ICMSTot", "vICMSDeson"));
  std::string digitos;
  for (char c : deson)
    if (c != '.' && c != ',') digitos += c;
  bool positivo = false;
  try {
    positivo = !digitos.empty() && std::stod(digitos) > 0;
  } catch (const std::exception&) {
  }
  if (positivo) aObsCompleta += "\r\n Valor do ICMS Desonerado: " + deson;

  std::vector<std::string> restantes = Linhas(aObsCompleta);
  std::vector<std::string> parte1, parte2;
  const size_t colunas = static_cast<size_t>(std::max(1, aCaracterPorLinha));
  size_t i = 0;
  while (i < restantes.size()) {
    if (parte1.size() >= static_cast<size_t>(std::max(0, aQtdeParte1))) {
      parte2.assign(restantes.begin() + static_cast<long>(i), restantes.end());
      break;
    }
    std::string& linha = restantes[i];
    if (CharCount(linha) > colunas) {
      parte1.push_back(CopyChars(linha, 1, colunas));
      linha.erase(0, parte1.back().size());
    } else {
      if (!linha.empty()) parte1.push_back(linha);
      ++i;
    }
  }
  auto junta = [](const std::vector<std::string>& aLinhas) {
    std::string texto;
    for (const auto& l : aLinhas) texto += l + "\r\n";
    return texto;
  };
  aParte1 = junta(parte1);
  aParte2 = parte2.empty() ? std::string() : "CONTINUAÇÃO DAS INFORMAÇÕES COMPLEMENTARES\r\n" + junta(parte2);
}

std::string TmoxNFeDanfeDados::SelecionarNota(int aIndice) {
  int tpEmis = fValidarRegrasNegocio ? GetTpEmis() : 0;
  if (tpEmis == 1 || tpEmis == 3 || tpEmis == 6 || tpEmis == 7) return TmoxNFeXmlUtils::getNotaXPath(aIndice, fXml, true);
  if (tpEmis == 4 && fXml.find("nProt") != std::string::npos) {
    std::string nota = TmoxNFeXmlUtils::getNotaXPath(aIndice, fXml, true);
    fProtocoloDPEC = GetValueTag("nProt", nota);
    fDataHoraDPEC = GetValueTag("dhRecbto", nota);
    return nota;
  }
  return TmoxNFeXmlUtils::getNotaXPath(aIndice, fXml, false);
}

void TmoxNFeDanfeDados::PopulaDataSet() {
  LimparDataSets();
  fXml = "<root>" + SemDeclaracoesXml(fXml) + "</root>";
  if (!GetKivoUtils().IsValidXml(fXml)) throw EmoxNFeExportarPreverDanfeException("XML para exportação do Danfe inválido.");
  if (fValidarRegrasNegocio) ValidarXmlEntrada();
  int n = GetNumNotas();
  fPossuiMed = fXml.find("<med>") != std::string::npos;
  for (int i = 0; i < n; ++i) PreencherNota(i);
}

void TmoxNFeDanfeDados::PreencherNota(int aIndice) {
  fXmlNF = SelecionarNota(aIndice);
  fGrupos.clear();
  fVolumes.clear();
  fDataSet.Append();
  GetDadosEmitente();
  GetDadosDestinatario();
  GetDadosEntrega();
  GetDadosIdNF();
  GetDadosTotais();
  GetDadosTransp();
  GetDadosVeiculo();
  GetDadosVolumes();
  GetDadosChaveNF();
  GetDadosAdicionais();
  GetDadosISSQN();
  if (!fValidarRegrasNegocio) SetDados("FraseHomologacao", "PREVISÃO DE DANFE. SEM VALOR FISCAL");
  fDataSet.Post();
  // The details follow the posted note: each takes its nNF.
  for (const Volume& v : fVolumes) {
    fDataSetVolume.Append();
    Set(fDataSetVolume, "nNF", Dados("nNF"));
    Set(fDataSetVolume, "VolQuantidade", v.qVol);
    Set(fDataSetVolume, "VolEspecie", v.esp);
    Set(fDataSetVolume, "VolMarca", v.marca);
    Set(fDataSetVolume, "VolNumeracao", v.nVol);
    Set(fDataSetVolume, "VolPesoLiquido", v.pesoL);
    Set(fDataSetVolume, "VolPesoBruto", v.pesoB);
    fDataSetVolume.Post();
  }
  GetItens(aIndice);
  GetReferencias(aIndice);
  GetDuplicatas();
  if (fImprimirDuplicata) GetFatura();
}

}  // namespace mox
