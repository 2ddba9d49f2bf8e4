#include "utils/moxXmlLookup.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "base/EmoxException.h"
#include "external/TmoxKivoUtils.h"
#include "utils/moxTextoNFe.h"

namespace mox {

namespace {

std::string RemoveNFeDefaultNamespace(const std::string& aTxt) {
  static const std::string kDeclaracao = std::string(" xmlns=\"") + TmoxKivoUtils::kNFeNamespace + "\">";
  std::string out;
  out.reserve(aTxt.size());
  size_t from = 0;
  for (size_t p; (p = aTxt.find(kDeclaracao, from)) != std::string::npos; from = p + kDeclaracao.size()) {
    out.append(aTxt, from, p - from);
    out += '>';
  }
  out.append(aTxt, from, std::string::npos);
  return out;
}

}  // namespace

std::string GetValueTag(const std::string& aTag, const std::string& aTxt) {
  const std::string txt = RemoveNFeDefaultNamespace(aTxt);
  const size_t fim = txt.find("</" + aTag + ">");
  if (fim == std::string::npos) return {};
  const size_t abre = txt.find("<" + aTag + ">");
  const size_t inicio =
      abre != std::string::npos ? abre + aTag.size() + 2 : CopyChars(txt, 1, CharCount(aTag) + 1).size();
  if (fim <= inicio) return {};
  return txt.substr(inicio, fim - inicio);
}

std::string GetValueTagFilho(const std::string& aTagPai, const std::string& aTagFilho, const std::string& aXML) {
  return GetValueTag(aTagFilho, GetValueTag(aTagPai, aXML));
}

bool CompareDigValLogsNFe(const std::string& aXmlEnvio, const std::string& aXmlInfProt) {
  const std::string digest = GetValueTag("DigestValue", aXmlEnvio);
  return !digest.empty() && digest == GetValueTag("digVal", aXmlInfProt);
}

bool ValidaAssinatura(const std::string& aLoteNotas) {
  return aLoteNotas.find("<Signature xmlns=\"http://www.w3.org/2000/09/xmldsig#\">") != std::string::npos;
}

std::string GetReferenceInfo(const std::string& aXML) {
  std::string id;
  if (!TmoxKivoUtils().XPathSelectSingleNode(aXML, "//@Id", id, {}, true))
    throw EmoxNFeException("Campo Id não encontrado para nota fiscal");
  return id;
}

std::string GetRetEvento(const std::string& aXML) {
  std::string retEvento;
  if (!TmoxKivoUtils().XPathSelectSingleNode(aXML, "//*[local-name()=\"retEvento\"]", retEvento, {}, false))
    throw EmoxEventoRetException("Não foi possível encontrar a tag RetEvento do XML.");
  return retEvento;
}

bool PrecisaEscapar(std::string_view aValue) {
  // All five are punctuation between '"' and '>': most characters fail the range test at once.
  return std::any_of(aValue.begin(), aValue.end(), [](char c) {
    return c >= '"' && c <= '>' && (c == '\'' || c == '"' || c == '<' || c == '>' || c == '&');
  });
}

std::string EscapeCaracteres(std::string_view aValue) {
  static constexpr std::array<std::string_view, 5> kEntidades = {"apos;", "quot;", "lt;", "gt;", "amp;"};
  const std::string_view v = aValue;
  if (!PrecisaEscapar(v)) return std::string(aValue);
  std::string out;
  out.reserve(aValue.size() + aValue.size() / 8);
  for (size_t i = 0; i < v.size(); ++i) {
    switch (v[i]) {
      case '\'': out += "&apos;"; break;
      case '"': out += "&quot;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': {
        bool jaEscapado = false;
        for (auto e : kEntidades) jaEscapado = jaEscapado || v.substr(i + 1, e.size()) == e;
        out += jaEscapado ? "&" : "&amp;";
        break;
      }
      default: out += v[i];
    }
  }
  return out;
}

}  // namespace mox
