#pragma once
// Letter case of codes, keys and names: ASCII letters only, other bytes as they are.
#include <string>
#include <string_view>

namespace mox {

char LowerAsciiChar(char aChar);
std::string UpperAscii(std::string aText);
std::string LowerAscii(std::string aText);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool ContainsIgnoreCase(std::string_view aText, std::string_view aPart);

}  // namespace mox
