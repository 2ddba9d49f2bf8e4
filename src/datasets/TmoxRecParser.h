#pragma once
// The line splitter of the national record layout: one "|"-separated line per group occurrence,
// the group identifier first. Each non-empty line is handed over as its list of values.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mox {

// One value of a record-layout line.
struct TRecElements {
  std::string Group;  // the group identifier, in capitals
  int Index = 0;      // position in the line; the identifier is position 1
  std::string Value;
};

class TmoxRecParser {
 public:
  using TOnGroupSelected = std::function<void(const std::string& aGroup, const std::vector<TRecElements>& aElements)>;
  // Reports the 1-based number of the input line about to be handled and the number of lines.
  using TOnProgresso = std::function<void(size_t aLinha, size_t aTotal)>;

  // The end mark appended to every prepared line.
  static constexpr std::string_view kEndOfLine = "end_of_line";

  const std::string& REC() const { return FRec; }
  // A name of an existing file is read (UTF-8, byte-order mark dropped); anything else is the text.
  void SetREC(const std::string& aValue);
  // The current line, prepared: escaped, with its final "|" and the end mark.
  const std::string& HeadGroup() const { return FHeadGroup; }
  // 1-based number of the current input line, counting empty lines; 0 outside a run.
  size_t Linha() const { return FLinha; }

  TOnGroupSelected OnGroupSelected;
  TOnProgresso OnProgresso;

  // Raises OnGroupSelected once per non-empty line.
  void Execute();

  // Field iTag (from 1; below 1 gives the first) of a line; empty beyond the last field.
  static std::string GetTag(int iTag, std::string_view aLinha);
  // The line trimmed and escaped, with a final "|" and the end mark; empty for a blank line.
  static std::string ObterHeadGroup(std::string_view aLinha);

 private:
  void SelectGroup();

  std::string FRec;
  std::vector<std::string> NotaRec;
  std::string FHeadGroup;
  size_t FLinha = 0;
};

}  // namespace mox
