#include "datasets/moxLinhasTexto.h"

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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
size_t ContaLFUmAUm(std::string_view aText) {
  size_t total = 0;
  for (size_t i = 0; i < aText.size(); i += 255) {
    const size_t fim = std::min(aText.size(), i + 255);
    uint8_t n = 0;
    for (size_t j = i; j < fim; ++j) n = static_cast<uint8_t>(n + (aText[j] == '\n'));
    total += n;
  }
  return total;
}

#ifdef __SSE2__
// Sixteen byte-wide counters, each taking at most 255 blocks of 16 bytes before they are summed.
size_t ContaLF(std::string_view aText) {
  const __m128i lf = _mm_set1_epi8('\n'), zero = _mm_setzero_si128();
  const char* p = aText.data();
  size_t blocos = aText.size() / 16, total = 0;
  while (blocos > 0) {
    const size_t vez = std::min<size_t>(blocos, 255);
    __m128i contas = zero;
    for (size_t i = 0; i < vez; ++i, p += 16)
      contas = _mm_sub_epi8(contas, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lf));
    const __m128i somas = _mm_sad_epu8(contas, zero);
    total += static_cast<size_t>(_mm_cvtsi128_si64(somas)) + static_cast<size_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(somas, somas)));
    blocos -= vez;
  }
  return total + ContaLFUmAUm(aText.substr(static_cast<size_t>(p - aText.data())));
}
#else
size_t ContaLF(std::string_view aText) { return ContaLFUmAUm(aText); }
#endif

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
  std::string distintos;
  for (const char c : aMarcados) {
    if (marcado_[static_cast<unsigned char>(c)]) continue;
    marcado_[static_cast<unsigned char>(c)] = 1;
    distintos += c;
  }
  vetorial_ = !distintos.empty() && distintos.size() <= kVetores;
  if (vetorial_)
    for (size_t i = 0; i < kVetores; ++i) vetores_[i].fill(distintos[i < distintos.size() ? i : 0]);
}

void TCursorDeAtribuicoes::Carrega(const char* aInicio) {
  janela_ = aInicio;
  const auto resto = static_cast<size_t>(fim_ - aInicio);
  if (resto >= kJanela) {
    Mascaras(aInicio);
    return;
  }
  // The last bytes of the text are read from a copy, so nothing past its end is touched. The
  // copy's zeros are no bytes of the text: the text's end stands there as a line end.
  alignas(16) char copia[kJanela] = {};
  std::memcpy(copia, aInicio, resto);
  Mascaras(copia);
  const uint64_t dentro = (uint64_t{1} << resto) - 1;
  fins_ = (fins_ & dentro) | (uint64_t{1} << resto);
  iguais_ &= dentro;
  marcas_ &= dentro;
}

void TCursorDeAtribuicoes::Mascaras(const char* aBytes) {
  uint64_t fins = 0, iguais = 0, marcas = 0;
#ifdef __SSE2__
  if (divisor_.Vetorial()) {
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r'), igual = _mm_set1_epi8('=');
    __m128i conjunto[TDivisorDeAtribuicoes::kVetores];
    for (size_t k = 0; k < TDivisorDeAtribuicoes::kVetores; ++k)
      conjunto[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(divisor_.Vetor(k)));
    for (size_t i = 0; i < kJanela / 16; ++i) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(aBytes + 16 * i));
      __m128i m = _mm_cmpeq_epi8(v, conjunto[0]);
      for (size_t k = 1; k < TDivisorDeAtribuicoes::kVetores; ++k) m = _mm_or_si128(m, _mm_cmpeq_epi8(v, conjunto[k]));
      const auto bits = [i](__m128i aIguais) {
        return static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(aIguais))) << (16 * i);
      };
      fins |= bits(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)));
      iguais |= bits(_mm_cmpeq_epi8(v, igual));
      marcas |= bits(m);
    }
    fins_ = fins, iguais_ = iguais, marcas_ = marcas;
    return;
  }
#endif
  for (size_t i = 0; i < kJanela; ++i) {
    const char c = aBytes[i];
    fins |= static_cast<uint64_t>(c == '\n' || c == '\r') << i;
    iguais |= static_cast<uint64_t>(c == '=') << i;
    marcas |= static_cast<uint64_t>(divisor_.Marcado(c)) << i;
  }
  fins_ = fins, iguais_ = iguais, marcas_ = marcas;
}

bool TCursorDeAtribuicoes::ProximaLonga(TAtribuicao& aLinha) {
  const char* const linha = pos_;
  size_t igual = std::string_view::npos;
  bool marcado = false;
  const char* p = pos_;
  for (;;) {
    if (p >= janela_ + kJanela) Carrega(p);
    const auto desde = static_cast<unsigned>(p - janela_);
    const uint64_t daLinha = ~uint64_t{0} << desde;  // the bytes from p on
    const uint64_t fins = fins_ & daLinha;
    const uint64_t trecho = fins ? daLinha & ((fins & (0 - fins)) - 1) : daLinha;  // up to the line's end
    if (igual == std::string_view::npos) {
      if (const uint64_t iguais = iguais_ & trecho) {
        const uint64_t primeiro = iguais & (0 - iguais);
        igual = static_cast<size_t>(janela_ + __builtin_ctzll(iguais) - linha);
        marcado = (marcas_ & trecho & ~(primeiro | (primeiro - 1))) != 0;  // the marks after the "="
      }
    } else {
      marcado |= (marcas_ & trecho) != 0;
    }
    if (fins) {
      p = janela_ + __builtin_ctzll(fins);
      break;
    }
    p = janela_ + kJanela;
  }
  aLinha = TAtribuicao{std::string_view(linha, static_cast<size_t>(p - linha)), igual, marcado};
  Avanca(p);
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
