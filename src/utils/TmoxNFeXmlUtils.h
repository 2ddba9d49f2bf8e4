#pragma once
// Invoices inside a batch text: their keys, their count and each one's XML.
#include <string>
#include <vector>

namespace mox {

class TmoxNFeXmlUtils {
 public:
  // The Id of the first infNFe: "NFe" + key, or the key alone without aLiteralNFE; empty when
  // there is none.
  static std::string getIDNotaXPath(const std::string& aXmlNota, bool aLiteralNFE);

  // Value of attribute aAttribute of the first element named aTag (any namespace) that has it;
  // empty when not found. A failed query raises EmoxNFeException.
  static std::string GetXMLAttribute(const std::string& aXml, const std::string& aTag, const std::string& aAttribute);

  // The Index-th (from 0) infNFe by plain text search, through its "</protNFe>" when
  // bolAprovada, else through "</infNFe>"; empty when missing.
  static std::string GetNota(int Index, const std::string& aLote, bool bolAprovada);

  // The XML of the Index-th (from 0) nfeProc (bolAprovada) or infNFe; empty when out of range.
  // Walking a batch index by index parses it once (SelectNodesCached).
  static std::string getNotaXPath(int Index, const std::string& aLote, bool bolAprovada);

  // Number of infNFe start tags, by plain text search.
  static int GetNumNotas(const std::string& aLote);
  // GetNota of every index from 0 to GetNumNotas - 1, cut in one pass over the batch.
  static std::vector<std::string> GetNotas(const std::string& aLote, bool bolAprovada);

  // Number of infNFe elements.
  static int GetNumNotasXPath(const std::string& aLote);
};

}  // namespace mox
