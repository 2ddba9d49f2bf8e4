#pragma once
// Canonicalisation walks the whole document even when only one branch of it is visible. While
// an IsolatedBranch lives, every ancestor of its node shows only the child on the way down: the
// walk sees one branch, and every node keeps its own namespaces and attributes, so the
// canonical form of the branch is the same. Only the sibling links are cut, and put back on
// leaving.
#include <libxml/tree.h>

#include <vector>

namespace mox {

class IsolatedBranch {
 public:
  explicit IsolatedBranch(xmlNodePtr aNode) {
    for (xmlNodePtr n = aNode; n->parent && n->parent->type == XML_ELEMENT_NODE; n = n->parent) {
      xmlNodePtr p = n->parent;
      cuts_.push_back({p, p->children, p->last, n, n->prev, n->next});
      p->children = p->last = n;
      n->prev = n->next = nullptr;
    }
  }
  ~IsolatedBranch() {
    for (const Cut& c : cuts_) {
      c.parent->children = c.children;
      c.parent->last = c.last;
      c.node->prev = c.prev;
      c.node->next = c.next;
    }
  }
  IsolatedBranch(const IsolatedBranch&) = delete;
  IsolatedBranch& operator=(const IsolatedBranch&) = delete;

 private:
  struct Cut {
    xmlNodePtr parent, children, last, node, prev, next;
  };
  std::vector<Cut> cuts_;
};

}  // namespace mox
