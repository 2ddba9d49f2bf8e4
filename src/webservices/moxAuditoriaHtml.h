#pragma once
// An audit answer shown as a self-contained HTML page: summary, failures and, when present,
// the rules checked. Every text from the note is escaped.
#include <nlohmann/json.hpp>
#include <string>

namespace mox {

struct TOpcoesHtml {
  int Largura = 0;      // pixels; no limit when 0
  int Altura = 0;       // pixels; no minimum when 0
  std::string BaseUrl;  // the page's <base href>, when given
  std::string Modelo;   // a page with one "%s" for the report; the built-in page when empty
};

std::string EscapaHtml(const std::string& aTexto);

std::string HtmlDaAuditoria(const nlohmann::ordered_json& aResposta, const TOpcoesHtml& aOpcoes);

}  // namespace mox
