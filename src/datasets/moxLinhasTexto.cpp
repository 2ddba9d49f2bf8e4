#include "datasets/moxLinhasTexto.h"

#include <algorithm>

namespace mox {

std::vector<std::string> LinhasDoTexto(const std::string& aText) {
  const std::vector<std::string_view> trechos = TrechosDasLinhas(aText);
  return std::vector<std::string>(trechos.begin(), trechos.end());
}

std::vector<std::string_view> TrechosDasLinhas(std::string_view aText) {
  std::vector<std::string_view> lines;
  // Counting the LFs first (a vectorised count) spares the list its regrowth on big texts.
  lines.reserve(static_cast<size_t>(std::count(aText.begin(), aText.end(), '\n')) + 1);
  const char* const begin = aText.data();
  const char* const end = begin + aText.size();
  const char* start = begin;
  while (start < end) {
    // A plain scan: find_first_of asks the set about every character. Text characters are all
    // above CR, so one comparison settles most of them.
    const char* stop = start;
    while (stop < end && (static_cast<unsigned char>(*stop) > '\r' || (*stop != '\r' && *stop != '\n'))) ++stop;
    lines.emplace_back(start, static_cast<size_t>(stop - start));
    if (stop == end) break;
    start = stop + (*stop == '\r' && stop + 1 < end && stop[1] == '\n' ? 2 : 1);
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
