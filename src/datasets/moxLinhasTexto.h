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

 private:
  std::array<uint8_t, 256> marcado_{};
};

// The lines TCursorDeLinhas walks, each split by a TDivisorDeAtribuicoes.
class TCursorDeAtribuicoes {
 public:
  // aText and aDivisor must outlive the cursor.
  TCursorDeAtribuicoes(std::string_view aText, const TDivisorDeAtribuicoes& aDivisor)
      : linhas_(aText), divisor_(aDivisor), inicio_(aText.data()) {}
  bool Proxima(TAtribuicao& aLinha);
  // Bytes of the text walked so far.
  size_t Lidos() const { return static_cast<size_t>(linhas_.Posicao() - inicio_); }

 private:
  TCursorDeLinhas linhas_;
  const TDivisorDeAtribuicoes& divisor_;
  const char* inicio_;
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
