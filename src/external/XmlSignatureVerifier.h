#pragma once
// Checks enveloped XML signatures as SEFAZ does: the digest of the referenced element and the
// signature value, with the key of the certificate in KeyInfo; optionally the certificate's
// chain up to trusted authorities. Safe on hostile input: only same-document references to a
// sibling element of the Signature, and only the canonicalisation, digest and signature
// algorithms of the fiscal documents, are accepted.
#include <string>
#include <string_view>
#include <vector>

#include "external/CertificateCredential.h"

namespace mox {

struct TXmlSignatureCheck {
  bool Valid = false;        // digest and signature value verify
  bool Trusted = false;      // the certificate chains up to a trusted authority (dates not checked)
  std::string Error;         // why it is not valid, or why it is not trusted
  std::string ReferenceId;   // Id of the signed element
  std::string ElementName;   // local name of the signed element
  bool HasCertificate = false;
  CertificateInfo Signer;    // the certificate in KeyInfo, when there is one
};

class XmlSignatureVerifier {
 public:
  // Without trusted authorities every result has Trusted false.
  void AddTrustedCertificate(X509* aAuthority);

  // One result per Signature element of the document, in document order. Malformed XML
  // raises EKivoException; a bad signature is a result, not an exception.
  std::vector<TXmlSignatureCheck> VerifyAll(std::string_view aXml) const;

  // The result for the one signature of the element named aElement (local name). Raises
  // EKivoException when there is no such signed element or more than one.
  TXmlSignatureCheck Verify(std::string_view aXml, const std::string& aElement) const;

 private:
  std::vector<X509Ptr> trusted_;
};

}  // namespace mox
