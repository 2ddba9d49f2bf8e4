#pragma once
// The signature checks of SEFAZ on a signed element (infNFe, infCanc, infInut, infEvento): the
// form of the signature, its digest and value, the certificate's chain up to the authority the
// sandbox trusts, its validity, and its CNPJ against the document's author.
#include <libxml/tree.h>

#include <map>
#include <string>

#include "external/XmlSignatureVerifier.h"
#include "webservices/moxHoraSefaz.h"

namespace mox::sandbox {

class VerificadorAssinaturas {
 public:
  explicit VerificadorAssinaturas(X509* aAutoridade);

  // The outcome of every signature of the document, by the Id it references. Verifies them
  // all in one pass over the text.
  std::map<std::string, TXmlSignatureCheck> VerificaTodas(const std::string& aTexto) const;

  // Raises ERejeicao for the first check that fails: 298 (form), 297 (digest or value),
  // 293 (chain), 291 (validity), 292 (no CNPJ), 213 (CNPJ base, or CPF, differs from aAutor).
  // Returns the DigestValue of the reference.
  std::string Confere(xmlNodePtr aElementoAssinado, const std::map<std::string, TXmlSignatureCheck>& aResultados,
                      const std::string& aAutor, TInstante aAgora) const;

 private:
  XmlSignatureVerifier verificador_;
};

}  // namespace mox::sandbox
