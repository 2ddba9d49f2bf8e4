#include "datasets/TmoxField.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "base/EmoxException.h"
#include "datasets/TmoxDataSet.h"
#include "datasets/moxFieldValue.h"
#include "external/Utf8Text.h"

namespace mox {

namespace fv = fieldvalue;

TmoxField::TmoxField(std::string aFieldName, TFieldType aDataType, int aSize)
    : FFieldName(std::move(aFieldName)), FSize(aSize), FDataType(aDataType) {}

void TmoxField::CheckDefinable() const {
  if (FDataSet)
    throw EmoxDataSetException::CreateFmt("A definição do campo %s não pode mudar depois de incluída no DataSet %s.",
                                          {FFieldName, FDataSet->Name()}, FDataSet->DiretorioLogErro());
}

void TmoxField::SetFieldName(std::string aName) {
  CheckDefinable();
  FFieldName = std::move(aName);
}

void TmoxField::SetSize(int aSize) {
  CheckDefinable();
  FSize = aSize;
}

void TmoxField::Redefined() {
  if (FDataSet) ++FDataSet->FDefinitions;
}

void TmoxField::FailNoDataSet() const {
  throw EmoxDataSetException::CreateFmt("O campo %s não pertence a um DataSet.", {FFieldName});
}

void TmoxField::FailNotText() const {
  throw EmoxDataSetException::CreateFmt("O campo %s não é de texto.", {FFieldName},
                                        FDataSet ? FDataSet->DiretorioLogErro() : std::string());
}

void TmoxField::Store(std::string_view aBytes) const {
  if (!FDataSet) FailNoDataSet();
  FDataSet->StoreValue(FIndex, aBytes);
}

void TmoxField::FailConversion(std::string_view aText) const {
  throw EmoxDataSetException::CreateFmt("'%s' não é um valor válido para o campo %s.", {aText, FFieldName},
                                        FDataSet ? FDataSet->DiretorioLogErro() : std::string());
}

std::string TmoxField::TextOf(std::string_view aStored) const {
  if (aStored.empty()) return {};
  switch (FDataType) {
    case TFieldType::ftString:
      return std::string(aStored);
    case TFieldType::ftInteger:
      return fv::IntegerText(fv::LoadInteger(aStored));
    case TFieldType::ftFloat:
      return fv::FloatText(fv::LoadFloat(aStored));
    case TFieldType::ftDateTime:
      return fv::DateTimeText(fv::LoadDateTime(aStored));
    case TFieldType::ftBoolean:
      return fv::BooleanText(fv::LoadBoolean(aStored));
  }
  return {};
}

std::string TmoxField::AsString() const { return TextOf(Stored()); }

std::int64_t TmoxField::AsInteger() const {
  const std::string_view s = Stored();
  if (s.empty()) return 0;
  switch (FDataType) {
    case TFieldType::ftInteger:
      return fv::LoadInteger(s);
    case TFieldType::ftFloat:
      return static_cast<std::int64_t>(std::llround(fv::LoadFloat(s)));
    case TFieldType::ftBoolean:
      return fv::LoadBoolean(s) ? 1 : 0;
    case TFieldType::ftString:
      if (auto v = fv::ParseInteger(s)) return *v;
      break;
    case TFieldType::ftDateTime:
      break;
  }
  FailConversion(TextOf(s));
}

double TmoxField::AsFloat() const {
  const std::string_view s = Stored();
  if (s.empty()) return 0;
  switch (FDataType) {
    case TFieldType::ftInteger:
      return static_cast<double>(fv::LoadInteger(s));
    case TFieldType::ftFloat:
      return fv::LoadFloat(s);
    case TFieldType::ftString:
      if (auto v = fv::ParseFloat(s)) return *v;
      break;
    case TFieldType::ftBoolean:
    case TFieldType::ftDateTime:
      break;
  }
  FailConversion(TextOf(s));
}

bool TmoxField::AsBoolean() const {
  const std::string_view s = Stored();
  if (s.empty()) return false;
  switch (FDataType) {
    case TFieldType::ftBoolean:
      return fv::LoadBoolean(s);
    case TFieldType::ftInteger:
      return fv::LoadInteger(s) != 0;
    case TFieldType::ftString:
      if (auto v = fv::ParseBoolean(s)) return *v;
      break;
    case TFieldType::ftFloat:
    case TFieldType::ftDateTime:
      break;
  }
  FailConversion(TextOf(s));
}

TDateTime TmoxField::AsDateTime() const {
  const std::string_view s = Stored();
  if (s.empty()) return TDateTime{};
  if (FDataType == TFieldType::ftDateTime) return fv::LoadDateTime(s);
  if (FDataType == TFieldType::ftString)
    if (auto v = fv::ParseDateTime(s)) return *v;
  FailConversion(TextOf(s));
}

TmoxVariant TmoxField::Value() const {
  const std::string_view s = Stored();
  if (s.empty()) return std::monostate{};
  switch (FDataType) {
    case TFieldType::ftString:
      return std::string(s);
    case TFieldType::ftInteger:
      return fv::LoadInteger(s);
    case TFieldType::ftFloat:
      return fv::LoadFloat(s);
    case TFieldType::ftBoolean:
      return fv::LoadBoolean(s);
    case TFieldType::ftDateTime:
      return fv::LoadDateTime(s);
  }
  return std::monostate{};
}

size_t TmoxField::TextLength(std::string_view aValue) const { return CodePointCount(aValue); }

void TmoxField::RefuseControlCharacters(std::string_view aValue) const {
  // XML 1.0 has no way to carry these (not even as references), so the note would be ill-formed.
  const auto bad = std::find_if(aValue.begin(), aValue.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 && u != '\t' && u != '\n' && u != '\r';
  });
  if (bad == aValue.end()) return;
  throw EmoxDataSetException::CreateFmt(
      "O campo %s contém um caractere de controle (código %d, posição %d) que o XML não admite.",
      {FFieldName, static_cast<int>(static_cast<unsigned char>(*bad)), static_cast<int>(CodePointCount(aValue.substr(0, bad - aValue.begin()))) + 1},
      FDataSet ? FDataSet->DiretorioLogErro() : std::string());
}

