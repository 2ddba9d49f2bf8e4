#include "utils/TmoxNFeXmlUtils.h"

#include <string_view>
#include <vector>

#include "base/EmoxException.h"
#include "external/TmoxKivoUtils.h"
#include "utils/moxNodeCache.h"
#include "utils/moxTextoNFe.h"

namespace mox {

namespace {

constexpr std::string_view kInicioNota = "<infNFe";

// Position of the first infNFe start tag at or after aFrom, or npos. A tag whose name only
// begins with infNFe (infNFeSupl of the consumer invoice) is not a note.
size_t ProximaNota(std::string_view aLote, size_t aFrom) {
  for (size_t p = aLote.find(kInicioNota, aFrom); p != std::string_view::npos;
       p = aLote.find(kInicioNota, p + kInicioNota.size())) {
    const size_t after = p + kInicioNota.size();
    const char c = after < aLote.size() ? aLote[after] : '\0';
    if (c == ' ' || c == '>' || c == '/' || c == '\t' || c == '\r' || c == '\n') return p;
  }
  return std::string_view::npos;
}

}  // namespace

std::string TmoxNFeXmlUtils::getIDNotaXPath(const std::string& aXmlNota, bool aLiteralNFE) {
  std::string id;
  if (!TmoxKivoUtils().XPathSelectSingleNode(aXmlNota, ".//nfx:infNFe/@Id", id, TmoxKivoUtils::kNfxDeclaration,
                                             true))
    return {};
  return aLiteralNFE ? id : CopyChars(id, 4, 48);
}

std::string TmoxNFeXmlUtils::GetXMLAttribute(const std::string& aXml, const std::string& aTag,
                                             const std::string& aAttribute) {
  try {
    std::string value;
    const std::string xpath = "//*[local-name()=\"" + aTag + "\"]/@" + aAttribute;
    if (!TmoxKivoUtils().XPathSelectSingleNode(aXml, xpath, value, {}, true)) return {};
    return value;
  } catch (const std::exception&) {
    throw EmoxNFeException::CreateFmt("Problema ao localizar o atributo : %s  na tag: %s do Xml", {aAttribute, aTag});
  }
}

namespace {

// The note that starts at aInicio: through the next closing tag, or nothing without one.
std::string NotaDesde(const std::string& aLote, size_t aInicio, bool bolAprovada) {
  const std::string_view fim = bolAprovada ? "</protNFe>" : "</infNFe>";
  const size_t p = aLote.find(fim, aInicio);
  if (p == std::string::npos) return {};
  return aLote.substr(aInicio, p + fim.size() - aInicio);
}

}  // namespace

std::string TmoxNFeXmlUtils::GetNota(int Index, const std::string& aLote, bool bolAprovada) {
  if (Index < 0) return {};
  size_t inicio = ProximaNota(aLote, 0);
  for (int i = 0; i < Index && inicio != std::string::npos; ++i) inicio = ProximaNota(aLote, inicio + kInicioNota.size());
  if (inicio == std::string::npos) return {};
  return NotaDesde(aLote, inicio, bolAprovada);
}

std::vector<std::string> TmoxNFeXmlUtils::GetNotas(const std::string& aLote, bool bolAprovada) {
  std::vector<std::string> notas;
  for (size_t p = ProximaNota(aLote, 0); p != std::string::npos; p = ProximaNota(aLote, p + kInicioNota.size()))
    notas.push_back(NotaDesde(aLote, p, bolAprovada));
  return notas;
}

std::string TmoxNFeXmlUtils::getNotaXPath(int Index, const std::string& aLote, bool bolAprovada) {
  const auto& nodes =
      SelectNodesCached(aLote, bolAprovada ? ".//nfx:nfeProc" : ".//nfx:infNFe", TmoxKivoUtils::kNfxDeclaration);
  if (Index < 0 || static_cast<size_t>(Index) >= nodes.size()) return {};
  return nodes[static_cast<size_t>(Index)];
}

int TmoxNFeXmlUtils::GetNumNotas(const std::string& aLote) {
  int n = 0;
  for (size_t p = ProximaNota(aLote, 0); p != std::string::npos; p = ProximaNota(aLote, p + kInicioNota.size())) ++n;
  return n;
}

int TmoxNFeXmlUtils::GetNumNotasXPath(const std::string& aLote) {
  std::string count;
  TmoxKivoUtils().XPathSelectSingleNode(aLote, "count(.//nfx:infNFe)", count, TmoxKivoUtils::kNfxDeclaration, true);
  return count.empty() ? 0 : static_cast<int>(std::stod(count));
}

}  // namespace mox
