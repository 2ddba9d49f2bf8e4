#include "utils/moxNodeCache.h"

#include <list>

#include "external/TmoxKivoUtils.h"

namespace mox {

namespace {

struct Entry {
  std::string xml, xpath, ns;
  std::vector<std::string> nodes;
  bool reusable = true;
};

// Few entries: the callers alternate between a batch and its answer, rarely more.
constexpr size_t kMaxEntries = 4;
// Huge texts are not kept, so a thread never holds on to much memory.
constexpr size_t kMaxCachedText = 32u << 20;

}  // namespace

const std::vector<std::string>& SelectNodesCached(const std::string& aXml, const std::string& aXPath,
                                                  const std::string& aNamespace) {
  thread_local std::list<Entry> entries;  // most recent first
  for (auto it = entries.begin(); it != entries.end(); ++it) {
    if (it->reusable && it->xpath == aXPath && it->ns == aNamespace && it->xml == aXml) {
      entries.splice(entries.begin(), entries, it);
      return entries.front().nodes;
    }
  }
  Entry e;
  TmoxKivoUtils().XPathSelectNodes(aXml, aXPath, e.nodes, aNamespace, false);
  e.reusable = aXml.size() <= kMaxCachedText;  // otherwise kept only until the next call
  if (e.reusable) {
    e.xml = aXml;
    e.xpath = aXPath;
    e.ns = aNamespace;
  }
  entries.push_front(std::move(e));
  if (entries.size() > kMaxEntries) entries.pop_back();
  return entries.front().nodes;
}

}  // namespace mox
