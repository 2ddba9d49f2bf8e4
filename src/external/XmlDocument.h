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

// A parser context kept for many documents read in a row: its dictionary of names is reused
// and short texts are stored inside their nodes, which spares most allocations of a parse.
// The documents it reads share that dictionary, so they must stay on the thread that reads
// with it; they may outlive it.
class XmlReusableParser {
 public:
  XmlReusableParser() = default;
  ~XmlReusableParser();
  XmlReusableParser(const XmlReusableParser&) = delete;
  XmlReusableParser& operator=(const XmlReusableParser&) = delete;

  // The document of aXml, or null when malformed (libxml2 reports why).
  xmlDocPtr Read(std::string_view aXml);

 private:
  xmlParserCtxtPtr ctxt_ = nullptr;
  bool reading_ = false;
};

class XmlDocument {
 public:
  // Raises EKivoException for malformed text and for any DOCTYPE or entity declaration.
  static XmlDocument Parse(std::string_view aXml);
  // The same, read with aParser.
  static XmlDocument Parse(std::string_view aXml, XmlReusableParser& aParser);
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
  static XmlDocument Parse(std::string_view aXml, XmlReusableParser* aParser);
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
