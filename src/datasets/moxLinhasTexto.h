#pragma once
// The lines of the text formats the readers take (TX2, record layout, blocked text).
#include <array>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace mox {

// The lines of aText; a line ends in CR LF, LF or CR. Empty lines are kept, so an index is a line
// number minus one.
std::vector<std::string> LinhasDoTexto(const std::string& aText);
// The same lines as views into aText, which must outlive them.
std::vector<std::string_view> TrechosDasLinhas(std::string_view aText);

// The same lines walked one at a time, none of them kept: a big text needs no list of its lines.
class TCursorDeLinhas {
 public:
  explicit TCursorDeLinhas(std::string_view aText);
  // The next line as a view into the text; false after the last one.
  bool Proxima(std::string_view& aLinha);
  // Where the next line starts.
  const char* Posicao() const { return pos_; }

 private:
  const char* pos_;
  const char* end_;
  bool comCR_;  // without any CR, a vectorised search finds each line's end
};
// How many lines TCursorDeLinhas walks in aText.
size_t ContaLinhas(std::string_view aText);

// A line of "key=value" text, split where its first "=" stands.
struct TAtribuicao {
  std::string_view linha;
  size_t igual = std::string_view::npos;  // npos when the line has no "="
  bool valorMarcado = true;               // the value holds a byte of the marked set
};

// Splits lines at their first "=" and marks a value holding any byte of a given set, so that a
// caller can leave plain values alone without a look of its own.
class TDivisorDeAtribuicoes {
 public:
  explicit TDivisorDeAtribuicoes(std::string_view aMarcados);
  // Inline: it runs once a line, in the loops of the callers.
  TAtribuicao Divide(std::string_view aLinha) const {
    TAtribuicao a{aLinha, aLinha.find('='), false};
    uint8_t visto = 0;
    if (a.igual != std::string_view::npos)
      for (const char c : aLinha.substr(a.igual + 1)) visto |= marcado_[static_cast<unsigned char>(c)];
    a.valorMarcado = visto != 0;
    return a;
  }
  bool Marcado(char c) const { return marcado_[static_cast<unsigned char>(c)] != 0; }
  // Up to kVetores bytes of the set, each repeated over 16 bytes for a wide compare (the first one
  // again in the slots left over); false when the set is larger or empty.
  static constexpr size_t kVetores = 8;
  bool Vetorial() const { return vetorial_; }
  const char* Vetor(size_t i) const { return vetores_[i].data(); }

 private:
  std::array<uint8_t, 256> marcado_{};
  alignas(16) std::array<std::array<char, 16>, kVetores> vetores_{};
  bool vetorial_ = false;
};

// Lines walked as TCursorDeLinhas walks them, each split as TDivisorDeAtribuicoes::Divide splits
// it. The text is read in windows of 64 bytes, each turned once into bit masks of its line ends,
// "=" signs and marked bytes, so a line costs a few bit operations instead of a look at each byte.
class TCursorDeAtribuicoes {
 public:
  // aText and aDivisor must outlive the cursor.
  TCursorDeAtribuicoes(std::string_view aText, const TDivisorDeAtribuicoes& aDivisor)
      : pos_(aText.data()), fim_(aText.data() + aText.size()), divisor_(aDivisor), inicio_(aText.data()) {
    if (!aText.empty()) Carrega(pos_);
  }
  // Inline for a line that ends inside the window (nearly all); a window starts at a line, so only
  // a line longer than a window takes the long road.
  bool Proxima(TAtribuicao& aLinha) {
    const char* const p = pos_;
    if (p >= fim_) return false;
    auto desde = static_cast<size_t>(p - janela_);
    if (desde >= kJanela || (fins_ >> desde) == 0) {
      Carrega(p);
      desde = 0;
      if (fins_ == 0) return ProximaLonga(aLinha);
    }
    const uint64_t daLinha = ~uint64_t{0} << desde;
    const uint64_t fins = fins_ & daLinha;
    const uint64_t trecho = daLinha & ((fins & (0 - fins)) - 1);
    const uint64_t iguais = iguais_ & trecho;
    const size_t fim = static_cast<size_t>(__builtin_ctzll(fins)) - desde;
    if (iguais == 0) {
      aLinha = TAtribuicao{std::string_view(p, fim), std::string_view::npos, false};
    } else {
      const uint64_t primeiro = iguais & (0 - iguais);
      aLinha = TAtribuicao{std::string_view(p, fim), static_cast<size_t>(__builtin_ctzll(iguais)) - desde,
                           (marcas_ & trecho & ~(primeiro | (primeiro - 1))) != 0};
    }
    Avanca(p + fim);
    return true;
  }
  // Bytes of the text walked so far.
  size_t Lidos() const { return static_cast<size_t>(pos_ - inicio_); }

 private:
  static constexpr size_t kJanela = 64;
  // The masks of the window starting at aInicio (the end of the text counts as a line end).
  void Carrega(const char* aInicio);
  // The masks of 64 readable bytes.
  void Mascaras(const char* aBytes);
  // A line longer than a window, from the window loaded at its start.
  bool ProximaLonga(TAtribuicao& aLinha);
  // Past the line ending at aFimDaLinha and its end: CR LF, LF or CR.
  void Avanca(const char* aFimDaLinha) {
    pos_ = aFimDaLinha == fim_ ? fim_
                                : aFimDaLinha + (*aFimDaLinha == '\r' && aFimDaLinha + 1 < fim_ && aFimDaLinha[1] == '\n' ? 2 : 1);
  }

  const char* pos_;
  const char* fim_;
  const TDivisorDeAtribuicoes& divisor_;
  const char* inicio_;
  const char* janela_ = nullptr;  // where the window of the masks starts
  uint64_t fins_ = 0, iguais_ = 0, marcas_ = 0;
};

// The same lines read from a stream one at a time, so a big text is never held whole: it is read
// in blocks and each line cut from the block, a line longer than a block kept until it ends.
class TLeitorDeLinhas {
 public:
  explicit TLeitorDeLinhas(std::istream& aEntrada) : in_(aEntrada) {}
  // The next line without its end; false after the last one.
  bool Proxima(std::string& aLinha);

 private:
  // Appends the next block after the bytes not yet handed out; false at the end of the stream.
  bool LeBloco();

  std::istream& in_;
  std::string bloco_;
  size_t pos_ = 0;      // where the next line starts in bloco_
  size_t visto_ = 0;    // bytes from pos_ already searched for a line end
  bool depoisDeCR_ = false;  // the last line ended in CR: an LF right after it ends it too
};

}  // namespace mox
