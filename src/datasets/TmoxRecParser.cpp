#include "datasets/TmoxRecParser.h"

#include "datasets/moxLinhasTexto.h"
#include "external/AsciiCase.h"
#include "external/FileIO.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"
#include "utils/moxXmlLookup.h"

namespace mox {

namespace {

std::string_view Trim(std::string_view aText) {
  const size_t first = aText.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return aText.substr(first, aText.find_last_not_of(" \t") - first + 1);
}

}  // namespace

void TmoxRecParser::SetREC(const std::string& aValue) {
  // A one-line value may name a file; text with line breaks never does.
  if (aValue.find_first_of("\r\n") == std::string::npos && FileExists(aValue))
    FRec = TmoxKivoUtils().LoadFromFileUTF8(aValue);
  else
    FRec = aValue;
}

std::string TmoxRecParser::GetTag(int iTag, std::string_view aLinha) {
  std::string linha(Trim(aLinha));
  if (linha.empty() || linha.back() != '|') linha += '|';
  size_t start = 0;
  for (int field = 1;; ++field) {
    const size_t bar = linha.find('|', start);
    if (bar == std::string::npos) return {};
    if (field >= iTag) return linha.substr(start, bar - start);
    start = bar + 1;
  }
}

std::string TmoxRecParser::ObterHeadGroup(std::string_view aLinha) {
  const std::string_view linha = Trim(aLinha);
  if (linha.empty()) return {};
  std::string head = EscapeCaracteres(std::string(linha));
  if (head.back() != '|') head += '|';
  head += kEndOfLine;
  head += '|';
  return head;
}

void TmoxRecParser::SelectGroup() {
  // The prepared line always ends in "|": split it once instead of searching per position.
  std::vector<std::string_view> fields;
  std::string_view rest = FHeadGroup;
  for (size_t bar; (bar = rest.find('|')) != std::string_view::npos; rest.remove_prefix(bar + 1))
    fields.push_back(rest.substr(0, bar));
  const std::string group = UpperAscii(std::string(fields.front()));
  std::vector<TRecElements> elements;
  for (size_t i = 1; i < fields.size() && fields[i] != kEndOfLine; ++i)
    elements.push_back({group, static_cast<int>(i + 1), std::string(fields[i])});
  if (OnGroupSelected) OnGroupSelected(elements.empty() ? std::string() : elements.back().Group, elements);
}

void TmoxRecParser::Execute() {
  NotaRec = LinhasDoTexto(FRec);
  FLinha = 0;
  try {
    for (const std::string& linha : NotaRec) {
      ++FLinha;
      if (OnProgresso) OnProgresso(FLinha, NotaRec.size());
      FHeadGroup = ObterHeadGroup(linha);
      if (!FHeadGroup.empty()) SelectGroup();
    }
  } catch (...) {
    NotaRec.clear();
    throw;
  }
  NotaRec.clear();
  FLinha = 0;
}

}  // namespace mox
