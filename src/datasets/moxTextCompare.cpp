#include "datasets/moxTextCompare.h"

#include <cstddef>

namespace mox {

namespace {

// The lower-case form of the character at aPos, as a code (ASCII byte, or 0x100 + the second
// byte of a two-byte Latin-1 letter); aPos advances past it.
unsigned FoldedAt(std::string_view s, size_t& aPos) {
  const auto c = static_cast<unsigned char>(s[aPos++]);
  if (c >= 'A' && c <= 'Z') return c + 0x20u;
  if (c == 0xC3 && aPos < s.size()) {
    unsigned next = static_cast<unsigned char>(s[aPos++]);
    if (next >= 0x80 && next <= 0x9E && next != 0x97) next += 0x20;  // À..Þ except ×
    return 0x100u + next;
  }
  return c;
}

}  // namespace

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size())
    if (FoldedAt(a, i) != FoldedAt(b, j)) return false;
  return i == a.size() && j == b.size();
}

}  // namespace mox
