#pragma once
// Text templates of the models. "{Campo}" is a field of the band's record (or of a master's);
// "{Campo|formato}" formats it; "{?Campo}...{/}" keeps its inside only when the field is not
// empty and "{!Campo}...{/}" only when it is; "{#pagina}" and "{#paginas}" number the pages of
// the document; "{#logo}" and other "#" names are print settings; "{{" is a literal brace.
//
// Formats: chave (groups of four digits), cnpj (CNPJ or CPF by length), cep, fone, nnf
// (000.000.000), data (dd/mm/aaaa), datahora (dd/mm/aaaa hh:mm:ss), hora, maiusculas.
#include <string>

#include "report/ReportData.h"

namespace mox::report {

struct PageNumbers {
  int page = 1;
  int pages = 1;
};

// Raises EReportException on an unknown format or an unclosed section.
std::string ExpandTemplate(const std::string& aTemplate, const Scope& aScope, const PageNumbers& aPages);

// True when the element condition holds: "Campo" non-empty, "!Campo" empty, "" always.
bool ConditionHolds(const std::string& aCondition, const Scope& aScope);

std::string FormatValue(const std::string& aValue, const std::string& aFormat);

}  // namespace mox::report
