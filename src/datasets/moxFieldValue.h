#pragma once
// How typed field values are stored (raw bytes; an empty byte string is null) and how they
// are turned into text and back. Text follows the Brazilian conventions of the component:
// decimal comma, dd/mm/yyyy dates.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "external/moxDateTime.h"

namespace mox::fieldvalue {

void StoreInteger(std::string& aOut, std::int64_t aValue);
std::int64_t LoadInteger(std::string_view aBytes);
void StoreFloat(std::string& aOut, double aValue);
double LoadFloat(std::string_view aBytes);
void StoreBoolean(std::string& aOut, bool aValue);
bool LoadBoolean(std::string_view aBytes);
void StoreDateTime(std::string& aOut, TDateTime aValue);
TDateTime LoadDateTime(std::string_view aBytes);

std::string IntegerText(std::int64_t aValue);
// Up to 15 significant digits, decimal comma, no thousands separator.
std::string FloatText(double aValue);
std::string BooleanText(bool aValue);
// "dd/mm/yyyy hh:nn:ss", or only the date when the time is midnight.
std::string DateTimeText(TDateTime aValue);

// Parsers of text; nullopt when the text is not a value of that type.
std::optional<std::int64_t> ParseInteger(std::string_view aText);
// Either a decimal point or a decimal comma.
std::optional<double> ParseFloat(std::string_view aText);
// "True"/"False", "S"/"N", "1"/"0" in any letter case.
std::optional<bool> ParseBoolean(std::string_view aText);
// "dd/mm/yyyy[ hh:nn[:ss]]" or "yyyy-mm-dd[Thh:mm[:ss]]" (a UTC offset is ignored).
std::optional<TDateTime> ParseDateTime(std::string_view aText);

}  // namespace mox::fieldvalue
