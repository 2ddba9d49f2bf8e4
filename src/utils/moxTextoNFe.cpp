#include "utils/moxTextoNFe.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "base/EmoxException.h"
#include "external/Utf8Text.h"
#include "external/AsciiCase.h"

namespace mox {

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Byte offset of the code point with 0-based index aIndex, or the text size past the end.
size_t ByteOffset(std::string_view aText, size_t aIndex) {
  size_t i = 0;
  for (; i < aText.size() && aIndex > 0; --aIndex) {
    ++i;
    while (i < aText.size() && IsContinuation(static_cast<unsigned char>(aText[i]))) ++i;
  }
  return i;
}

bool IsBlank(unsigned char c) { return c <= ' '; }

}  // namespace

size_t CharCount(std::string_view aText) { return CodePointCount(aText); }

std::string CopyChars(std::string_view aText, size_t aStart, size_t aCount) {
  if (aStart < 1) aStart = 1;
  size_t begin = ByteOffset(aText, aStart - 1);
  size_t end = begin + ByteOffset(aText.substr(begin), aCount);
  return std::string(aText.substr(begin, end - begin));
}

std::string TrimText(std::string_view aText) {
  size_t b = 0, e = aText.size();
  while (b < e && IsBlank(static_cast<unsigned char>(aText[b]))) ++b;
  while (e > b && IsBlank(static_cast<unsigned char>(aText[e - 1]))) --e;
  return std::string(aText.substr(b, e - b));
}

bool IsDigits(std::string_view aText) {
  return !aText.empty() && std::all_of(aText.begin(), aText.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::int64_t> TryStrToInt64(std::string_view aText) {
  if (!aText.empty() && aText.front() == '+') {
    aText.remove_prefix(1);
    if (!aText.empty() && (aText.front() == '-' || aText.front() == '+')) return std::nullopt;
  }
  if (aText.empty()) return std::nullopt;
  std::int64_t value = 0;
  auto [ptr, ec] = std::from_chars(aText.data(), aText.data() + aText.size(), value);
  if (ec != std::errc() || ptr != aText.data() + aText.size()) return std::nullopt;
  return value;
}

namespace {

[[noreturn]] void RaiseNotInteger(const std::string& aText) {
  throw EmoxNFeCheckParams::CreateFmt("'%s' não é um valor inteiro válido.", {aText});
}

}  // namespace

std::int64_t StrToInt64(const std::string& aText) {
  auto value = TryStrToInt64(aText);
  if (!value) RaiseNotInteger(aText);
  return *value;
}

int DigitValue(char aChar, const std::string& aValor) {
  if (aChar < '0' || aChar > '9') RaiseNotInteger(aValor);
  return aChar - '0';
}

}  // namespace mox
