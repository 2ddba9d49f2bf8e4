#pragma once
// A field of an in-memory data set: its definition (name, type, size, flags) and typed access
// to its value in the data set's current record.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <variant>

#include "external/moxDateTime.h"

namespace mox {

class TmoxDataSet;

enum class TFieldType { ftString, ftInteger, ftFloat, ftDateTime, ftBoolean };

// A field value of any type; std::monostate is null.
using TmoxVariant = std::variant<std::monostate, std::string, std::int64_t, double, bool, TDateTime>;

class TmoxField {
 public:
  // A text field's size is its maximum length in characters (code points).
  explicit TmoxField(std::string aFieldName, TFieldType aDataType = TFieldType::ftString, int aSize = 0);
  virtual ~TmoxField() = default;
  TmoxField(const TmoxField&) = delete;
  TmoxField& operator=(const TmoxField&) = delete;

  // --- Definition. Name, type and size are fixed once the field belongs to a data set.
  const std::string& FieldName() const { return FFieldName; }
  void SetFieldName(std::string aName);
  TFieldType DataType() const { return FDataType; }
  int Size() const { return FSize; }
  void SetSize(int aSize);
  bool Required() const { return FRequired; }
  void SetRequired(bool aValue) {
    FRequired = aValue;
    Redefined();
  }
  bool Visible() const { return FVisible; }
  void SetVisible(bool aValue) {
    FVisible = aValue;
    Redefined();
  }
  // The field name unless a label was given.
  const std::string& DisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
  void SetDisplayLabel(std::string aLabel) { FDisplayLabel = std::move(aLabel); }
  TmoxDataSet* DataSet() const { return FDataSet; }
  size_t Index() const { return FIndex; }

  // --- Value in the current record (the pending one while editing). Reading a null field gives
  // an empty text, zero or false. Writing needs the data set in edit or insert state; an empty
  // text makes the field null.
  // Both read on every check and conversion of a record: defined inline with the data set.
  inline bool IsNull() const;
  std::string AsString() const;
  // Text fields only: the stored text, valid until the record or the value changes.
  inline std::string_view TextView() const;
  std::int64_t AsInteger() const;
  double AsFloat() const;
  bool AsBoolean() const;
  TDateTime AsDateTime() const;
  TmoxVariant Value() const;

  // Inline with the data set: the usual write (a text that fits) goes straight to the record.
  inline void SetAsString(std::string_view aValue);
  void SetAsInteger(std::int64_t aValue);
  void SetAsFloat(double aValue);
  void SetAsBoolean(bool aValue);
  void SetAsDateTime(TDateTime aValue);
  void SetValue(const TmoxVariant& aValue);
  void Clear();

  // The text form of a stored value of this field's type.
  std::string TextOf(std::string_view aStored) const;

 protected:
  // Tells the data set that a flag its cached field lists depend on changed.
  void Redefined();
  // Length of a text value against the field's size; NF-e fields count their XML entities as
  // the one character they stand for.
  virtual size_t TextLength(std::string_view aValue) const;

 private:
  friend class TmoxDataSet;
  inline std::string_view Stored() const;
  [[noreturn]] void FailNoDataSet() const;
  [[noreturn]] void FailNotText() const;
  void Store(std::string_view aBytes) const;
  void CheckDefinable() const;
  [[noreturn]] void FailConversion(std::string_view aText) const;
  void RefuseControlCharacters(std::string_view aValue) const;
  // Every case of SetAsString: conversions, limits and refusals.
  void SetAsStringChecked(std::string_view aValue);
  // True when some byte of the text is below 0x20, eight bytes at a time: typed values almost
  // never hold one, so the exact test runs only for the rare text that does.
  static bool MayHoldControlBytes(std::string_view aValue) {
    constexpr uint64_t kLow = 0x2020202020202020ull, kHigh = 0x8080808080808080ull;
    size_t i = 0;
    for (; i + 8 <= aValue.size(); i += 8) {
      uint64_t w;
      std::memcpy(&w, aValue.data() + i, 8);
      // A byte below 0x20 borrows into its high bit; bytes from 0x80 up are masked by ~w.
      if ((w - kLow) & ~w & kHigh) return true;
    }
    for (; i < aValue.size(); ++i)
      if (static_cast<unsigned char>(aValue[i]) < 0x20) return true;
    return false;
  }

  std::string FFieldName;
  std::string FDisplayLabel;
  TmoxDataSet* FDataSet = nullptr;
  size_t FIndex = 0;
  int FSize;
  TFieldType FDataType;
  bool FRequired = false;
  bool FVisible = true;
};

}  // namespace mox
