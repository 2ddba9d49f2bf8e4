#include "base/TmoxCertStringNFe.h"

namespace mox {

std::string TmoxCertStringNFe::Text() const {
  std::string text;
  for (const auto& l : lines_) text += l + "\n";
  return text;
}

void TmoxCertStringNFe::SetText(const std::string& aText) {
  lines_.clear();
  size_t start = 0;
  while (start < aText.size()) {
    size_t end = aText.find_first_of("\r\n", start);
    lines_.push_back(aText.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + (aText.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  if (OnSetText) OnSetText(aText);
}

}  // namespace mox
