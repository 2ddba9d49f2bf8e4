#pragma once
// Tree helpers shared by the XML signer and the verifier.
#include <libxml/tree.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mox {

inline constexpr const char* kXmlDsigNamespace = "http://www.w3.org/2000/09/xmldsig#";

// Every element under (and including) aRoot whose attribute "Id" equals aId.
std::vector<xmlNodePtr> ElementsWithId(xmlNodePtr aRoot, std::string_view aId);

// The elements with an "Id" attribute under aRoot, read once for many look-ups. Elements taken
// out of the document afterwards are no longer found; they must not be freed while the index is
// in use.
class IdIndex {
 public:
  explicit IdIndex(xmlNodePtr aRoot);
  // As ElementsWithId, in document order.
  std::vector<xmlNodePtr> ElementsWithId(std::string_view aId) const;

 private:
  std::unordered_map<std::string, std::vector<xmlNodePtr>> byId_;
};

// Makes the element's "Id" attribute resolvable as a same-document reference ("#" + Id).
// Raises EKivoException when the element has none or the value is already registered.
void RegisterIdAttribute(xmlNodePtr aElement);

// First child element with that local name in that namespace (any namespace when null).
xmlNodePtr ChildElement(xmlNodePtr aParent, std::string_view aLocalName, const char* aNamespace = kXmlDsigNamespace);

// Child elements of aParent that are XML signatures.
std::vector<xmlNodePtr> SignatureChildren(xmlNodePtr aParent);

// Every XML signature element of the document, in document order.
std::vector<xmlNodePtr> SignaturesIn(xmlNodePtr aRoot);

// The URI of the signature's first Reference ("" when absent).
std::string FirstReferenceUri(xmlNodePtr aSignature);

}  // namespace mox
