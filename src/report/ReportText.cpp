#include "report/ReportText.h"

#include <cctype>
#include <vector>

#include "report/ReportError.h"

namespace mox::report {

namespace {

std::string Digits(const std::string& aValue) {
  std::string d;
  for (char c : aValue)
    if (std::isdigit(static_cast<unsigned char>(c))) d += c;
  return d;
}

// Inserts the separators of aMask ("#" takes the next digit) when the digits fill it exactly.
std::string Mask(const std::string& aValue, const char* aMask) {
  std::string d = Digits(aValue);
  size_t need = 0;
  for (const char* m = aMask; *m; ++m) need += *m == '#';
  if (d.size() != need) return aValue;
  std::string out;
  size_t i = 0;
  for (const char* m = aMask; *m; ++m) out += *m == '#' ? d[i++] : *m;
  return out;
}

// "YYYY-MM-DD..." (xs:date or xs:dateTime) as its date and time parts; other texts unchanged.
bool SplitXsd(const std::string& aValue, std::string& aDate, std::string& aTime) {
  if (aValue.size() < 10 || aValue[4] != '-' || aValue[7] != '-') return false;
  aDate = aValue.substr(8, 2) + "/" + aValue.substr(5, 2) + "/" + aValue.substr(0, 4);
  aTime = aValue.size() >= 19 && aValue[10] == 'T' ? aValue.substr(11, 8) : std::string();
  return true;
}

}  // namespace

std::string FormatValue(const std::string& aValue, const std::string& aFormat) {
  if (aValue.empty()) return aValue;
  if (aFormat == "chave") {
    std::string d = Digits(aValue), out;
    for (size_t i = 0; i < d.size(); ++i) {
      if (i && i % 4 == 0) out += ' ';
      out += d[i];
    }
    return out;
  }
  if (aFormat == "cnpj") {
    std::string d = Digits(aValue);
    return d.size() == 11 ? Mask(d, "###.###.###-##") : Mask(aValue, "##.###.###/####-##");
  }
  if (aFormat == "cep") return Mask(aValue, "#####-###");
  if (aFormat == "fone") {
    std::string d = Digits(aValue);
    if (d.size() == 10) return Mask(d, "(##) ####-####");
    if (d.size() == 11) return Mask(d, "(##) #####-####");
    return aValue;
  }
  if (aFormat == "nnf") {
    std::string d = Digits(aValue);
    if (d.size() > 9 || d.empty()) return aValue;
    return Mask(std::string(9 - d.size(), '0') + d, "###.###.###");
  }
  if (aFormat == "data" || aFormat == "datahora" || aFormat == "hora") {
    std::string date, time;
    if (!SplitXsd(aValue, date, time)) return aValue;
    if (aFormat == "data") return date;
    if (aFormat == "hora") return time;
    return time.empty() ? date : date + " " + time;
  }
  if (aFormat == "maiusculas") {
    std::string out = aValue;
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
  }
  throw EReportException("Modelo de relatório inválido: formato \"" + aFormat + "\" desconhecido");
}

bool ConditionHolds(const std::string& aCondition, const Scope& aScope) {
  if (aCondition.empty()) return true;
  if (aCondition[0] == '!') return aScope.Get(aCondition.substr(1)).empty();
  return !aScope.Get(aCondition).empty();
}

std::string ExpandTemplate(const std::string& aTemplate, const Scope& aScope, const PageNumbers& aPages) {
  std::string out;
  // Each open section remembers whether its text is kept; output is dropped while any is not.
  std::vector<bool> sections;
  bool keep = true;
  size_t i = 0;
  while (i < aTemplate.size()) {
    char c = aTemplate[i];
    if (c != '{') {
      if (keep) out += c;
      ++i;
      continue;
    }
    if (i + 1 < aTemplate.size() && aTemplate[i + 1] == '{') {
      if (keep) out += '{';
      i += 2;
      continue;
    }
    size_t end = aTemplate.find('}', i);
    if (end == std::string::npos)
      throw EReportException("Modelo de relatório inválido: \"{\" sem \"}\" em \"" + aTemplate + "\"");
    std::string tag = aTemplate.substr(i + 1, end - i - 1);
    i = end + 1;
    if (tag == "/") {
      if (sections.empty()) throw EReportException("Modelo de relatório inválido: \"{/}\" sem seção em \"" + aTemplate + "\"");
      sections.pop_back();
      keep = true;
      for (bool s : sections) keep = keep && s;
      continue;
    }
    if (!tag.empty() && (tag[0] == '?' || tag[0] == '!')) {
      bool holds = ConditionHolds(tag[0] == '?' ? tag.substr(1) : tag, aScope);
      sections.push_back(holds);
      keep = keep && holds;
      continue;
    }
    if (!keep) continue;
    std::string format;
    if (size_t bar = tag.find('|'); bar != std::string::npos) {
      format = tag.substr(bar + 1);
      tag.resize(bar);
    }
    std::string value;
    if (tag == "#pagina") value = std::to_string(aPages.page);
    else if (tag == "#paginas") value = std::to_string(aPages.pages);
    else value = aScope.Get(tag);
    out += format.empty() ? value : FormatValue(value, format);
  }
  if (!sections.empty()) throw EReportException("Modelo de relatório inválido: seção sem \"{/}\" em \"" + aTemplate + "\"");
  return out;
}

}  // namespace mox::report
