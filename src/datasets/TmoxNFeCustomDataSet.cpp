#include "datasets/TmoxNFeCustomDataSet.h"

#include "base/EmoxException.h"
#include "base/moxEnumTexts.h"
#include "utils/moxChaveNFe.h"

namespace mox {

namespace {

// Re-enables controls of every data set on every way out of a bulk change.
class ControlsDisabledScope {
 public:
  explicit ControlsDisabledScope(const std::vector<std::unique_ptr<TXmlDataSetNFe>>& aDataSets) : dataSets_(aDataSets) {
    for (auto& ds : dataSets_) ds->DisableControls();
  }
  ~ControlsDisabledScope() {
    for (auto& ds : dataSets_) ds->EnableControls();
  }

 private:
  const std::vector<std::unique_ptr<TXmlDataSetNFe>>& dataSets_;
};

}  // namespace

TmoxNFeCustomDataSet::TmoxNFeCustomDataSet(TVersaoEsquema aVersaoEsquema) : fVersaoEsquema(aVersaoEsquema) {
  fValoresComoDigitados = true;
  // Item-level data sets follow the current item from the start.
  SetActiveMasterSource(true);
}

TXmlDataSetNFe* TmoxNFeCustomDataSet::Parte(char aLetra) const {
  return (aLetra >= 'A' && aLetra <= 'Z') ? fLetras[static_cast<size_t>(aLetra - 'A')] : nullptr;
}

// --- Dictionary ---------------------------------------------------------------------------------

std::unique_ptr<TXmlFieldNFe> TmoxNFeCustomDataSet::CreateXmlField(TXmlDataSetNFe& aDataSet) {
  (void)aDataSet;
  return std::make_unique<TmoxNFeXMLField>();
}

void TmoxNFeCustomDataSet::GetAtributosComplementares(xmlNodePtr aXMLNode, TXmlFieldNFe& aField) {
  TmoxXMLDataSetNFe::GetAtributosComplementares(aXMLNode, aField);
  auto& field = static_cast<TmoxNFeXMLField&>(aField);
  field.SetRec(XmlTexto(aXMLNode, "rec"));
  field.SetEquivale(XmlTexto(aXMLNode, "equivale"));
  field.SetSubstituto(XmlTexto(aXMLNode, "substituto"));
  field.SetDesde(XmlTexto(aXMLNode, "desde"));
}

void TmoxNFeCustomDataSet::CreateListDataSets() {
  fLetras.fill(nullptr);
  fPartsNFe.clear();
  fPartsNFeItem.clear();
  TmoxXMLDataSetNFe::CreateListDataSets();
  MapeaDataSetsParaPropriedades();
  AddDataSetsListaNFE();
  AddDataSetsListaItemNFe();
}

void TmoxNFeCustomDataSet::MapeaDataSetsParaPropriedades() {
  for (char letra = 'A'; letra <= 'Z'; ++letra)
    fLetras[static_cast<size_t>(letra - 'A')] = &FindDataSet(std::string_view(&letra, 1));
}

void TmoxNFeCustomDataSet::AddParts(std::vector<TXmlDataSetNFe*>& aLista,
                                    std::initializer_list<std::string_view> aNomes) const {
  for (std::string_view nome : aNomes) aLista.push_back(&FindDataSet(nome));
}

void TmoxNFeCustomDataSet::AddDataSetsListaNFE() {
  AddParts(fPartsNFe, {"A", "B", "C", "D", "E", "F", "G", "X", "W", "Y", "Z", "REBOQUE", "VOL", "LACRE", "PROCREF",
                       "OBSCONT", "MANAGER"});
}

void TmoxNFeCustomDataSet::AddDataSetsListaItemNFe() {
  AddParts(fPartsNFeItem,
           {"H", "I", "J", "K", "L", "M", "N", "O", "P", "Q", "R", "S", "T", "U", "V", "DI", "ADI", "L1"});
}

void TmoxNFeCustomDataSet::AppendValorXML(std::string& aOut, std::string_view aValor) const { aOut += aValor; }

// --- Look-up by record-layout position ----------------------------------------------------------

TmoxNFeXMLField& TmoxNFeCustomDataSet::Campo(std::string_view aGrupo, int aPosicao) const {
  if (aGrupo.empty())
    throw EmoxNFeCheckParams("O Grupo deve ser informado para encontrar o campo desejado.", DiretorioLogErro());
  if (ListDataSets().empty())
    throw EmoxNFeCheckParams("Não existem DataSets carregados. Verifique se o XMLDicionário foi informado.",
                             DiretorioLogErro());
  const std::string posicao = std::to_string(aPosicao);
  const std::string item = std::string(aGrupo) + "=" + posicao;
  for (const auto& ds : ListDataSets())
    for (size_t i = 0; i < ds->FieldCount(); ++i) {
      auto& field = static_cast<TmoxNFeXMLField&>(ds->XmlField(i));
      if (field.TemPosicao(item)) return field;
    }
  throw EmoxDataSetFieldNotFoundException::CreateFmt(
      "Não foi encontrado campo configurado para o Grupo %s na posição %s", {aGrupo, posicao}, DiretorioLogErro());
}

// --- Fields typed by the user -------------------------------------------------------------------

TmoxNFeXMLField& TmoxNFeCustomDataSet::CampoDeEntrada(std::string_view aNome) const {
  TmoxNFeXMLField& campo = Campo(aNome);
  if (campo.Visible()) {
    // A field newer than the note's schema package has no place in its XML.
    if (!campo.Desde().empty() && fVersaoEsquema < StrToVersaoEsquema(campo.Desde()))
      throw EmoxDataSetException::CreateFmt("O campo %s não existe no leiaute do pacote %s; existe a partir do %s.",
                                            {campo.FieldName(), VersaoEsquemaToStr(fVersaoEsquema), campo.Desde()},
                                            DiretorioLogErro());
    return campo;
  }
  if (!campo.Equivale().empty()) return Campo(campo.Equivale());
  // Anything else typed here would be kept and never written: refuse it.
  if (!campo.Substituto().empty())
    throw EmoxDataSetException::CreateFmt("O campo %s não é gravado no XML deste leiaute; informe o campo %s.",
                                          {campo.FieldName(), campo.Substituto()}, DiretorioLogErro());
  throw EmoxDataSetException::CreateFmt("O campo %s não é gravado no XML deste leiaute.", {campo.FieldName()},
                                        DiretorioLogErro());
}

// --- Commands -----------------------------------------------------------------------------------

void TmoxNFeCustomDataSet::CheckParams() const {
  if (XMLDicionario().empty())
    throw EmoxNfeDataSetConfigException("Arquivo Estrutura do XML não configurado.", DiretorioLogErro());
}

void TmoxNFeCustomDataSet::Incluir() {
  try {
    ClearDataSets();
    SetState(TDataSetState::dsInsert);
    for (TXmlDataSetNFe* ds : fPartsNFe) ds->Append();
  } catch (const EmoxNFeDataSetException&) {
    SetState(TDataSetState::dsBrowse);
    throw;
  }
}

void TmoxNFeCustomDataSet::IncluirItem() {
  if (fStateItem == TDataSetState::dsEdit || fStateItem == TDataSetState::dsInsert)
    throw EmoxNFeDataSetException("Item não salvo", DiretorioLogErro());
  try {
    for (TXmlDataSetNFe* ds : fPartsNFeItem) ds->Append();
  } catch (const EmoxDataSetException& e) {
    throw EmoxNFeDataSetException(e.what());
  }
  fStateItem = TDataSetState::dsInsert;
}

void TmoxNFeCustomDataSet::SalvarItem() {
  CheckParams();
  for (TXmlDataSetNFe* ds : fPartsNFeItem)
    if (ds->Editing()) ds->Post();
  fStateItem = TDataSetState::dsBrowse;
}

void TmoxNFeCustomDataSet::Salvar() {
  CheckParams();
  try {
    SalvarItem();
    for (TXmlDataSetNFe* ds : fPartsNFe)
      if (ds->Editing()) {
        ds->Post();
        ds->First();
      }
    std::string infNFe = ConverterAuto();
    fLoteNFe.push_back(std::move(infNFe));
    SetState(TDataSetState::dsBrowse);
  } catch (const EmoxDataSetException& e) {
    throw EmoxNFeDataSetException(e.what());
  }
}

void TmoxNFeCustomDataSet::Cancelar() {
  ControlsDisabledScope detached(ListDataSets());
  ClearDataSets();
  SetState(TDataSetState::dsBrowse);
  fStateItem = TDataSetState::dsBrowse;
}

// --- Conversion ---------------------------------------------------------------------------------

std::string TmoxNFeCustomDataSet::ConverterAuto() {
  SetActiveMasterSource(true);
  return MontarInfNFe(false);
}

std::string TmoxNFeCustomDataSet::MontarInfNFe(bool aComAutXML) {
  // One group after the other: the opening tag writes the key fields the later groups read.
  std::string xml;
  // The items take the most room: reserved once they are converted, below.
  xml += ConvPartA();
  const TConversaoEmCurso conversao(*this);
  xml += ConvPartB();
  xml += ConvPartC();
  xml += ConvPartD();
  xml += ConvPartE();
  xml += ConvPartF();
  xml += ConvPartG();
  if (aComAutXML) xml += ConvAutXML();
  const std::string itens = ConvPartItens();
  xml.reserve(xml.size() + itens.size() + 4096);
  xml += itens;
  xml += ConvPartW();
  xml += ConvPartX();
  xml += ConvPartY();
  xml += ConvPartZ();
  xml += "</infNFe>";
  return xml;
}

std::string TmoxNFeCustomDataSet::ConvPartA() {
  ConverterChaveNFe();
  const TXmlDataSetNFe& a = FindDataSet("A");
  return "<infNFe " + ConvertFieldParaXML(a, "Id_A03") + " " + ConvertFieldParaXML(a, "versao_A02") + ">";
}

void TmoxNFeCustomDataSet::ConverterChaveNFe() {
  const bool leiaute005 = fVersaoEsquema <= TVersaoEsquema::pl_005f;
  const bool leiaute008 = fVersaoEsquema >= TVersaoEsquema::pl_008a;
  TXmlDataSetNFe& a = FindDataSet("A");
  TXmlDataSetNFe& b = FindDataSet("B");
  b.First();
  if (!a.Editing()) a.Edit();

  auto valor = [this](std::string_view aNome) { return Campo(aNome).AsString(); };
  const std::string cnpjAvulsa = valor("CNPJ_D02");
  // The tax office that issues a separate invoice lends its CNPJ to the key.
  const bool usaAvulsa = leiaute008 ? !cnpjAvulsa.empty() : !cnpjAvulsa.empty() && !valor("Cpf_C02a").empty();
  const std::string cnpj = usaAvulsa ? cnpjAvulsa : valor("CNPJ_C02");
  const std::string modelo = valor("mod_B06");
  const std::string serie = valor("serie_B07");
  const std::string numero = valor("nNF_B08");
  const std::string codigo = valor("cNF_B03");
  const std::string uf = valor("cUF_B02");
  const std::string emissao = valor(leiaute008 ? "dhEmi_B09" : "dEmi_B09");
  const std::string chave = leiaute005
                                ? CalculaChave(emissao, uf, cnpj, modelo, serie, numero, codigo)
                                : CalculaChave(emissao, uf, cnpj, modelo, serie, numero, valor("tpEmis_B22"), codigo);

  TmoxField& id = a.FieldByName("Id_A03");
  id.SetAsString("NFe" + chave);
  a.Post();

  if (!b.Editing()) b.Edit();
  b.FieldByName("cNF_B03").SetAsString(Utils().Czro(codigo, leiaute005 ? 9 : 8));
  const std::string idGravado = id.AsString();
  b.FieldByName("cDV_B23").SetAsString(idGravado.substr(idGravado.size() - 1));
  b.Post();
}

}  // namespace mox
