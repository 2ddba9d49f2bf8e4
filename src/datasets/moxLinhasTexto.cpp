#include "datasets/moxLinhasTexto.h"

namespace mox {

std::vector<std::string> LinhasDoTexto(const std::string& aText) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < aText.size()) {
    // A plain scan: find_first_of asks the set about every character.
    size_t end = start;
    while (end < aText.size() && aText[end] != '\r' && aText[end] != '\n') ++end;
    if (end == aText.size()) end = std::string::npos;
    lines.push_back(aText.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + (aText.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

bool TLeitorDeLinhas::Proxima(std::string& aLinha) {
  for (;;) {
    if (pendente_) {
      const size_t cr = trecho_.find('\r', pos_);
      if (cr != std::string::npos) {
        aLinha.assign(trecho_, pos_, cr - pos_);
        pos_ = cr + 1;
        return true;
      }
      pendente_ = false;
      // Text after the last CR is a line; at the end of the input, only when there is some.
      if (terminaEmLF_ || pos_ < trecho_.size()) {
        aLinha.assign(trecho_, pos_);
        return true;
      }
    }
    if (!std::getline(in_, trecho_)) return false;
    terminaEmLF_ = !in_.eof();
    if (terminaEmLF_ && !trecho_.empty() && trecho_.back() == '\r') trecho_.pop_back();  // CR LF is one end
    pos_ = 0;
    pendente_ = true;
  }
}

}  // namespace mox
