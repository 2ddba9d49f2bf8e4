#include "datasets/TmoxXMLDataSetNFe.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <filesystem>

#include "base/EmoxException.h"
#include "datasets/moxFieldValue.h"
#include "external/EKivoException.h"
#include "external/FileIO.h"
#include "external/Utf8Text.h"
#include "external/moxPaths.h"

namespace mox {

namespace {

constexpr const char* kVerProcPadrao = "Versao Aplicativo9";

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

bool HasAttribute(xmlNodePtr aNode, const char* aName) {
  return xmlHasProp(aNode, reinterpret_cast<const xmlChar*>(aName)) != nullptr;
}

std::string Attribute(xmlNodePtr aNode, const char* aName) {
  xmlChar* value = xmlGetProp(aNode, reinterpret_cast<const xmlChar*>(aName));
  if (!value) return {};
  std::string text(reinterpret_cast<const char*>(value));
  xmlFree(value);
  return text;
}

std::vector<xmlNodePtr> ChildElements(xmlNodePtr aNode) {
  std::vector<xmlNodePtr> children;
  for (xmlNodePtr c = aNode ? aNode->children : nullptr; c; c = c->next)
    if (c->type == XML_ELEMENT_NODE) children.push_back(c);
  return children;
}

// " (linha N)" for messages about one element of the dictionary.
std::string LineOf(xmlNodePtr aNode) {
  const long line = aNode ? xmlGetLineNo(aNode) : -1;
  return line > 0 ? " (linha " + std::to_string(line) + ")" : std::string();
}

int LinkDepth(const TmoxDataSet& aDataSet) {
  int depth = 0;
  for (const TmoxDataSet* m = aDataSet.MasterDataSet(); m; m = m->MasterDataSet()) ++depth;
  return depth;
}

}  // namespace

TCamposXml::TCamposXml(std::initializer_list<std::string_view> aNomes) : fNomes(aNomes) {
  static std::atomic<size_t> proximo{0};
  fNumero = proximo++;
}

TParteXml::TParteXml(std::string_view aNome) : fNome(aNome) {
  static std::atomic<size_t> proximo{0};
  fNumero = proximo++;
}

TmoxXMLDataSetNFe::TmoxXMLDataSetNFe() = default;

TmoxXMLDataSetNFe::~TmoxXMLDataSetNFe() = default;

TmoxKivoUtils& TmoxXMLDataSetNFe::Utils() const {
  if (!FUtils) FUtils = std::make_unique<TmoxKivoUtils>();
  return *FUtils;
}

void TmoxXMLDataSetNFe::SetDiretorioLogErro(const std::string& aDir) {
  fDiretorioLogErro = aDir;
  for (auto& ds : fListDataSets) ds->SetDiretorioLogErro(aDir);
}

// --- Dictionary ---------------------------------------------------------------------------------

void TmoxXMLDataSetNFe::SetXMLDicionario(const std::string& aFileName) {
  fXMLDicionario = aFileName;
  if (aFileName.empty()) return;
  fDataSetsByName.clear();
  fCampos.clear();
  fCamposIndice.Clear();
  fLigacoes.clear();
  fB = nullptr;
  fVerProc = nullptr;
  EsqueceBuscas();
  fListDataSets.clear();
  CreateListDataSets();
}

void TmoxXMLDataSetNFe::FailLoad(std::string_view aDetail) const {
  throw EmoxDataSetLoadTemplateException::CreateFmt("Erro no arquivo %s .%s", {fXMLDicionario, aDetail},
                                                    fDiretorioLogErro);
}

XmlDocument TmoxXMLDataSetNFe::LoadDicXML() {
  const std::string path = NormalizeSeparators(fXMLDicionario);
  // Only a missing path is "not found"; a folder, a device or an unreadable file is reported
  // with its own cause by the read below.
  std::error_code ec;
  if (path.empty() || !std::filesystem::exists(path, ec))
    throw EmoxDataSetFileNotFoundException::CreateFmt("Arquivo:  %s não encontrado.", {fXMLDicionario},
                                                      fDiretorioLogErro);
  if (!std::filesystem::is_regular_file(path, ec))
    FailLoad(" O caminho não é um arquivo comum (pasta ou dispositivo).");
  try {
    // Dictionaries written in Latin-1 are read as well as UTF-8 ones.
    return XmlDocument::Parse(DecodeToUtf8(ReadFileBytes(path)));
  } catch (const EKivoException& e) {
    FailLoad(" " + std::string(e.what()));
  }
}

void TmoxXMLDataSetNFe::CreateListDataSets() {
  const XmlDocument document = LoadDicXML();
  for (xmlNodePtr node : ChildElements(document.Root())) AddDataSet(CreateDataSet(node));
  if (fActiveMasterSource) SetActiveMasterSource(true);
}

std::unique_ptr<TXmlDataSetNFe> TmoxXMLDataSetNFe::CreateDataSet(xmlNodePtr aNode) {
  auto ds = std::make_unique<TXmlDataSetNFe>(std::string(LocalName(aNode)));
  ds->SetDiretorioLogErro(fDiretorioLogErro);
  const std::vector<xmlNodePtr> parts = ChildElements(aNode);
  for (xmlNodePtr fieldNode : ChildElements(parts.empty() ? nullptr : parts[0])) {
    // Every field must name itself and its size; repeating the previous ones would only
    // produce a duplicate or a field of the wrong size.
    if (!HasAttribute(fieldNode, "nome")) FailLoad(moxFormat(" Campo sem o atributo nome em %s%s.", {ds->Name(), LineOf(fieldNode)}));
    const std::string nome = Attribute(fieldNode, "nome");
    if (!HasAttribute(fieldNode, "tamanho"))
      FailLoad(moxFormat(" Campo %s sem o atributo tamanho em %s%s.", {nome, ds->Name(), LineOf(fieldNode)}));
    const std::string tamanhoText = Attribute(fieldNode, "tamanho");
    const auto tamanho = fieldvalue::ParseInteger(tamanhoText);
    if (!tamanho)
      throw EmoxDataSetLoadTemplateException::CreateFmt("'%s' não é um valor inteiro válido", {tamanhoText},
                                                        fDiretorioLogErro);
    if (*tamanho < 1 || *tamanho > 1000000)
      FailLoad(moxFormat(" Tamanho %s inválido no campo %s de %s%s.",
                         {tamanhoText, nome, ds->Name(), LineOf(fieldNode)}));
    if (ds->FindField(nome))
      FailLoad(moxFormat(" Campo %s duplicado em %s%s.", {nome, ds->Name(), LineOf(fieldNode)}));

    std::unique_ptr<TXmlFieldNFe> field = CreateXmlField(*ds);
    field->SetFieldName(nome);
    field->SetSize(static_cast<int>(*tamanho));
    field->SetRequired(XmlBoolean(fieldNode, "requerido"));
    field->SetGeraTagVazia(XmlBoolean(fieldNode, "tagvazia"));
    field->SetVisible(XmlBoolean(fieldNode, "visible"));
    TXmlFieldNFe& added = ds->AddXmlField(std::move(field));
    GetAtributosComplementares(fieldNode, added);
  }
  if (parts.size() < 2)
    FailLoad(moxFormat(" A parte %s%s não tem o elemento de ligação (segundo filho, após a lista de campos).",
                       {ds->Name(), LineOf(aNode)}));
  if (parts[1]->properties) {
    ds->SetXMLMasterSource(Attribute(parts[1], "mastersource"));
    ds->SetXMLMasterField(Attribute(parts[1], "masterfield"));
    ds->SetXMLKeyField(Attribute(parts[1], "keyfield"));
  }
  ds->Open();
  TXmlDataSetNFe* self = ds.get();
  ds->BeforePost = [this, self](TmoxDataSet&) { AntesDeSalvar(*self); };
  ds->BeforeInsert = [this, self](TmoxDataSet&) { AntesDeIncluir(*self); };
  ds->AfterInsert = [this, self](TmoxDataSet&) { DepoisDeIncluir(*self); };
  return ds;
}

std::unique_ptr<TXmlFieldNFe> TmoxXMLDataSetNFe::CreateXmlField(TXmlDataSetNFe& aDataSet) {
  (void)aDataSet;
  return std::make_unique<TXmlFieldNFe>();
}

void TmoxXMLDataSetNFe::GetAtributosComplementares(xmlNodePtr aXMLNode, TXmlFieldNFe& aField) {
  aField.SetTpNode(Attribute(aXMLNode, "tpnode"));
  aField.SetEnum(Attribute(aXMLNode, "enum"));
  aField.SetDica(Attribute(aXMLNode, "dica"));
  if (HasAttribute(aXMLNode, "display")) aField.SetDisplayLabel(Attribute(aXMLNode, "display"));
}

bool TmoxXMLDataSetNFe::XmlBoolean(xmlNodePtr aNode, const char* aName) { return Attribute(aNode, aName) == "s"; }

std::string TmoxXMLDataSetNFe::XmlTexto(xmlNodePtr aNode, const char* aName) { return Attribute(aNode, aName); }

void TmoxXMLDataSetNFe::AddDataSet(std::unique_ptr<TXmlDataSetNFe> aDataSet) {
  TXmlDataSetNFe* ds = aDataSet.get();
  ds->SetOrdem(fListDataSets.size());
  fListDataSets.push_back(std::move(aDataSet));
  fDataSetsByName.try_emplace(ds->Name(), ds);
  if (!fB && ds->Name() == "B") {
    fB = ds;
    fVerProc = ds->FindField("verProc_B27");
  }
  for (size_t i = 0; i < ds->FieldCount(); ++i) {
    // The first data set in dictionary order keeps a name that several hold.
    const std::string& nome = ds->Field(i).FieldName();
    if (CampoOuNulo(nome)) continue;
    fCamposIndice.Insert(nome, static_cast<uint32_t>(fCampos.size()));
    fCampos.push_back(&ds->XmlField(i));
  }
}

void TmoxXMLDataSetNFe::SetActiveMasterSource(bool aValue) {
  fActiveMasterSource = aValue;
  for (auto& ds : fListDataSets) {
    if (aValue) {
      if (ds->XMLMasterSource().empty()) continue;
      TXmlDataSetNFe& master = FindDataSet(ds->XMLMasterSource());
      ds->SetMasterSource(&master.DataSource());
      ds->SetIndexFieldNames(ds->XMLKeyField());
      ds->SetMasterFields(ds->XMLMasterField());
    } else {
      ds->SetMasterSource(nullptr);
      ds->SetMasterFields({});
      ds->SetIndexFieldNames({});
    }
  }
}

// --- Look-ups -----------------------------------------------------------------------------------

namespace {

constexpr size_t kCamposLembrados = 2048;  // powers of two
constexpr size_t kPartesLembradas = 128;
constexpr size_t kListasLembradas = 256;

size_t Posicao(const void* a, const void* b, size_t aTamanho) {
  const uint64_t h = (reinterpret_cast<uintptr_t>(a) * 0x9E3779B97F4A7C15ull) ^
                     (reinterpret_cast<uintptr_t>(b) * 0xC2B2AE3D27D4EB4Full);
  return static_cast<size_t>((h >> 29) ^ (h >> 41)) & (aTamanho - 1);
}

// aName in capitals equals aStored (data set names are looked up so).
bool MesmaParte(std::string_view aName, std::string_view aStored) {
  if (aName.size() != aStored.size()) return false;
  for (size_t i = 0; i < aName.size(); ++i)
    if (AsciiUpper(aName[i]) != aStored[i]) return false;
  return true;
}

}  // namespace

void TmoxXMLDataSetNFe::EsqueceBuscas() const {
  fCamposLembrados.assign(kCamposLembrados, {});
  fPartesLembradas.assign(kPartesLembradas, {});
  fListasLembradas.assign(kListasLembradas, {});
  fListasFixas.clear();
  fModelos.clear();
  fPartesFixas.clear();
}

const TmoxXMLDataSetNFe::TListaLembrada& TmoxXMLDataSetNFe::ListaDoDataSet(
    const TXmlDataSetNFe& aDs, std::span<const std::string_view> aFields) const {
  if (fListasLembradas.empty()) EsqueceBuscas();
  // Lists built on the stack may share an address: their first name tells them apart.
  const void* primeiro = aFields.empty() ? nullptr : aFields.front().data();
  TListaLembrada& lista = fListasLembradas[Posicao(&aDs, aFields.data(), kListasLembradas) ^
                                           Posicao(primeiro, nullptr, kListasLembradas)];
  bool mesma = lista.ds == &aDs && lista.lista == aFields.data() && lista.versao == aDs.DefinitionVersion() &&
               lista.nomes.size() == aFields.size();
  for (size_t i = 0; mesma && i < aFields.size(); ++i) mesma = lista.nomes[i] == aFields[i];
  if (mesma) return lista;
  Resolve(lista, aDs, aFields);
  lista.lista = aFields.data();
  lista.nomes.assign(aFields.begin(), aFields.end());
  return lista;
}

const TmoxXMLDataSetNFe::TListaLembrada& TmoxXMLDataSetNFe::ListaFixa(const TXmlDataSetNFe& aDs,
                                                                      const TCamposXml& aFields) const {
  if (aFields.Numero() >= fListasFixas.size()) fListasFixas.resize(aFields.Numero() + 1);
  TListaLembrada& lista = fListasFixas[aFields.Numero()];
  if (lista.ds != &aDs || lista.versao != aDs.DefinitionVersion()) Resolve(lista, aDs, aFields.Nomes());
  return lista;
}

void TmoxXMLDataSetNFe::Resolve(TListaLembrada& aLista, const TXmlDataSetNFe& aDs,
                                std::span<const std::string_view> aFields) const {
  aLista.ds = &aDs;
  aLista.versao = aDs.DefinitionVersion();
  aLista.itens.resize(aFields.size());
  aLista.completa = true;
  aLista.estrangeiro = false;
  for (size_t i = 0; i < aFields.size(); ++i) {
    aLista.itens[i] = {CampoDoDataSet(aDs, aFields[i]), SameName(aFields[i], "idEstrangeiro_E03a")};
    aLista.completa = aLista.completa && aLista.itens[i].campo;
    aLista.estrangeiro = aLista.estrangeiro || aLista.itens[i].estrangeiro;
  }
}

TmoxXMLDataSetNFe::TCampoLembrado& TmoxXMLDataSetNFe::Lembranca(const TXmlDataSetNFe* aDs,
                                                                 std::string_view aNome) const {
  if (fCamposLembrados.empty()) EsqueceBuscas();
  return fCamposLembrados[Posicao(aDs, aNome.data(), kCamposLembrados)];
}

bool TmoxXMLDataSetNFe::TCampoLembrado::De(const TXmlDataSetNFe* aDs, std::string_view aNome) const {
  return campo && ds == aDs && nome == aNome.data() && tamanho == aNome.size() && SameName(aNome, campo->FieldName());
}

TXmlFieldNFe* TmoxXMLDataSetNFe::CampoDoDataSet(const TXmlDataSetNFe& aDs, std::string_view aNome) const {
  TCampoLembrado& lembrado = Lembranca(&aDs, aNome);
  if (lembrado.De(&aDs, aNome)) return lembrado.campo;
  TXmlFieldNFe* campo = aDs.FindXmlField(aNome);
  if (campo) lembrado = {&aDs, aNome.data(), aNome.size(), campo};
  return campo;
}

TXmlDataSetNFe* TmoxXMLDataSetNFe::DataSetOrNull(std::string_view aName) const {
  if (fPartesLembradas.empty()) EsqueceBuscas();
  TParteLembrada& lembrada = fPartesLembradas[Posicao(this, aName.data(), kPartesLembradas)];
  // An empty slot holds no data set: a name with no text (a null view) must not match it.
  if (lembrada.ds && lembrada.nome == aName.data() && lembrada.tamanho == aName.size() &&
      MesmaParte(aName, lembrada.ds->Name()))
    return lembrada.ds;
  TXmlDataSetNFe* ds = nullptr;
  // Data set names are short: capitalised on the stack, not in a new string.
  char upper[32] = {};
  if (aName.size() > sizeof upper) {
    auto it = fDataSetsByName.find(AsciiUpperCase(aName));
    ds = it == fDataSetsByName.end() ? nullptr : it->second;
  } else {
    for (size_t i = 0; i < aName.size(); ++i) upper[i] = AsciiUpper(aName[i]);
    auto it = fDataSetsByName.find(std::string_view(upper, aName.size()));
    ds = it == fDataSetsByName.end() ? nullptr : it->second;
  }
  if (ds) lembrada = {aName.data(), aName.size(), ds};
  return ds;
}

TXmlDataSetNFe& TmoxXMLDataSetNFe::FindDataSet(const TParteXml& aParte) const {
  const size_t numero = aParte.Numero();
  if (numero < fPartesFixas.size() && fPartesFixas[numero]) return *fPartesFixas[numero];
  TXmlDataSetNFe& ds = FindDataSet(aParte.Nome());
  if (fPartesFixas.size() <= numero) fPartesFixas.resize(numero + 1, nullptr);
  fPartesFixas[numero] = &ds;
  return ds;
}

TXmlDataSetNFe& TmoxXMLDataSetNFe::FindDataSet(std::string_view aName) const {
  if (TXmlDataSetNFe* ds = DataSetOrNull(aName)) return *ds;
  throw EmoxDataSetException::CreateFmt("Parte %s não encontrada.", {AsciiUpperCase(aName)}, fDiretorioLogErro);
}

TXmlFieldNFe* TmoxXMLDataSetNFe::CampoOuNulo(std::string_view aNome) const {
  // Names typed by a program are mostly the same literal texts note after note: remembered by
  // address like the converters' look-ups, with no data set (the container's first holder).
  TCampoLembrado& lembrado = Lembranca(nullptr, aNome);
  if (lembrado.De(nullptr, aNome)) return lembrado.campo;
  const int64_t pos =
      fCamposIndice.Find(aNome, [this](uint32_t aPos) -> std::string_view { return fCampos[aPos]->FieldName(); });
  if (pos < 0) return nullptr;
  lembrado = {nullptr, aNome.data(), aNome.size(), fCampos[static_cast<size_t>(pos)]};
  return lembrado.campo;
}

TXmlFieldNFe& TmoxXMLDataSetNFe::Campo(std::string_view aNome) const {
  if (TXmlFieldNFe* campo = CampoOuNulo(aNome)) return *campo;
  throw EmoxDataSetFieldNotFoundException::CreateFmt("Campo %s não encontrado", {aNome}, fDiretorioLogErro);
}

// --- Hooks --------------------------------------------------------------------------------------

const TmoxXMLDataSetNFe::TLigacao& TmoxXMLDataSetNFe::ResolveLigacao(const TXmlDataSetNFe& aDataSet) {
  const size_t ordem = aDataSet.Ordem();
  // Resolved with the messages of a look-up by name; a failure is not remembered.
  TLigacao ligacao;
  ligacao.ds = &aDataSet;
  ligacao.handle = &aDataSet.FieldByName("handle");
  if (!aDataSet.XMLMasterSource().empty()) {
    ligacao.mestre = &FindDataSet(aDataSet.XMLMasterSource()).FieldByName(aDataSet.XMLMasterField());
    ligacao.chave = &aDataSet.FieldByName(aDataSet.XMLKeyField());
  }
  // Counters stay by name (they outlive a reloaded dictionary); nodes of the map never move.
  ligacao.contador = &fHandles.try_emplace(aDataSet.Name(), 0).first->second;
  if (ordem >= fListDataSets.size() || fListDataSets[ordem].get() != &aDataSet) return fLigacaoAvulsa = ligacao;
  if (ordem >= fLigacoes.size()) fLigacoes.resize(fListDataSets.size());
  return fLigacoes[ordem] = ligacao;
}

void TmoxXMLDataSetNFe::DepoisDeIncluir(TXmlDataSetNFe& aDataSet) {
  const TLigacao& ligacao = LigacaoDe(aDataSet);
  char digits[24];
  const auto written = std::to_chars(digits, digits + sizeof digits, ++*ligacao.contador);
  ligacao.handle->SetAsString(std::string_view(digits, static_cast<size_t>(written.ptr - digits)));
  if (!ligacao.mestre) return;
  // A text key is read in place; other kinds go through their text form.
  std::string convertida;
  const std::string_view chave = ligacao.mestre->DataType() == TFieldType::ftString
                                     ? ligacao.mestre->TextView()
                                     : std::string_view(convertida = ligacao.mestre->AsString());
  // The new record already took the master's value through the link; writing it again would
  // only tell the details (there are none) and mark the record modified (it already is).
  if (aDataSet.Modified() && !aDataSet.HasDetails() && SameKey(ligacao.chave->TextView(), chave)) return;
  ligacao.chave->SetAsString(chave);
}

void TmoxXMLDataSetNFe::AntesDeIncluir(TXmlDataSetNFe& aDataSet) {
  // Only a pending record can be cancelled; testing its fields is needed only then.
  if (aDataSet.Editing() && !PossuiDadosCampo(aDataSet)) aDataSet.Cancel();
}

void TmoxXMLDataSetNFe::AntesDeSalvar(TXmlDataSetNFe& aDataSet) {
  ValidaConteudoDataSet(aDataSet);
  // Dictionaries without the identification group have no application version to default.
  if (fVerProc) AplicaVerProcPadrao();
}

void TmoxXMLDataSetNFe::ValidaConteudoDataSet(const TXmlDataSetNFe& aDataSet) const {
  // Only required fields and fields with allowed values have anything to check; most of an
  // invoice's fields are neither, so their values are not even read.
  if (!aDataSet.PendenteVerificavel()) return;
  for (const TXmlFieldNFe* campo : aDataSet.CamposVerificados()) {
    const TXmlFieldNFe& field = *campo;
    if (!field.IsNull() && !TrimBlanks(field.TextView()).empty()) {
      field.ValidarConteudo();
    } else if (field.Required()) {
      throw EmoxDataSetException::CreateFmt("O Campo [%s] referente a [%s] deve ser preenchido.%s",
                                            {field.FieldName(), field.DisplayLabel(), field.SufixoDica()},
                                            fDiretorioLogErro);
    } else {
      field.ValidarConteudo();
    }
  }
}

TmoxField& TmoxXMLDataSetNFe::AplicaVerProcPadrao() {
  TXmlDataSetNFe& b = fB ? *fB : FindDataSet("B");
  TmoxField& verProc = fVerProc ? *fVerProc : b.FieldByName("verProc_B27");
  // A posted B record got the default when it was posted; only a pending one can lack it.
  if (verProc.IsNull() && b.Editing()) verProc.SetAsString(kVerProcPadrao);
  return verProc;
}

std::string TmoxXMLDataSetNFe::VerificaCampoVerProc() { return AplicaVerProcPadrao().AsString(); }

// --- Commands -----------------------------------------------------------------------------------

int64_t TmoxXMLDataSetNFe::GetHandle(const TXmlDataSetNFe& aDataSet, bool aIncrement) {
  int64_t& counter = fHandles.try_emplace(aDataSet.Name(), 0).first->second;
  if (aIncrement) ++counter;
  return counter;
}

bool TmoxXMLDataSetNFe::PossuiDadosCampo(const TXmlDataSetNFe& aDS) const {
  for (size_t i = 0; i < aDS.FieldCount(); ++i) {
    const TXmlFieldNFe& field = aDS.XmlField(i);
    // Cheapest test first: most fields of a new record are empty.
    if (field.Visible() && !field.TextView().empty() && !SameName(field.FieldName(), "handle") &&
        !SameName(field.FieldName(), aDS.XMLMasterField()))
      return true;
  }
  return false;
}

void TmoxXMLDataSetNFe::ClearDataSets() {
  // Details are cancelled before their masters: a master that moves finishes its details'
  // pending records, and a discarded note must not have them posted and checked.
  std::vector<TXmlDataSetNFe*> byDepth;
  for (auto& ds : fListDataSets) byDepth.push_back(ds.get());
  std::stable_sort(byDepth.begin(), byDepth.end(),
                   [](const TXmlDataSetNFe* a, const TXmlDataSetNFe* b) { return LinkDepth(*a) > LinkDepth(*b); });
  for (TXmlDataSetNFe* ds : byDepth) ds->Cancel();

  for (auto& ds : fListDataSets) {
    ds->Cancel();
    ds->EmptyDataSet();
    ds->Close();
    ds->Open();
    if (ds->RecordCount() > 0)
      throw EmoxDataSetException::CreateFmt("Erro ao Liberar memória para próxima NFe em (%s) ", {ds->Name()},
                                            fDiretorioLogErro);
  }
}

void TmoxXMLDataSetNFe::Incluir() {
  try {
    ClearDataSets();
    for (auto& ds : fListDataSets)
      if (ds->XMLMasterSource().empty()) ds->Append();
  } catch (const EmoxDataSetException& e) {
    throw EmoxNFeDataSetException(e.what(), fDiretorioLogErro);
  }
}

void TmoxXMLDataSetNFe::IncluirPart(std::string_view aPartXml) {
  TXmlDataSetNFe& ds = FindDataSet(aPartXml);
  if (ds.Editing()) {
    if (PossuiDadosCampo(ds))
      ds.Post();
    else
      ds.Cancel();
  }
  ds.Append();
}

void TmoxXMLDataSetNFe::SalvarPart(std::string_view aPartXml) {
  TXmlDataSetNFe& ds = FindDataSet(aPartXml);
  if (ds.Editing()) ds.Post();
}

}  // namespace mox
