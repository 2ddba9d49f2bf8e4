#pragma once
// libxml2 documents parsed safely: no network, no external entities, no DTD.
#include <libxml/tree.h>

#include <string>
#include <string_view>
#include <vector>

namespace mox {

// Collects libxml2's messages while alive (per thread), so they can go into an exception text.
class XmlErrorCollector {
 public:
  XmlErrorCollector();
  ~XmlErrorCollector();
  XmlErrorCollector(const XmlErrorCollector&) = delete;
  XmlErrorCollector& operator=(const XmlErrorCollector&) = delete;

  const std::vector<std::string>& Errors() const { return errors_; }
  std::string Joined(const char* aSeparator = "; ") const;
  void Add(std::string aMessage) { errors_.push_back(std::move(aMessage)); }

 private:
  std::vector<std::string> errors_;
  void* previousContext_;
  xmlStructuredErrorFunc previousHandler_;
};

// While alive on this thread, the entity loader may read local files (schema includes).
// Outside such a scope every external load is refused.
class LocalFileLoadScope {
 public:
  LocalFileLoadScope();
  ~LocalFileLoadScope();
  LocalFileLoadScope(const LocalFileLoadScope&) = delete;
  LocalFileLoadScope& operator=(const LocalFileLoadScope&) = delete;

 private:
  bool previous_;
};

// Initialises libxml2 once and installs the refusing entity loader.
void EnsureXmlLibrary();

class XmlDocument {
 public:
  // Raises EKivoException for malformed text and for any DOCTYPE or entity declaration.
  static XmlDocument Parse(std::string_view aXml);
  // True when Parse would succeed.
  static bool IsWellFormed(std::string_view aXml);

  XmlDocument(XmlDocument&& other) noexcept : doc_(other.doc_) { other.doc_ = nullptr; }
  XmlDocument& operator=(XmlDocument&& other) noexcept;
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;
  ~XmlDocument();

  xmlDocPtr get() const { return doc_; }
  xmlNodePtr Root() const { return xmlDocGetRootElement(doc_); }

 private:
  explicit XmlDocument(xmlDocPtr aDoc) : doc_(aDoc) {}
  xmlDocPtr doc_;
};

// The XML of a node as a self-contained fragment: an element carries the declarations of the
// namespaces it uses, even when they were declared on an ancestor. Attributes and text nodes
// give their value.
std::string NodeXml(xmlNodePtr aNode);

// The text content of a node (all descendant text for an element).
std::string NodeText(xmlNodePtr aNode);

// Local name of an element or attribute.
std::string_view LocalName(xmlNodePtr aNode);

}  // namespace mox
