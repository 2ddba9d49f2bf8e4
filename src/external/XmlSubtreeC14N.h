#pragma once
// The canonicalisation of an enveloped signature's parts by libxml2 straight from the element
// they hang on, instead of through xmlsec's node sets: xmlsec asks, for every node of the
// document, whether it is in the set by walking its ancestors and searching node lists, which
// costs more than the canonicalisation itself. The bytes are the same: inclusive C14N 1.0
// without comments of the element and all below it, the same libxml2 routine writing them.
#include <xmlsec/xmldsig.h>

namespace mox {

// Installs on aCtx the callbacks that, just before each transform chain runs, put the subtree
// canonicalisation in place of
// - a reference "#Id" with the transforms enveloped-signature and inclusive C14N, when the
//   signature lies outside the element with that Id (the enveloped transform then takes out
//   nothing), and
// - the inclusive C14N of SignedInfo.
// Any other chain is left to xmlsec.
void UseSubtreeCanonicalisation(xmlSecDSigCtxPtr aCtx);

}  // namespace mox
