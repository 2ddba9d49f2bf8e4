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
  bool valorMarcado = true;               // the value holds a byte of the cursor's set
};

// The lines TCursorDeLinhas walks, each split at its first "=" and marked when its value holds
// any byte of a given set, so that a caller can leave plain values alone without a look of its own.
class TCursorDeAtribuicoes {
 public:
  // aText must outlive the cursor.
  TCursorDeAtribuicoes(std::string_view aText, std::string_view aMarcados);
  bool Proxima(TAtribuicao& aLinha);
  // Bytes of the text walked so far.
  size_t Lidos() const { return static_cast<size_t>(linhas_.Posicao() - inicio_); }

 private:
  TCursorDeLinhas linhas_;
  const char* inicio_;
  std::array<uint8_t, 256> marcado_{};
};

// The same lines read from a stream one at a time, so a big text is never held whole.
class TLeitorDeLinhas {
 public:
  explicit TLeitorDeLinhas(std::istream& aEntrada) : in_(aEntrada) {}
  // The next line without its end; false after the last one.
  bool Proxima(std::string& aLinha);

 private:
  std::istream& in_;
  std::string trecho_;  // up to the next LF; its CRs still split it into lines
  size_t pos_ = 0;
  bool pendente_ = false;
  bool terminaEmLF_ = false;
};

}  // namespace mox
