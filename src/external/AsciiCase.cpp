#include "external/AsciiCase.h"

#include <algorithm>

namespace mox {

char LowerAsciiChar(char aChar) { return (aChar >= 'A' && aChar <= 'Z') ? static_cast<char>(aChar - 'A' + 'a') : aChar; }

std::string UpperAscii(std::string aText) {
  for (char& c : aText)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return aText;
}

std::string LowerAscii(std::string aText) {
  for (char& c : aText) c = LowerAsciiChar(c);
  return aText;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAsciiChar(x) == LowerAsciiChar(y); });
}

bool ContainsIgnoreCase(std::string_view aText, std::string_view aPart) {
  if (aPart.empty()) return true;
  auto it = std::search(aText.begin(), aText.end(), aPart.begin(), aPart.end(),
                        [](char x, char y) { return LowerAsciiChar(x) == LowerAsciiChar(y); });
  return it != aText.end();
}

}  // namespace mox
