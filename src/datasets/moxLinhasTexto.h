#pragma once
// The lines of the text formats the readers take (TX2, record layout, blocked text).
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
