// Conversion of dictionary fields, field lists, records and templates to XML text.
#include <algorithm>
#include <cstring>

#include "base/EmoxException.h"
#include "datasets/TmoxXMLDataSetNFe.h"

namespace mox {

namespace {

// The tag of a field is its name up to the first underscore ("cUF_B02" gives "cUF").
std::string_view TagOf(std::string_view aFieldName) { return aFieldName.substr(0, aFieldName.find('_')); }

// Room for aMore bytes, growing geometrically: the pieces of a field then land without a move.
void Reserva(std::string& aOut, size_t aMore) {
  if (aOut.capacity() - aOut.size() < aMore) aOut.reserve(std::max(aOut.capacity() * 2, aOut.size() + aMore + 64));
}

char* Copia(char* aDestino, std::string_view aTexto) {
  std::memcpy(aDestino, aTexto.data(), aTexto.size());
  return aDestino + aTexto.size();
}

}  // namespace

void TmoxXMLDataSetNFe::AppendValorXML(std::string& aOut, std::string_view aValor) const {
  aOut += Utils().RemoveAccents(std::string(aValor));
}

void TmoxXMLDataSetNFe::AppendFieldXml(std::string& aOut, const TXmlFieldNFe& aField) const {
  const std::string_view value = aField.TextView();
  if (!aField.Visible() || SameName(value, "NULL")) return;
  if (!aField.GeraTagVazia() && value.empty()) return;
  const std::string_view tag = TagOf(aField.FieldName());
  const bool elemento = aField.IsElemento();
  const size_t tamanho = elemento ? 2 * tag.size() + value.size() + 5 : tag.size() + value.size() + 3;
  Reserva(aOut, tamanho);
  if (fValoresComoDigitados) {
    // The value goes as it is: the whole field is laid down in place, piece by piece.
    const size_t inicio = aOut.size();
    aOut.resize(inicio + tamanho);
    char* p = aOut.data() + inicio;
    if (elemento) {
      *p++ = '<';
      p = Copia(p, tag);
      *p++ = '>';
      p = Copia(p, value);
      *p++ = '<';
      *p++ = '/';
      p = Copia(p, tag);
      *p = '>';
    } else {
      p = Copia(p, tag);
      *p++ = '=';
      *p++ = '"';
      p = Copia(p, value);
      *p = '"';
    }
    return;
  }
  if (elemento) {
    aOut += '<';
    aOut += tag;
    aOut += '>';
    AppendValorXML(aOut, value);
    aOut += "</";
    aOut += tag;
    aOut += '>';
  } else {
    aOut += tag;
    aOut += "=\"";
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
  return ConvertFieldParaXML(*field);
}

void TmoxXMLDataSetNFe::AppendFieldsXml(std::string& aOut, const TXmlDataSetNFe& aDs, std::string_view aName) const {
  const TXmlFieldNFe* field = CampoDoDataSet(aDs, aName);
  try {
    if (field) AppendFieldXml(aOut, *field);
  } catch (const std::exception&) {
    field = nullptr;
  }
  if (!field) throw EmoxDataSetFieldNotFoundException::CreateFmt("Campo %s não encontrado", {aName}, fDiretorioLogErro);
  // The schema wants a recipient identifier even when there is neither CNPJ, CPF nor a
  // foreign one.
  if (SameName(aName, "idEstrangeiro_E03a") && aOut.find("<CNPJ>") == std::string::npos &&
      aOut.find("<CPF>") == std::string::npos && aOut.find("<idEstrangeiro>") == std::string::npos)
    aOut += "<idEstrangeiro/>";
}

std::string TmoxXMLDataSetNFe::ConvertFieldsParaXML(const TXmlDataSetNFe& aDs,
                                                    std::initializer_list<std::string_view> aFields) const {
  return ConvertFieldsParaXML(aDs, std::span<const std::string_view>(aFields.begin(), aFields.size()));
}

std::string TmoxXMLDataSetNFe::ConvertFieldsParaXML(const TXmlDataSetNFe& aDs,
                                                    std::span<const std::string_view> aFields) const {
  std::string out;
  for (std::string_view name : aFields) AppendFieldsXml(out, aDs, name);
  return out;
}

std::string TmoxXMLDataSetNFe::ConvertFieldsParaXML(const TXmlDataSetNFe& aDs,
                                                    const std::vector<std::string>& aFields) const {
  std::string out;
  for (const std::string& name : aFields) AppendFieldsXml(out, aDs, name);
  return out;
}

void TmoxXMLDataSetNFe::AppendDataSetXml(std::string& aOut, const TXmlDataSetNFe& aDataSet) const {
  bool hasValue = false;
  for (size_t i = 0; i < aDataSet.FieldCount() && !hasValue; ++i) {
    const TXmlFieldNFe& field = aDataSet.XmlField(i);
    hasValue = field.Visible() && !field.TextView().empty();
  }
  if (!hasValue) return;
  const std::string& tag = aDataSet.TagXML();
  if (!tag.empty()) aOut.append("<").append(tag).append(">");
  for (size_t i = 0; i < aDataSet.FieldCount(); ++i) AppendFieldXml(aOut, aDataSet.XmlField(i));
  if (!tag.empty()) aOut.append("</").append(tag).append(">");
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

std::string TmoxXMLDataSetNFe::ParserConverter(std::string_view aTexto) const {
  std::string out, reference;
  out.reserve(aTexto.size());
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
