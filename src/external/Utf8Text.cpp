#include "external/Utf8Text.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>
#include <vector>

namespace mox {

namespace {

// Decodes one code point at aPos; returns its length, or 0 when the bytes are not valid UTF-8.
size_t DecodeAt(std::string_view s, size_t aPos, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[aPos]);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  size_t len;
  char32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (aPos + len > s.size()) return 0;
  for (size_t i = 1; i < len; ++i) {
    const auto b = static_cast<unsigned char>(s[aPos + i]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

std::string Utf16ToUtf8(std::string_view aBytes, bool aBigEndian) {
  std::string out;
  out.reserve(aBytes.size());
  auto unit = [&](size_t i) -> char32_t {
    const auto a = static_cast<unsigned char>(aBytes[i]), b = static_cast<unsigned char>(aBytes[i + 1]);
    return aBigEndian ? (char32_t(a) << 8 | b) : (char32_t(b) << 8 | a);
  };
  for (size_t i = 0; i + 1 < aBytes.size(); i += 2) {
    char32_t cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < aBytes.size()) {
      char32_t lo = unit(i + 2);
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
        i += 2;
      } else {
        cp = 0xFFFD;
      }
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

// Base letter of an accented Latin letter, or 0 when the code point has none.
char BaseLetter(char32_t cp) {
  // U+00C0..U+00FF, one entry per code point; '\0' where no base letter applies.
  static constexpr char kLatin1[] =
      "AAAAAA\0CEEEEIIII"     // C0-CF
      "\0NOOOOO\0OUUUUY\0\0"  // D0-DF
      "aaaaaa\0ceeeeiiii"     // E0-EF
      "\0nooooo\0ouuuuy\0y";  // F0-FF
  static_assert(sizeof kLatin1 == 65);
  if (cp >= 0xC0 && cp <= 0xFF) return kLatin1[cp - 0xC0];
  switch (cp) {
    case 0xAA: return 'a';  // ordinal indicators and the degree sign, as in "Nº"
    case 0xBA: return 'o';
    case 0xB0: return 'o';
    default: break;
  }
  if (cp >= 0x100 && cp <= 0x17F) {
    // Latin Extended-A.
    static constexpr char kExtA[] =
        "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi\0\0JjKk\0LlLlLlLlLlNnNnNn\0\0\0"
        "OoOoOo\0\0RrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
    static_assert(sizeof kExtA == 129);
    return kExtA[cp - 0x100];
  }
  return 0;
}

template <typename Pred>
std::string ReplaceAccents(std::string_view aText, Pred aShouldReplace) {
  std::string out;
  out.reserve(aText.size());
  for (size_t i = 0; i < aText.size();) {
    char32_t cp;
    size_t len = DecodeAt(aText, i, cp);
    if (len == 0) {
      out += aText[i++];
      continue;
    }
    char base = len > 1 && aShouldReplace(cp) ? BaseLetter(cp) : 0;
    if (base) {
      out += base;
    } else {
      out.append(aText.substr(i, len));
    }
    i += len;
  }
  return out;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsValidUtf8(std::string_view aText) {
  for (size_t i = 0; i < aText.size();) {
    char32_t cp;
    size_t len = DecodeAt(aText, i, cp);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

size_t CodePointCount(std::string_view aText) {
  size_t n = 0;
  for (size_t i = 0; i < aText.size(); ++n) {
    char32_t cp;
    size_t len = DecodeAt(aText, i, cp);
    i += len ? len : 1;
  }
  return n;
}

std::string RemoveUtf8Bom(std::string aText) {
  if (aText.size() >= 3 && aText.compare(0, 3, "\xEF\xBB\xBF") == 0) aText.erase(0, 3);
  return aText;
}

std::string Latin1ToUtf8(std::string_view aText) {
  std::string out;
  out.reserve(aText.size() + aText.size() / 8);
  for (char c : aText) AppendUtf8(out, static_cast<unsigned char>(c));
  return out;
}

std::string DecodeToUtf8(std::string_view aBytes) {
  if (aBytes.size() >= 3 && aBytes.substr(0, 3) == "\xEF\xBB\xBF") return std::string(aBytes.substr(3));
  if (aBytes.size() >= 2 && aBytes.substr(0, 2) == "\xFF\xFE") return Utf16ToUtf8(aBytes.substr(2), false);
  if (aBytes.size() >= 2 && aBytes.substr(0, 2) == "\xFE\xFF") return Utf16ToUtf8(aBytes.substr(2), true);
  if (IsValidUtf8(aBytes)) return std::string(aBytes);
  return Latin1ToUtf8(aBytes);
}

std::string RemoveAllAccents(std::string_view aText) {
  return ReplaceAccents(aText, [](char32_t) { return true; });
}

std::string RemoveListedAccents(std::string_view aText, std::string_view aCharacters) {
  std::unordered_set<char32_t> listed;
  for (size_t i = 0; i < aCharacters.size();) {
    char32_t cp;
    size_t len = DecodeAt(aCharacters, i, cp);
    if (len == 0) {
      ++i;
      continue;
    }
    listed.insert(cp);
    i += len;
  }
  return ReplaceAccents(aText, [&](char32_t cp) { return listed.count(cp) > 0; });
}

std::string WithCrLf(const std::string& aText) {
  std::string out;
  out.reserve(aText.size() + aText.size() / 40 + 2);
  for (size_t i = 0; i < aText.size(); ++i) {
    char c = aText[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < aText.size() && aText[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  out += "\r\n";
  return out;
}

}  // namespace mox
