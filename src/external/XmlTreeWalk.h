#pragma once
// Depth-first walk over the elements of a libxml2 tree, without recursion, so a deeply nested
// hostile document cannot exhaust the stack.
#include <libxml/tree.h>

namespace mox {

// Calls aVisit(element) for aRoot and every element below it, in document order, until
// aVisit returns true; returns that element, or null.
template <typename Visit>
xmlNodePtr FindElement(xmlNodePtr aRoot, Visit aVisit) {
  xmlNodePtr node = aRoot;
  while (node) {
    if (node->type == XML_ELEMENT_NODE) {
      if (aVisit(node)) return node;
      if (node->children) {
        node = node->children;
        continue;
      }
    }
    while (node && node != aRoot && !node->next) node = node->parent;
    if (!node || node == aRoot) break;
    node = node->next;
  }
  return nullptr;
}

template <typename Visit>
void ForEachElement(xmlNodePtr aRoot, Visit aVisit) {
  FindElement(aRoot, [&](xmlNodePtr aNode) {
    aVisit(aNode);
    return false;
  });
}

}  // namespace mox
