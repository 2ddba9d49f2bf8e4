#include "datasets/TXmlFieldNFe.h"

#include "external/Utf8Text.h"
#include "external/XmlEscape.h"

#include "base/EmoxException.h"
#include "datasets/TmoxDataSet.h"
#include "datasets/moxNameIndex.h"
#include "datasets/moxTextCompare.h"

namespace mox {

TXmlFieldNFe::TXmlFieldNFe(std::string aFieldName, int aSize)
    : TmoxField(std::move(aFieldName), TFieldType::ftString, aSize) {}

std::string TXmlFieldNFe::EnumText() const {
  std::string text;
  for (const auto& value : fEnum) {
    text += value;
    text += '\n';
  }
  return text;
}

void TXmlFieldNFe::SetEnum(std::string_view aValue) {
  if (aValue.empty()) return;
  for (;;) {
    const size_t comma = aValue.find(',');
    fEnum.emplace_back(aValue.substr(0, comma));
    if (comma == std::string_view::npos) break;
    aValue.remove_prefix(comma + 1);
  }
  Redefined();
}

void TXmlFieldNFe::MontaMarcas() const {
  const std::string_view tag = std::string_view(FieldName()).substr(0, FieldName().find('_'));
  FMarcas.clear();
  FMarcas.append("<").append(tag).append("></").append(tag).append(">");
}

std::string TXmlFieldNFe::SufixoDica() const { return fDica.empty() ? std::string() : " Dica: " + fDica; }

void TXmlFieldNFe::ValidarConteudo() const {
  if (fEnum.empty()) return;
  const std::string_view value = TextView();
  if (value.empty()) return;
  for (const auto& allowed : fEnum)
    if (SameTextIgnoringCase(value, allowed)) return;
  throw EmoxDataSetException::CreateFmt("Conteúdo %s é inválido para o campo %s [%s].%s",
                                        {value, FieldName(), DisplayLabel(), SufixoDica()}, FDiretorioLogErro);
}

bool TmoxNFeXMLField::TemPosicao(std::string_view aItem) const {
  std::string_view items = fRec;
  if (items.empty()) return false;
  for (;;) {
    const size_t comma = items.find(',');
    if (SameName(items.substr(0, comma), aItem)) return true;
    if (comma == std::string_view::npos) return false;
    items.remove_prefix(comma + 1);
  }
}

size_t TXmlFieldNFe::TextLength(std::string_view aValue) const {
  return CodePointCount(UnescapeXmlText(aValue));
}

}  // namespace mox
