#pragma once
// Text helpers of the fiscal utilities. Positions and lengths count code points, and cuts
// past the end give what is there instead of failing, so short input never crashes a routine.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include "external/AsciiCase.h"

namespace mox {

// Code points of the text.
size_t CharCount(std::string_view aText);

// aCount code points from the 1-based position aStart; shorter (or empty) near the end.
std::string CopyChars(std::string_view aText, size_t aStart, size_t aCount);

// The text without leading and trailing blanks and control characters.
std::string TrimText(std::string_view aText);

bool IsDigits(std::string_view aText);

// The decimal value of a text of digits with an optional leading sign; nullopt when the text
// is anything else or does not fit in 64 bits.
std::optional<std::int64_t> TryStrToInt64(std::string_view aText);

// The value of an integer text; raises EmoxNFeCheckParams for anything else.
std::int64_t StrToInt64(const std::string& aText);

// Value of one decimal digit character; raises EmoxNFeCheckParams naming aValor for any other
// character, so a letter never counts as zero in a check digit.
int DigitValue(char aChar, const std::string& aValor);

}  // namespace mox
