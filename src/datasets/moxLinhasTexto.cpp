#include "datasets/moxLinhasTexto.h"

#include <algorithm>
#include <cstring>

namespace mox {

std::vector<std::string> LinhasDoTexto(const std::string& aText) {
  const std::vector<std::string_view> trechos = TrechosDasLinhas(aText);
  return std::vector<std::string>(trechos.begin(), trechos.end());
}

std::vector<std::string_view> TrechosDasLinhas(std::string_view aText) {
  std::vector<std::string_view> lines;
  lines.reserve(ContaLinhas(aText));
  TCursorDeLinhas cursor(aText);
  for (std::string_view linha; cursor.Proxima(linha);) lines.push_back(linha);
  return lines;
}

TCursorDeLinhas::TCursorDeLinhas(std::string_view aText)
    : pos_(aText.data()), end_(aText.data() + aText.size()), comCR_(aText.find('\r') != std::string_view::npos) {}

bool TCursorDeLinhas::Proxima(std::string_view& aLinha) {
  if (pos_ >= end_) return false;
  const char* stop = pos_;
  if (!comCR_) {
    const void* lf = std::memchr(pos_, '\n', static_cast<size_t>(end_ - pos_));
    stop = lf ? static_cast<const char*>(lf) : end_;
  } else {
    // A plain scan: find_first_of asks the set about every character. Text characters are all
    // above CR, so one comparison settles most of them.
    while (stop < end_ && (static_cast<unsigned char>(*stop) > '\r' || (*stop != '\r' && *stop != '\n'))) ++stop;
  }
  aLinha = std::string_view(pos_, static_cast<size_t>(stop - pos_));
  pos_ = stop == end_ ? end_ : stop + (*stop == '\r' && stop + 1 < end_ && stop[1] == '\n' ? 2 : 1);
  return true;
}

namespace {

// Counted in blocks of at most 255 bytes into a byte-wide counter, which the compiler turns into
// wide compares; a counter as wide as size_t costs several instructions a byte.
size_t ContaLF(std::string_view aText) {
  size_t total = 0;
  for (size_t i = 0; i < aText.size(); i += 255) {
    const size_t fim = std::min(aText.size(), i + 255);
    uint8_t n = 0;
    for (size_t j = i; j < fim; ++j) n = static_cast<uint8_t>(n + (aText[j] == '\n'));
    total += n;
  }
  return total;
}

}  // namespace

size_t ContaLinhas(std::string_view aText) {
  // Without CRs the LFs tell it; a last line needs no LF.
  if (aText.find('\r') == std::string_view::npos)
    return ContaLF(aText) + (aText.empty() || aText.back() == '\n' ? 0 : 1);
  size_t total = 0;
  TCursorDeLinhas cursor(aText);
  for (std::string_view linha; cursor.Proxima(linha);) ++total;
  return total;
}

TCursorDeAtribuicoes::TCursorDeAtribuicoes(std::string_view aText, std::string_view aMarcados)
    : linhas_(aText), inicio_(aText.data()) {
  for (const char c : aMarcados) marcado_[static_cast<unsigned char>(c)] = 1;
}

bool TCursorDeAtribuicoes::Proxima(TAtribuicao& aLinha) {
  if (!linhas_.Proxima(aLinha.linha)) return false;
  aLinha.igual = aLinha.linha.find('=');
  uint8_t visto = 0;
  if (aLinha.igual != std::string_view::npos)
    for (const char c : aLinha.linha.substr(aLinha.igual + 1)) visto |= marcado_[static_cast<unsigned char>(c)];
  aLinha.valorMarcado = visto != 0;
  return true;
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
