#pragma once
// XPath 1.0 over a parsed document, with compiled expressions kept in a process-wide cache.
#include <libxml/xpath.h>

#include <string>
#include <utility>
#include <vector>

#include "external/XmlDocument.h"

namespace mox {

// Prefix bindings from declarations such as "xmlns:nfx='http://www.portalfiscal.inf.br/nfe'"
// (several may follow each other, separated by blanks; either quote).
using NamespaceBindings = std::vector<std::pair<std::string, std::string>>;
NamespaceBindings ParseNamespaceDeclarations(const std::string& aDeclarations);

struct XPathResult {
  std::vector<xmlNodePtr> nodes;  // node-set results, in document order
  bool isNodeSet = true;
  std::string scalar;             // text of a string, number or boolean result
};

// Raises EKivoException for an invalid expression or an unbound prefix.
XPathResult EvaluateXPath(const XmlDocument& aDoc, const std::string& aXPath, const NamespaceBindings& aNs);

// Compiles now and keeps the expression until UnpinXPath; other expressions are cached too,
// in a bounded set that is cleared when it fills up.
void PinXPath(const std::string& aXPath);
void UnpinXPath(const std::string& aXPath);

}  // namespace mox
