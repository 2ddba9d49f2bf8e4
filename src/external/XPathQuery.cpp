#include "external/XPathQuery.h"

#include <libxml/xpathInternals.h>

#include <memory>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "external/EKivoException.h"

namespace mox {

namespace {

using CompiledPtr = std::shared_ptr<xmlXPathCompExpr>;

class XPathCache {
 public:
  static XPathCache& Instance() {
    static XPathCache cache;
    return cache;
  }

  CompiledPtr Get(const std::string& aXPath) {
    {
      std::lock_guard lock(mutex_);
      if (auto it = compiled_.find(aXPath); it != compiled_.end()) return it->second;
    }
    CompiledPtr expr = Compile(aXPath);
    std::lock_guard lock(mutex_);
    if (compiled_.size() >= kMaxUnpinned + pinned_.size()) EvictUnpinned();
    compiled_.emplace(aXPath, expr);
    return expr;
  }

  void Pin(const std::string& aXPath) {
    Get(aXPath);
    std::lock_guard lock(mutex_);
    pinned_.insert(aXPath);
  }

  void Unpin(const std::string& aXPath) {
    std::lock_guard lock(mutex_);
    pinned_.erase(aXPath);
    compiled_.erase(aXPath);
  }

 private:
  static constexpr size_t kMaxUnpinned = 512;

  static CompiledPtr Compile(const std::string& aXPath) {
    XmlErrorCollector errors;
    xmlXPathCompExprPtr raw = xmlXPathCompile(reinterpret_cast<const xmlChar*>(aXPath.c_str()));
    if (!raw) throw EKivoException("Expressão XPath inválida: " + aXPath);
    return CompiledPtr(raw, xmlXPathFreeCompExpr);
  }

  void EvictUnpinned() {
    for (auto it = compiled_.begin(); it != compiled_.end();) {
      it = pinned_.count(it->first) ? std::next(it) : compiled_.erase(it);
    }
  }

  std::mutex mutex_;
  std::unordered_map<std::string, CompiledPtr> compiled_;
  std::unordered_set<std::string> pinned_;
};

std::string Trimmed(const std::string& s, size_t b, size_t e) {
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r' || s[b] == '\n')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r' || s[e - 1] == '\n')) --e;
  return s.substr(b, e - b);
}

}  // namespace

NamespaceBindings ParseNamespaceDeclarations(const std::string& aDeclarations) {
  NamespaceBindings out;
  size_t pos = 0;
  while ((pos = aDeclarations.find("xmlns:", pos)) != std::string::npos) {
    size_t eq = aDeclarations.find('=', pos);
    if (eq == std::string::npos) break;
    std::string prefix = Trimmed(aDeclarations, pos + 6, eq);
    size_t q = aDeclarations.find_first_of("'\"", eq);
    if (q == std::string::npos) throw EKivoException("Declaração de namespace inválida: " + aDeclarations);
    size_t qe = aDeclarations.find(aDeclarations[q], q + 1);
    if (qe == std::string::npos) throw EKivoException("Declaração de namespace inválida: " + aDeclarations);
    out.emplace_back(prefix, aDeclarations.substr(q + 1, qe - q - 1));
    pos = qe + 1;
  }
  if (out.empty() && aDeclarations.find_first_not_of(" \t\r\n") != std::string::npos)
    throw EKivoException("Declaração de namespace inválida: " + aDeclarations);
  return out;
}

XPathResult EvaluateXPath(const XmlDocument& aDoc, const std::string& aXPath, const NamespaceBindings& aNs) {
  CompiledPtr expr = XPathCache::Instance().Get(aXPath);
  std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> ctx(xmlXPathNewContext(aDoc.get()),
                                                                      &xmlXPathFreeContext);
  if (!ctx) throw EKivoException("Falha ao criar o contexto XPath.");
  for (const auto& [prefix, uri] : aNs)
    xmlXPathRegisterNs(ctx.get(), reinterpret_cast<const xmlChar*>(prefix.c_str()),
                       reinterpret_cast<const xmlChar*>(uri.c_str()));
  // Relative paths start at the document node, so ".//x" also finds a root element named x.
  ctx->node = reinterpret_cast<xmlNodePtr>(aDoc.get());
  XmlErrorCollector errors;
  std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> obj(xmlXPathCompiledEval(expr.get(), ctx.get()),
                                                                     &xmlXPathFreeObject);
  if (!obj) {
    std::string detail = errors.Errors().empty() ? "" : " (" + errors.Joined() + ")";
    throw EKivoException("Expressão XPath inválida: " + aXPath + detail);
  }
  XPathResult result;
  if (obj->type == XPATH_NODESET) {
    if (obj->nodesetval)
      result.nodes.assign(obj->nodesetval->nodeTab, obj->nodesetval->nodeTab + obj->nodesetval->nodeNr);
  } else {
    result.isNodeSet = false;
    std::unique_ptr<xmlChar, decltype(xmlFree)> s(xmlXPathCastToString(obj.get()), xmlFree);
    result.scalar = s ? reinterpret_cast<const char*>(s.get()) : "";
  }
  return result;
}

void PinXPath(const std::string& aXPath) { XPathCache::Instance().Pin(aXPath); }
void UnpinXPath(const std::string& aXPath) { XPathCache::Instance().Unpin(aXPath); }

}  // namespace mox
