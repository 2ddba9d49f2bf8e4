#include "external/TextSplit.h"

namespace mox {

namespace {
constexpr std::string_view kBlanks = " \t\r\n";
}

std::string Trim(std::string_view aText) {
  auto first = aText.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return std::string(aText.substr(first, aText.find_last_not_of(kBlanks) - first + 1));
}

std::vector<std::string> SplitTrimmed(std::string_view aText, std::string_view aSeparators) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= aText.size()) {
    size_t end = aText.find_first_of(aSeparators, start);
    if (end == std::string_view::npos) end = aText.size();
    if (std::string part = Trim(aText.substr(start, end - start)); !part.empty()) parts.push_back(std::move(part));
    start = end + 1;
  }
  return parts;
}

}  // namespace mox
