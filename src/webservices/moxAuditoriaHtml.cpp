#include "webservices/moxAuditoriaHtml.h"

namespace mox {

namespace {

using json = nlohmann::ordered_json;

std::string Texto(const json& aValor) {
  if (aValor.is_string()) return aValor.get<std::string>();
  if (aValor.is_boolean()) return aValor.get<bool>() ? "sim" : "não";
  if (aValor.is_null()) return {};
  return aValor.dump();
}

std::string Campo(const json& aObjeto, const char* aChave) {
  return aObjeto.is_object() && aObjeto.contains(aChave) ? Texto(aObjeto[aChave]) : std::string();
}

std::string Celula(const std::string& aTexto) { return "<td>" + EscapaHtml(aTexto) + "</td>"; }

std::string Resumo(const json& aResposta) {
  static const std::pair<const char*, const char*> kLinhas[] = {
      {"Documento", "documento"}, {"Chave de acesso", "chave"},       {"Assinada", "assinada"},
      {"Leiaute", "versaoLeiaute"}, {"Versão do Manual", "versaoManual"}, {"Pacote de esquemas", "pacote"},
      {"Esquema", "esquema"},     {"Total de rejeições", "totalRejeicao"}};
  std::string html = "<table class=\"resumo\">";
  for (const auto& [rotulo, chave] : kLinhas)
    if (aResposta.contains(chave)) html += "<tr><th>" + std::string(rotulo) + "</th>" + Celula(Campo(aResposta, chave)) + "</tr>";
  return html + "</table>";
}

std::string Falhas(const json& aFalhas) {
  if (!aFalhas.is_array() || aFalhas.empty()) return "<p class=\"ok\">Nenhuma falha encontrada.</p>";
  std::string html =
      "<h2>Falhas</h2><table class=\"falhas\"><tr><th>Origem</th><th>Código</th><th>Campo</th><th>Linha ou regra</th>"
      "<th>Mensagem</th></tr>";
  for (const json& falha : aFalhas) {
    const std::string local = Campo(falha, "origem") == "esquema" ? Campo(falha, "linha") : Campo(falha, "regra");
    html += "<tr>" + Celula(Campo(falha, "origem")) + Celula(Campo(falha, "codigo")) + Celula(Campo(falha, "campo")) +
            Celula(local) + Celula(Campo(falha, "mensagem")) + "</tr>";
  }
  return html + "</table>";
}

std::string Regras(const json& aResposta) {
  if (!aResposta.contains("regras") || !aResposta["regras"].is_array()) return {};
  std::string html =
      "<h2>Regras conferidas</h2><table class=\"regras\"><tr><th>Regra</th><th>Código</th><th>Campo</th>"
      "<th>Resultado</th></tr>";
  for (const json& regra : aResposta["regras"])
    html += "<tr>" + Celula(Campo(regra, "regra")) + Celula(Campo(regra, "codigo")) + Celula(Campo(regra, "campo")) +
            Celula(Campo(regra, "resultado")) + "</tr>";
  return html + "</table>";
}

}  // namespace

std::string EscapaHtml(const std::string& aTexto) {
  std::string saida;
  saida.reserve(aTexto.size());
  for (char c : aTexto) {
    switch (c) {
      case '&': saida += "&amp;"; break;
      case '<': saida += "&lt;"; break;
      case '>': saida += "&gt;"; break;
      case '"': saida += "&quot;"; break;
      case '\'': saida += "&#39;"; break;
      default: saida += c;
    }
  }
  return saida;
}

std::string HtmlDaAuditoria(const json& aResposta, const TOpcoesHtml& aOpcoes) {
  const bool aprovada = Campo(aResposta, "situacao") == "aprovada";
  const std::string relatorio = "<section class=\"auditoria\"><h1 class=\"" +
                                std::string(aprovada ? "ok" : "erro") + "\">NF-e " +
                                (aprovada ? "aprovada" : "rejeitada") + " na auditoria</h1>" + Resumo(aResposta) +
                                Falhas(aResposta.value("falhas", json::array())) + Regras(aResposta) + "</section>";
  if (!aOpcoes.Modelo.empty()) {
    std::string pagina = aOpcoes.Modelo;
    if (const size_t marca = pagina.find("%s"); marca != std::string::npos) return pagina.replace(marca, 2, relatorio);
    return pagina + relatorio;
  }
  std::string estilo =
      "body{font-family:sans-serif;margin:1em;color:#222}"
      "section{margin:auto" +
      (aOpcoes.Largura > 0 ? ";max-width:" + std::to_string(aOpcoes.Largura) + "px" : std::string()) +
      (aOpcoes.Altura > 0 ? ";min-height:" + std::to_string(aOpcoes.Altura) + "px" : std::string()) +
      "}table{border-collapse:collapse;width:100%;margin:.5em 0}"
      "th,td{border:1px solid #bbb;padding:.3em .5em;text-align:left;vertical-align:top}"
      "th{background:#eee}.ok{color:#1a6b1a}.erro{color:#a31515}h1{font-size:1.3em}h2{font-size:1.1em}";
  std::string pagina = "<!DOCTYPE html>\n<html lang=\"pt-BR\"><head><meta charset=\"utf-8\">";
  if (!aOpcoes.BaseUrl.empty()) pagina += "<base href=\"" + EscapaHtml(aOpcoes.BaseUrl) + "\">";
  pagina += "<title>Auditoria da NF-e " + EscapaHtml(Campo(aResposta, "chave")) + "</title><style>" + estilo +
            "</style></head><body>" + relatorio + "</body></html>\n";
  return pagina;
}

}  // namespace mox