void TmoxField::SetAsStringChecked(std::string_view aValue) {
  if (aValue.empty()) return Clear();
  switch (FDataType) {
    case TFieldType::ftString:
      // Longer text would be cut on the way to the XML; refuse it instead of losing data.
      if (FSize > 0 && aValue.size() > static_cast<size_t>(FSize) && TextLength(aValue) > static_cast<size_t>(FSize))
        throw EmoxDataSetException::CreateFmt("O conteúdo do campo %s excede o tamanho máximo de %d caracteres.",
                                              {FFieldName, FSize},
                                              FDataSet ? FDataSet->DiretorioLogErro() : std::string());
      if (MayHoldControlBytes(aValue)) RefuseControlCharacters(aValue);
      return Store(aValue);
    case TFieldType::ftInteger:
      if (auto v = fv::ParseInteger(aValue)) return SetAsInteger(*v);
      break;
    case TFieldType::ftFloat:
      if (auto v = fv::ParseFloat(aValue)) return SetAsFloat(*v);
      break;
    case TFieldType::ftBoolean:
      if (auto v = fv::ParseBoolean(aValue)) return SetAsBoolean(*v);
      break;
    case TFieldType::ftDateTime:
      if (auto v = fv::ParseDateTime(aValue)) return SetAsDateTime(*v);
      break;
  }
  FailConversion(aValue);
}

void TmoxField::SetAsInteger(std::int64_t aValue) {
  std::string bytes;
  switch (FDataType) {
    case TFieldType::ftInteger:
      fv::StoreInteger(bytes, aValue);
      return Store(bytes);
    case TFieldType::ftFloat:
      return SetAsFloat(static_cast<double>(aValue));
    case TFieldType::ftBoolean:
      return SetAsBoolean(aValue != 0);
    case TFieldType::ftString:
      return SetAsString(fv::IntegerText(aValue));
    case TFieldType::ftDateTime:
      break;
  }
  FailConversion(fv::IntegerText(aValue));
}

void TmoxField::SetAsFloat(double aValue) {
  std::string bytes;
  switch (FDataType) {
    case TFieldType::ftFloat:
      fv::StoreFloat(bytes, aValue);
      return Store(bytes);
    case TFieldType::ftInteger:
      if (std::isfinite(aValue)) return SetAsInteger(static_cast<std::int64_t>(std::llround(aValue)));
      break;
    case TFieldType::ftString:
      return SetAsString(fv::FloatText(aValue));
    case TFieldType::ftBoolean:
    case TFieldType::ftDateTime:
      break;
  }
  FailConversion(fv::FloatText(aValue));
}

void TmoxField::SetAsBoolean(bool aValue) {
  std::string bytes;
  switch (FDataType) {
    case TFieldType::ftBoolean:
      fv::StoreBoolean(bytes, aValue);
      return Store(bytes);
    case TFieldType::ftInteger:
      return SetAsInteger(aValue ? 1 : 0);
    case TFieldType::ftString:
      return SetAsString(fv::BooleanText(aValue));
    case TFieldType::ftFloat:
    case TFieldType::ftDateTime:
      break;
  }
  FailConversion(fv::BooleanText(aValue));
}

void TmoxField::SetAsDateTime(TDateTime aValue) {
  std::string bytes;
  switch (FDataType) {
    case TFieldType::ftDateTime:
      fv::StoreDateTime(bytes, aValue);
      return Store(bytes);
    case TFieldType::ftString:
      return SetAsString(fv::DateTimeText(aValue));
    default:
      break;
  }
  FailConversion(fv::DateTimeText(aValue));
}

void TmoxField::SetValue(const TmoxVariant& aValue) {
  std::visit(
      [this](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate>)
          Clear();
        else if constexpr (std::is_same_v<T, std::string>)
          SetAsString(v);
        else if constexpr (std::is_same_v<T, std::int64_t>)
          SetAsInteger(v);
        else if constexpr (std::is_same_v<T, double>)
          SetAsFloat(v);
        else if constexpr (std::is_same_v<T, bool>)
          SetAsBoolean(v);
        else
          SetAsDateTime(v);
      },
      aValue);
}

void TmoxField::Clear() { Store({}); }

}  // namespace mox
