#pragma once
// The enveloped XML signature SEFAZ requires: reference "#Id" to the signed element, transforms
// enveloped-signature and inclusive C14N 1.0 without comments, RSA-SHA1 over SHA-1 digests,
// KeyInfo with the X509 certificate; the Signature, written
// <Signature xmlns="http://www.w3.org/2000/09/xmldsig#">, becomes the last child of the signed
// element's parent.
#include <libxml/tree.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "external/CertificateCache.h"

namespace mox {

class XmlDocument;

class XmlSigner {
 public:
  // The key is prepared here once; every signature reuses it. Raises EKivoException when the
  // certificate has no private key.
  explicit XmlSigner(std::shared_ptr<const LoadedCertificate> aCertificate);
  ~XmlSigner();
  XmlSigner(const XmlSigner&) = delete;
  XmlSigner& operator=(const XmlSigner&) = delete;

  const std::shared_ptr<const LoadedCertificate>& Certificate() const { return certificate_; }

  // The document with the element aElement (local name; any element when empty) whose Id is
  // aId signed. A signature of the same element already present is replaced. The result is the
  // document element without an XML declaration, ready to be embedded in a batch.
  std::string Sign(std::string_view aXml, const std::string& aElement, const std::string& aId) const;
  // Several elements of one document, signed in order: the document is parsed and written once.
  std::string Sign(std::string_view aXml, const std::string& aElement, const std::vector<std::string>& aIds) const;
  // The same on a document its caller has already read (and still needs to look into). aReadFrom,
  // when given, is the text aDoc was read from: the result is copied from it where its form allows
  // instead of writing the whole document again.
  std::string Sign(XmlDocument& aDoc, const std::string& aElement, const std::vector<std::string>& aIds,
                   std::string_view aReadFrom = {}) const;

 private:
  // Signs one element and returns its Signature; signatures it replaces go to aRemoved, for the
  // caller to free.
  xmlNodePtr SignTarget(xmlDocPtr aDoc, xmlNodePtr aTarget, const std::string& aId, std::vector<xmlNodePtr>& aRemoved) const;

  std::shared_ptr<const LoadedCertificate> certificate_;
  void* key_ = nullptr;  // xmlSecKeyPtr
  std::string certificateBase64_;
};

}  // namespace mox
