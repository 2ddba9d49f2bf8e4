#include "external/XmlDsigNodes.h"

#include <libxml/valid.h>

#include <cstring>
#include <memory>

#include "external/EKivoException.h"
#include "external/XmlDocument.h"
#include "external/XmlTreeWalk.h"

namespace mox {

namespace {

bool InNamespace(xmlNodePtr aNode, const char* aNamespace) {
  if (!aNamespace) return true;
  return aNode->ns && aNode->ns->href && std::strcmp(reinterpret_cast<const char*>(aNode->ns->href), aNamespace) == 0;
}

bool IsSignature(xmlNodePtr aNode) {
  return aNode->type == XML_ELEMENT_NODE && LocalName(aNode) == "Signature" && InNamespace(aNode, kXmlDsigNamespace);
}

// The value of an "Id" attribute without a namespace; calls aFound(element, value) for each.
template <typename F>
void ForEachIdAttribute(xmlNodePtr aRoot, F&& aFound) {
  ForEachElement(aRoot, [&](xmlNodePtr n) {
    for (xmlAttrPtr a = n->properties; a; a = a->next) {
      if (a->ns || std::strcmp(reinterpret_cast<const char*>(a->name), "Id") != 0) continue;
      // A plain value is one text node, read in place; entities and the like are put together.
      const xmlNodePtr text = a->children;
      if (text && !text->next && text->type == XML_TEXT_NODE && text->content)
        aFound(n, std::string_view(reinterpret_cast<const char*>(text->content)));
      else
        aFound(n, std::string_view(NodeText(reinterpret_cast<xmlNodePtr>(a))));
    }
  });
}

bool InDocument(xmlNodePtr aNode) {
  xmlNodePtr top = aNode;
  while (top->parent && top->parent->type != XML_DOCUMENT_NODE) top = top->parent;
  return top->parent != nullptr;
}

}  // namespace

std::vector<xmlNodePtr> ElementsWithId(xmlNodePtr aRoot, std::string_view aId) {
  std::vector<xmlNodePtr> found;
  ForEachIdAttribute(aRoot, [&](xmlNodePtr n, std::string_view aValue) {
    if (aValue == aId) found.push_back(n);
  });
  return found;
}

IdIndex::IdIndex(xmlNodePtr aRoot) {
  ForEachIdAttribute(aRoot, [&](xmlNodePtr n, std::string_view aValue) { byId_[std::string(aValue)].push_back(n); });
}

std::vector<xmlNodePtr> IdIndex::ElementsWithId(std::string_view aId) const {
  std::vector<xmlNodePtr> found;
  auto it = byId_.find(std::string(aId));
  if (it == byId_.end()) return found;
  for (xmlNodePtr n : it->second)
    if (InDocument(n)) found.push_back(n);
  return found;
}

void RegisterIdAttribute(xmlNodePtr aElement) {
  xmlAttrPtr attr = xmlHasProp(aElement, reinterpret_cast<const xmlChar*>("Id"));
  if (!attr) throw EKivoException("Elemento sem atributo Id.");
  std::string value = NodeText(reinterpret_cast<xmlNodePtr>(attr));
  xmlAttrPtr existing = xmlGetID(aElement->doc, reinterpret_cast<const xmlChar*>(value.c_str()));
  if (existing == attr) return;
  if (existing || !xmlAddID(nullptr, aElement->doc, reinterpret_cast<const xmlChar*>(value.c_str()), attr))
    throw EKivoException("O Id \"" + value + "\" aparece em mais de um elemento.");
}

xmlNodePtr ChildElement(xmlNodePtr aParent, std::string_view aLocalName, const char* aNamespace) {
  for (xmlNodePtr c = aParent ? aParent->children : nullptr; c; c = c->next)
    if (c->type == XML_ELEMENT_NODE && LocalName(c) == aLocalName && InNamespace(c, aNamespace)) return c;
  return nullptr;
}

std::vector<xmlNodePtr> SignatureChildren(xmlNodePtr aParent) {
  std::vector<xmlNodePtr> found;
  for (xmlNodePtr c = aParent ? aParent->children : nullptr; c; c = c->next)
    if (IsSignature(c)) found.push_back(c);
  return found;
}

std::vector<xmlNodePtr> SignaturesIn(xmlNodePtr aRoot) {
  std::vector<xmlNodePtr> found;
  ForEachElement(aRoot, [&](xmlNodePtr n) {
    if (IsSignature(n)) found.push_back(n);
  });
  return found;
}

std::string FirstReferenceUri(xmlNodePtr aSignature) {
  xmlNodePtr reference = ChildElement(ChildElement(aSignature, "SignedInfo"), "Reference");
  if (!reference) return {};
  std::unique_ptr<xmlChar, decltype(xmlFree)> uri(xmlGetProp(reference, reinterpret_cast<const xmlChar*>("URI")),
                                                  xmlFree);
  return uri ? reinterpret_cast<const char*>(uri.get()) : "";
}

}  // namespace mox
