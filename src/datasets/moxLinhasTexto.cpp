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

TDivisorDeAtribuicoes::TDivisorDeAtribuicoes(std::string_view aMarcados) {
  for (const char c : aMarcados) marcado_[static_cast<unsigned char>(c)] = 1;
}

bool TCursorDeAtribuicoes::Proxima(TAtribuicao& aLinha) {
  std::string_view linha;
  if (!linhas_.Proxima(linha)) return false;
  aLinha = divisor_.Divide(linha);
  return true;
}

bool TLeitorDeLinhas::LeBloco() {
  constexpr size_t kBloco = 64 * 1024;
  bloco_.erase(0, pos_);
  pos_ = 0;
  const size_t antes = bloco_.size();
  bloco_.resize(antes + kBloco);
  in_.read(bloco_.data() + antes, static_cast<std::streamsize>(kBloco));
  bloco_.resize(antes + static_cast<size_t>(in_.gcount()));
  return bloco_.size() > antes;
}

bool TLeitorDeLinhas::Proxima(std::string& aLinha) {
  for (;;) {
    if (depoisDeCR_ && pos_ < bloco_.size()) {
      if (bloco_[pos_] == '\n') ++pos_;
      depoisDeCR_ = false;
    }
    const char* inicio = bloco_.data() + pos_;
    const size_t resto = bloco_.size() - pos_;
    // The first LF, then a CR before it; the part already searched is not searched again.
    const void* lf = std::memchr(inicio + visto_, '\n', resto - visto_);
    const size_t ate = lf ? static_cast<size_t>(static_cast<const char*>(lf) - inicio) : resto;
    const void* cr = std::memchr(inicio + visto_, '\r', ate - visto_);
    const size_t fim = cr ? static_cast<size_t>(static_cast<const char*>(cr) - inicio) : ate;
    if (fim < resto) {
      aLinha.assign(inicio, fim);
      depoisDeCR_ = inicio[fim] == '\r';
      pos_ += fim + 1;
      visto_ = 0;
      return true;
    }
    visto_ = resto;
    if (LeBloco()) continue;
    // Text after the last line end is a line only when there is some. (The block may have moved.)
    visto_ = 0;
    if (pos_ == bloco_.size()) return false;
    aLinha.assign(bloco_, pos_);
    pos_ = bloco_.size();
    return true;
  }
}

}  // namespace mox
