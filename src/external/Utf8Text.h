#pragma once
// UTF-8 text helpers: byte-order marks, decoding of other encodings, accents, code points.
#include <cstddef>
#include <string>
#include <string_view>

namespace mox {

bool IsValidUtf8(std::string_view aText);

void AppendUtf8(std::string& aOut, char32_t aCodePoint);

// Number of Unicode code points (invalid bytes count one each).
size_t CodePointCount(std::string_view aText);

// The text without a leading UTF-8 byte-order mark.
std::string RemoveUtf8Bom(std::string aText);

// Bytes of a file or network answer turned into UTF-8: a UTF-8 or UTF-16 byte-order mark is
// honoured and removed; without one, valid UTF-8 stays as it is and anything else is Latin-1.
std::string DecodeToUtf8(std::string_view aBytes);

std::string Latin1ToUtf8(std::string_view aText);

// Line ends (CR, LF or CR LF) become CR LF and the text ends with one, as log readers expect.
std::string WithCrLf(const std::string& aText);

// Every accented Latin letter (and the ordinal indicators) replaced by its base letter.
std::string RemoveAllAccents(std::string_view aText);

// Only the characters listed in aCharacters (a UTF-8 text) are replaced by their base letter.
std::string RemoveListedAccents(std::string_view aText, std::string_view aCharacters);

}  // namespace mox
