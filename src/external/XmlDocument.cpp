#include "external/XmlDocument.h"

#include <libxml/parser.h>
#include <libxml/dict.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

#include <climits>
#include <cstring>
#include <memory>
#include <mutex>

#include "external/EKivoException.h"
#include "external/Utf8Text.h"

namespace mox {

namespace {

thread_local bool tAllowLocalFiles = false;
xmlExternalEntityLoader gDefaultLoader = nullptr;

bool IsLocalPath(const char* aUrl) {
  if (!aUrl) return false;
  std::string_view url(aUrl);
  if (url.substr(0, 7) == "file://") return true;
  return url.find("://") == std::string_view::npos;
}

xmlParserInputPtr SafeEntityLoader(const char* aUrl, const char* aId, xmlParserCtxtPtr aCtxt) {
  if (tAllowLocalFiles && IsLocalPath(aUrl)) return gDefaultLoader(aUrl, aId, aCtxt);
  (void)aCtxt;
  std::string msg = std::string("Carregamento de entidade externa recusado: ") + (aUrl ? aUrl : (aId ? aId : "?"));
  if (xmlStructuredError) {
    xmlError err{};
    err.domain = XML_FROM_IO;
    err.code = XML_IO_NETWORK_ATTEMPT;
    err.level = XML_ERR_FATAL;
    err.message = msg.data();
    xmlStructuredError(xmlStructuredErrorContext, &err);
  }
  return nullptr;
}

void CollectError(void* aCtx, xmlErrorPtr aError) {
  if (!aCtx || !aError || !aError->message) return;
  std::string msg = aError->message;
  while (!msg.empty() && (msg.back() == '\n' || msg.back() == ' ')) msg.pop_back();
  if (aError->line > 0) msg = "linha " + std::to_string(aError->line) + ": " + msg;
  static_cast<XmlErrorCollector*>(aCtx)->Add(std::move(msg));
}

// A DOCTYPE or ENTITY declaration never belongs in a fiscal document; refusing it up front
// closes the door on external entities and entity expansion at once.
// Searched by its "!", rare in a fiscal document, with memchr: a search for "<!" took about
// a twelfth of the time of the parse itself.
bool HasDoctype(std::string_view aXml) {
  const char* const begin = aXml.data();
  const char* const end = begin + aXml.size();
  for (const char* p = begin; p < end; ++p) {
    p = static_cast<const char*>(memchr(p, '!', static_cast<size_t>(end - p)));
    if (!p) return false;
    if (p == begin || p[-1] != '<') continue;
    const std::string_view rest(p + 1, static_cast<size_t>(end - p - 1));
    if (rest.substr(0, 7) == "DOCTYPE" || rest.substr(0, 6) == "ENTITY") return true;
  }
  return false;
}

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOWARNING;

// Past this many distinct names the reused dictionary is dropped with its context, so a long
// run of unusual documents cannot make it grow without end.
constexpr size_t kMaxReusedNames = 4096;

}  // namespace

void EnsureXmlLibrary() {
  static std::once_flag once;
  std::call_once(once, [] {
    xmlInitParser();
    gDefaultLoader = xmlNoNetExternalEntityLoader;
    xmlSetExternalEntityLoader(SafeEntityLoader);
  });
}

XmlErrorCollector::XmlErrorCollector()
    : previousContext_(xmlStructuredErrorContext), previousHandler_(xmlStructuredError) {
  xmlSetStructuredErrorFunc(this, CollectError);
}

XmlErrorCollector::~XmlErrorCollector() { xmlSetStructuredErrorFunc(previousContext_, previousHandler_); }

std::string XmlErrorCollector::Joined(const char* aSeparator) const {
  std::string out;
  for (const auto& e : errors_) {
    if (!out.empty()) out += aSeparator;
    out += e;
  }
  return out;
}

LocalFileLoadScope::LocalFileLoadScope() : previous_(tAllowLocalFiles) { tAllowLocalFiles = true; }
LocalFileLoadScope::~LocalFileLoadScope() { tAllowLocalFiles = previous_; }

XmlDocument& XmlDocument::operator=(XmlDocument&& other) noexcept {
  if (this != &other) {
    if (doc_) xmlFreeDoc(doc_);
    doc_ = other.doc_;
    other.doc_ = nullptr;
  }
  return *this;
}

XmlDocument::~XmlDocument() {
  if (doc_) xmlFreeDoc(doc_);
}

XmlReusableParser::~XmlReusableParser() {
  if (ctxt_) xmlFreeParserCtxt(ctxt_);
}

xmlDocPtr XmlReusableParser::Read(std::string_view aXml) {
  // Texts are UTF-8 throughout the component, whatever the declaration says.
  if (reading_) return xmlReadMemory(aXml.data(), static_cast<int>(aXml.size()), nullptr, "UTF-8", kParseOptions);
  if (ctxt_ && ctxt_->dict && static_cast<size_t>(xmlDictSize(ctxt_->dict)) > kMaxReusedNames) {
    xmlFreeParserCtxt(ctxt_);
    ctxt_ = nullptr;
  }
  if (!ctxt_ && !(ctxt_ = xmlNewParserCtxt())) return nullptr;
  reading_ = true;
  xmlDocPtr doc = xmlCtxtReadMemory(ctxt_, aXml.data(), static_cast<int>(aXml.size()), nullptr, "UTF-8",
                                    kParseOptions | XML_PARSE_COMPACT);
  reading_ = false;
  return doc;
}

XmlDocument XmlDocument::Parse(std::string_view aXml) { return Parse(aXml, nullptr); }

XmlDocument XmlDocument::Parse(std::string_view aXml, XmlReusableParser& aParser) { return Parse(aXml, &aParser); }

XmlDocument XmlDocument::Parse(std::string_view aXml, XmlReusableParser* aParser) {
  EnsureXmlLibrary();
  if (aXml.size() >= 3 && aXml.substr(0, 3) == "\xEF\xBB\xBF") aXml.remove_prefix(3);
  if (aXml.empty()) throw EKivoException("XML vazio.");
  if (aXml.size() > static_cast<size_t>(INT_MAX)) throw EKivoException("XML grande demais para ser processado.");
  if (HasDoctype(aXml))
    throw EKivoException("XML recusado: declarações DOCTYPE e ENTITY não são permitidas em documentos fiscais.");
  XmlErrorCollector errors;
  // Texts are UTF-8 throughout the component, whatever the declaration says.
  xmlDocPtr doc = aParser ? aParser->Read(aXml)
                          : xmlReadMemory(aXml.data(), static_cast<int>(aXml.size()), nullptr, "UTF-8", kParseOptions);
  if (!doc) {
    std::string detail = errors.Errors().empty() ? "documento inválido" : errors.Errors().front();
    throw EKivoException("XML mal formado: " + detail);
  }
  XmlDocument result(doc);
  if (doc->intSubset || doc->extSubset)
    throw EKivoException("XML recusado: declarações DOCTYPE e ENTITY não são permitidas em documentos fiscais.");
  if (!result.Root()) throw EKivoException("XML mal formado: documento sem elemento raiz");
  return result;
}

bool XmlDocument::IsWellFormed(std::string_view aXml) {
  try {
    Parse(aXml);
    return true;
  } catch (const EKivoException&) {
    return false;
  }
}

std::string NodeText(xmlNodePtr aNode) {
  if (!aNode) return {};
  std::unique_ptr<xmlChar, decltype(xmlFree)> content(xmlNodeGetContent(aNode), xmlFree);
  return content ? std::string(reinterpret_cast<const char*>(content.get())) : std::string();
}

std::string_view LocalName(xmlNodePtr aNode) {
  return aNode && aNode->name ? std::string_view(reinterpret_cast<const char*>(aNode->name)) : std::string_view();
}

namespace {

std::string DumpNode(xmlNodePtr aNode) {
  std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> buf(xmlBufferCreate(), &xmlBufferFree);
  xmlNodeDump(buf.get(), aNode->doc, aNode, 0, 0);
  return std::string(reinterpret_cast<const char*>(xmlBufferContent(buf.get())), static_cast<size_t>(xmlBufferLength(buf.get())));
}

}  // namespace

std::string NodeXml(xmlNodePtr aNode) {
  if (!aNode) return {};
  if (aNode->type == XML_ATTRIBUTE_NODE || aNode->type == XML_TEXT_NODE || aNode->type == XML_CDATA_SECTION_NODE)
    return NodeText(aNode);
  if (aNode->type != XML_ELEMENT_NODE || !aNode->doc) return DumpNode(aNode);
  // The root writes as it stands; any other element is copied out of its tree first, which
  // declares on the copy the namespaces it inherited from its ancestors.
  if (!aNode->parent || aNode->parent->type != XML_ELEMENT_NODE) return DumpNode(aNode);
  xmlNodePtr copy = xmlDocCopyNode(aNode, aNode->doc, 1);
  if (!copy) throw EKivoException("Falha ao copiar o nó XML.");
  std::string out = DumpNode(copy);
  xmlFreeNode(copy);
  return out;
}

}  // namespace mox
