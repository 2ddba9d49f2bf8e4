#include "datasets/moxLinhasTexto.h"

namespace mox {

std::vector<std::string> LinhasDoTexto(const std::string& aText) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < aText.size()) {
    const size_t end = aText.find_first_of("\r\n", start);
    lines.push_back(aText.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + (aText.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

}  // namespace mox
