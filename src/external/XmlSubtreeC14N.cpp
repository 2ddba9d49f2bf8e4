#include "external/XmlSubtreeC14N.h"

#include <libxml/c14n.h>
#include <libxml/valid.h>
#include <xmlsec/buffer.h>
#include <xmlsec/transforms.h>

#include <array>
#include <cstring>

#include "external/XmlIsolatedBranch.h"

namespace mox {

namespace {

// What the transform keeps beside xmlsec's own fields: the element it canonicalises and the
// transforms it stands in for, kept alive until it goes (the signature context may still point
// at them) and destroyed with it.
struct SubtreeData {
  xmlNodePtr apex;
  std::array<xmlSecTransformPtr, 3> replaced;
};

SubtreeData* DataOf(xmlSecTransformPtr aTransform) {
  return reinterpret_cast<SubtreeData*>(reinterpret_cast<xmlSecByte*>(aTransform) + sizeof(xmlSecTransform));
}

int Initialize(xmlSecTransformPtr aTransform) {
  *DataOf(aTransform) = SubtreeData{};
  return 0;
}

void Finalize(xmlSecTransformPtr aTransform) {
  for (xmlSecTransformPtr t : DataOf(aTransform)->replaced)
    if (t) xmlSecTransformDestroy(t);
}

// Visible: the apex and what lies below it; an attribute or a namespace counts as part of the
// element it is on (aParent).
int InSubtree(void* aApex, xmlNodePtr aNode, xmlNodePtr aParent) {
  xmlNodePtr n = aNode->type == XML_NAMESPACE_DECL || aNode->type == XML_ATTRIBUTE_NODE ? aParent : aNode;
  for (; n; n = n->parent)
    if (n == aApex) return 1;
  return 0;
}

int PushXml(xmlSecTransformPtr aTransform, xmlSecNodeSetPtr aNodes, xmlSecTransformCtxPtr aCtx) {
  const SubtreeData* data = DataOf(aTransform);
  if (!aNodes || !data->apex || !aTransform->next) return -1;
  aTransform->status = xmlSecTransformStatusWorking;
  // Written to memory and handed on whole, as the final data: no flush to the next transform
  // every 4 KB, and one call of it.
  xmlOutputBufferPtr out = xmlAllocOutputBuffer(nullptr);
  if (!out) return -1;
  int written;
  {
    IsolatedBranch isolated(data->apex);
    written = xmlC14NExecute(aNodes->doc, InSubtree, data->apex, XML_C14N_1_0, nullptr, 0, out);
  }
  const int pushed = written < 0 ? -1
                                 : xmlSecTransformPushBin(aTransform->next, xmlOutputBufferGetContent(out),
                                                          xmlOutputBufferGetSize(out), 1, aCtx);
  xmlOutputBufferClose(out);
  aTransform->status = xmlSecTransformStatusFinished;
  return pushed < 0 ? -1 : 0;
}

// Nodes in, canonical bytes out.
xmlSecTransformDataType DataType(xmlSecTransformPtr, xmlSecTransformMode aMode, xmlSecTransformCtxPtr) {
  return aMode == xmlSecTransformModePush ? xmlSecTransformDataTypeXml : xmlSecTransformDataTypeBin;
}

xmlSecTransformKlass kSubtreeKlass = {
    sizeof(xmlSecTransformKlass),
    sizeof(xmlSecTransform) + sizeof(SubtreeData),
    reinterpret_cast<const xmlChar*>("moxnfe-c14n-subtree"),
    nullptr,  // no href: never read from a document
    xmlSecTransformUsageDSigTransform,
    Initialize,
    Finalize,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    DataType,
    nullptr,
    nullptr,
    PushXml,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

bool Is(xmlSecTransformPtr aTransform, xmlSecTransformId aId) { return aTransform && aTransform->id == aId; }

bool IsWithin(xmlNodePtr aNode, xmlNodePtr aAncestor) {
  for (xmlNodePtr n = aNode; n; n = n->parent)
    if (n == aAncestor) return true;
  return false;
}

// Puts the subtree transform of aApex in place of aCount transforms at the head of aCtx's chain.
int ReplaceHead(xmlSecTransformCtxPtr aCtx, size_t aCount, xmlNodePtr aApex) {
  xmlSecTransformPtr subtree = xmlSecTransformCreate(&kSubtreeKlass);
  if (!subtree) return 0;  // xmlsec's own chain still works
  SubtreeData* data = DataOf(subtree);
  data->apex = aApex;
  for (size_t i = 0; i < aCount; ++i) {
    xmlSecTransformPtr head = aCtx->first;
    aCtx->first = head->next;
    xmlSecTransformRemove(head);
    data->replaced[i] = head;
  }
  if (!aCtx->first) aCtx->last = nullptr;
  if (xmlSecTransformCtxPrepend(aCtx, subtree) < 0) {
    xmlSecTransformDestroy(subtree);
    return -1;
  }
  return 0;
}

// A reference to "#Id" through XPointer, enveloped-signature and inclusive C14N.
int ReferenceChain(xmlSecTransformCtxPtr aCtx) {
  xmlSecTransformPtr pointer = aCtx->first;
  if (!Is(pointer, xmlSecTransformXPointerId)) return 0;
  xmlSecTransformPtr enveloped = pointer->next;
  if (!Is(enveloped, xmlSecTransformEnvelopedId) || !enveloped->hereNode) return 0;
  if (!Is(enveloped->next, xmlSecTransformInclC14NId)) return 0;
  const char* expr = reinterpret_cast<const char*>(aCtx->xptrExpr);
  if (!expr || *expr != '#' || std::strncmp(expr, "#xpointer(", 10) == 0) return 0;
  xmlAttrPtr id = xmlGetID(enveloped->hereNode->doc, reinterpret_cast<const xmlChar*>(expr + 1));
  if (!id || !id->parent || IsWithin(enveloped->hereNode, id->parent)) return 0;
  return ReplaceHead(aCtx, 3, id->parent);
}

// SignedInfo through inclusive C14N, read from its CanonicalizationMethod.
int SignedInfoChain(xmlSecTransformCtxPtr aCtx) {
  xmlSecTransformPtr c14n = aCtx->first;
  if (!Is(c14n, xmlSecTransformInclC14NId) || !c14n->hereNode || !c14n->hereNode->parent) return 0;
  xmlNodePtr signedInfo = c14n->hereNode->parent;
  if (!signedInfo->name || std::strcmp(reinterpret_cast<const char*>(signedInfo->name), "SignedInfo") != 0) return 0;
  return ReplaceHead(aCtx, 1, signedInfo);
}

}  // namespace

void UseSubtreeCanonicalisation(xmlSecDSigCtxPtr aCtx) {
  aCtx->referencePreExecuteCallback = ReferenceChain;
  aCtx->transformCtx.preExecCallback = SignedInfoChain;
}

}  // namespace mox
