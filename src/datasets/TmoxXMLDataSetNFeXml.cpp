// Conversion of dictionary fields, field lists, records and templates to XML text.
#include <algorithm>
#include <cstring>

#include "base/EmoxException.h"
#include "datasets/TmoxXMLDataSetNFe.h"

namespace mox {

namespace {

bool EhMarca(char c) { return c == '@' || c == '(' || c == ')'; }

// The position of the next "@", "(" or ")" from aDe; the size of the text when there is none.
size_t ProximaMarca(std::string_view aTexto, size_t aDe) {
  while (aDe < aTexto.size() && !EhMarca(aTexto[aDe])) ++aDe;
  return aDe;
}

// The schema wants a recipient identifier even when there is neither CNPJ, CPF nor a foreign
// one: aLista is what the field list wrote so far.
void CompletaEstrangeiro(std::string& aOut, std::string_view aLista) {
  if (aLista.find("<CNPJ>") == std::string_view::npos && aLista.find("<CPF>") == std::string_view::npos &&
      aLista.find("<idEstrangeiro>") == std::string_view::npos)
    aOut += "<idEstrangeiro/>";
}

}  // namespace

void TmoxXMLDataSetNFe::AppendValorXML(std::string& aOut, std::string_view aValor) const {
  aOut += Utils().RemoveAccents(std::string(aValor));
}

void TmoxXMLDataSetNFe::AppendFieldXml(std::string& aOut, const TXmlFieldNFe& aField) const {
  const std::string_view value = aField.TextView();
  if (!aField.Visible()) return;
  if (value.empty() ? !aField.GeraTagVazia() : value.size() == 4 && SameName(value, "NULL")) return;
  // "<tag></tag>": the opening is the tag and two marks, the closing one more.
  const std::string_view marcas = aField.Marcas();
  const size_t tag = (marcas.size() - 5) / 2;
  if (aField.IsElemento()) {
    aOut.append(marcas.data(), tag + 2);
    if (fValoresComoDigitados)
      aOut.append(value);
    else
      AppendValorXML(aOut, value);
    aOut.append(marcas.data() + tag + 2, tag + 3);
  } else {
    aOut.append(marcas.data() + 1, tag).append("=\"");
    if (fValoresComoDigitados)
      aOut.append(value);
    else
      AppendValorXML(aOut, value);
    aOut += '"';
  }
}

std::string TmoxXMLDataSetNFe::ConvertFieldParaXML(const TXmlFieldNFe& aField) const {
  std::string out;
  AppendFieldXml(out, aField);
  return out;
}

std::string TmoxXMLDataSetNFe::ConvertFieldParaXML(const TXmlDataSetNFe& aDs, std::string_view aNameField) const {
  const TXmlFieldNFe* field = CampoDoDataSet(aDs, aNameField);
  if (!field)
    throw EmoxDataSetFieldNotFoundException::CreateFmt("Campo %s não encontrado", {aNameField}, fDiretorioLogErro);
  if (SemSaidaNaConversao(aDs)) return {};
  return ConvertFieldParaXML(*field);
}

void TmoxXMLDataSetNFe::AppendFieldParaXML(std::string& aOut, const TXmlDataSetNFe& aDs,
                                           std::string_view aNameField) const {
  const TXmlFieldNFe* field = CampoDoDataSet(aDs, aNameField);
  if (!field)
    throw EmoxDataSetFieldNotFoundException::CreateFmt("Campo %s não encontrado", {aNameField}, fDiretorioLogErro);
  if (SemSaidaNaConversao(aDs)) return;
  AppendFieldXml(aOut, *field);
}

void TmoxXMLDataSetNFe::AppendFieldsParaXML(std::string& aOut, const TXmlDataSetNFe& aDs,
                                            std::initializer_list<std::string_view> aFields) const {
  AppendFieldsParaXML(aOut, aDs, std::span<const std::string_view>(aFields.begin(), aFields.size()));
}

void TmoxXMLDataSetNFe::AppendFieldsParaXML(std::string& aOut, const TXmlDataSetNFe& aDs,
                                            std::span<const std::string_view> aFields) const {
  AppendLista(aOut, ListaDoDataSet(aDs, aFields), aFields);
}

void TmoxXMLDataSetNFe::AppendFieldsParaXML(std::string& aOut, const TXmlDataSetNFe& aDs,
                                            const TCamposXml& aFields) const {
  AppendLista(aOut, ListaFixa(aDs, aFields), aFields.Nomes());
}

std::string TmoxXMLDataSetNFe::ConvertFieldsParaXML(const TXmlDataSetNFe& aDs, const TCamposXml& aFields) const {
  std::string out;
  AppendFieldsParaXML(out, aDs, aFields);
  return out;
}

bool TmoxXMLDataSetNFe::GrupoSemSaida(const TXmlDataSetNFe& aDs,
                                      std::initializer_list<const TCamposXml*> aListas) const {
  for (const TCamposXml* campos : aListas) {
    const TListaLembrada& lista = ListaFixa(aDs, *campos);
    for (size_t i = 0; !lista.completa && i < lista.itens.size(); ++i)
      if (!lista.itens[i].campo)
        throw EmoxDataSetFieldNotFoundException::CreateFmt("Campo %s não encontrado", {campos->Nomes()[i]},
                                                           fDiretorioLogErro);
  }
  return SemSaidaNaConversao(aDs) || aDs.SemSaida();
}

void TmoxXMLDataSetNFe::AppendLista(std::string& aOut, const TListaLembrada& aLista,
                                    std::span<const std::string_view> aFields) const {
  // The empty foreign identifier is written even without data.
  if (aLista.completa && !aLista.estrangeiro && SemSaidaNaConversao(*aLista.ds)) return;
  const size_t inicio = aOut.size();
  for (size_t i = 0; i < aFields.size(); ++i) {
    const TListaLembrada::TItem& item = aLista.itens[i];
    bool escrito = item.campo != nullptr;
    try {
      if (escrito) AppendFieldXml(aOut, *item.campo);
    } catch (const std::exception&) {
      escrito = false;
    }
    if (!escrito)
      throw EmoxDataSetFieldNotFoundException::CreateFmt("Campo %s não encontrado", {aFields[i]}, fDiretorioLogErro);
    if (item.estrangeiro) CompletaEstrangeiro(aOut, std::string_view(aOut).substr(inicio));
  }
}

std::string TmoxXMLDataSetNFe::ConvertFieldsParaXML(const TXmlDataSetNFe& aDs,
                                                    std::initializer_list<std::string_view> aFields) const {
  return ConvertFieldsParaXML(aDs, std::span<const std::string_view>(aFields.begin(), aFields.size()));
}

std::string TmoxXMLDataSetNFe::ConvertFieldsParaXML(const TXmlDataSetNFe& aDs,
                                                    std::span<const std::string_view> aFields) const {
  std::string out;
  AppendFieldsParaXML(out, aDs, aFields);
  return out;
}

std::string TmoxXMLDataSetNFe::ConvertFieldsParaXML(const TXmlDataSetNFe& aDs,
                                                    const std::vector<std::string>& aFields) const {
  const std::vector<std::string_view> nomes(aFields.begin(), aFields.end());
  return ConvertFieldsParaXML(aDs, std::span<const std::string_view>(nomes));
}

void TmoxXMLDataSetNFe::AppendDataSetXml(std::string& aOut, const TXmlDataSetNFe& aDataSet) const {
  if (!aDataSet.TemValorVisivel()) return;
  const std::string& tag = aDataSet.TagXML();
  if (!tag.empty()) aOut.append("<").append(tag).append(">");
  for (size_t i = 0; i < aDataSet.FieldCount(); ++i) AppendFieldXml(aOut, aDataSet.XmlField(i));
  if (!tag.empty()) aOut.append("</").append(tag).append(">");
}

void TmoxXMLDataSetNFe::AppendDataSetParaXML(std::string& aOut, const TXmlDataSetNFe& aDataSet) const {
  AppendDataSetXml(aOut, aDataSet);
}

std::string TmoxXMLDataSetNFe::ConvertDataSetParaXML(const TXmlDataSetNFe& aDataSet) const {
  std::string out;
  AppendDataSetXml(out, aDataSet);
  return out;
}

void TmoxXMLDataSetNFe::AppendReference(std::string& aOut, std::string_view aReference) const {
  const TXmlDataSetNFe& ds = FindDataSet(aReference.substr(0, 1));
  const std::string_view fieldName = aReference.empty() ? aReference : aReference.substr(1);
  if (fieldName == "*") return AppendDataSetXml(aOut, ds);
  const TXmlFieldNFe* field = CampoDoDataSet(ds, fieldName);
  if (!field)
    throw EmoxDataSetFieldNotFoundException::CreateFmt("Campo %s não encontrado", {fieldName}, fDiretorioLogErro);
  AppendFieldXml(aOut, *field);
}

const TmoxXMLDataSetNFe::TModeloLembrado* TmoxXMLDataSetNFe::ModeloDe(std::string_view aTexto) const {
  for (const TModeloLembrado& modelo : fModelos)
    if (modelo.texto == aTexto) return modelo.lido ? &modelo : nullptr;
  // The look-ups below must not empty the remembered templates while one is being read.
  if (fPartesLembradas.empty() || fCamposLembrados.empty()) EsqueceBuscas();
  // Templates are the converters' own texts, a few per layout.
  constexpr size_t kModelos = 64;
  if (fModelos.size() == kModelos) return nullptr;
  // The reading of ParserConverter below, keeping pieces instead of writing them.
  TModeloLembrado& modelo = fModelos.emplace_back();
  modelo.texto = aTexto;
  size_t i = 0;
  while (i < aTexto.size()) {
    const size_t marca = ProximaMarca(aTexto, i);
    if (marca > i) modelo.pecas.push_back({i, marca - i, nullptr, nullptr});
    if (marca == aTexto.size()) break;
    i = marca + 1;
    if (aTexto[marca] != '@') continue;
    const size_t fecha = i + 2 <= aTexto.size() ? ProximaMarca(aTexto, i + 2) : aTexto.size();
    if (!(i + 1 < aTexto.size() && !EhMarca(aTexto[i]) && aTexto[i + 1] == '(' && fecha < aTexto.size() &&
          aTexto[fecha] == ')'))
      return nullptr;
    const TXmlDataSetNFe* ds = DataSetOrNull(aTexto.substr(i, 1));
    const std::string_view nome = aTexto.substr(i + 2, fecha - i - 2);
    const TXmlFieldNFe* campo = ds && nome != "*" ? CampoDoDataSet(*ds, nome) : nullptr;
    if (!ds || (nome != "*" && !campo)) return nullptr;
    modelo.pecas.push_back({0, 0, ds, campo});
    i = fecha + 1;
  }
  modelo.lido = true;
  return &modelo;
}

std::string TmoxXMLDataSetNFe::ParserConverter(std::string_view aTexto) const {
  std::string out;
  out.reserve(aTexto.size());
  if (const TModeloLembrado* modelo = ModeloDe(aTexto)) {
    for (const TModeloLembrado::TPeca& peca : modelo->pecas) {
      if (peca.campo)
        AppendFieldXml(out, *peca.campo);
      else if (peca.ds)
        AppendDataSetXml(out, *peca.ds);
      else
        out.append(modelo->texto, peca.inicio, peca.tamanho);
    }
    return out;
  }
  // Any other template is read as it goes, failing where it names what does not exist.
  std::string reference;
  bool inReference = false;
  for (char c : aTexto) {
    if (c == '@') {
      inReference = true;
    } else if (inReference) {
      if (c == ')') {
        AppendReference(out, reference);
        reference.clear();
        inReference = false;
      } else if (c != '(') {
        reference += c;
      }
    } else if (c != '(' && c != ')') {
      out += c;
    }
  }
  return out;
}

}  // namespace mox
