#include "external/XmlSigner.h"

#include <optional>

#include <xmlsec/crypto.h>
#include <xmlsec/openssl/evp.h>
#include <xmlsec/keys.h>
#include <xmlsec/templates.h>
#include <xmlsec/xmldsig.h>
#include <xmlsec/xmltree.h>

#include "external/Base64.h"
#include "external/EKivoException.h"
#include "external/XmlDocument.h"
#include "external/XmlDsigNodes.h"
#include "external/XmlDumpForm.h"
#include "external/XmlIsolatedBranch.h"
#include "external/XmlSecLibrary.h"
#include "external/XmlSubtreeC14N.h"

namespace mox {

namespace {

const xmlChar* X(const char* aText) { return reinterpret_cast<const xmlChar*>(aText); }

xmlSecKeyPtr KeyOf(void* aKey) { return static_cast<xmlSecKeyPtr>(aKey); }

// A signature context that borrows the prepared key: no allocation of the context and no copy
// of the key per signature. The key is handed back before the context is finalised, which would
// otherwise destroy it.
class BorrowingDSigCtx {
 public:
  explicit BorrowingDSigCtx(xmlSecKeyPtr aKey) {
    if (xmlSecDSigCtxInitialize(&ctx_, nullptr) < 0) throw EKivoException("Falha ao iniciar a assinatura.");
    ctx_.enabledReferenceUris = xmlSecTransformUriTypeSameDocument;
    ctx_.signKey = aKey;
    UseSubtreeCanonicalisation(&ctx_);
  }
  ~BorrowingDSigCtx() {
    ctx_.signKey = nullptr;
    xmlSecDSigCtxFinalize(&ctx_);
  }
  BorrowingDSigCtx(const BorrowingDSigCtx&) = delete;
  BorrowingDSigCtx& operator=(const BorrowingDSigCtx&) = delete;
  xmlSecDSigCtxPtr get() { return &ctx_; }

 private:
  xmlSecDSigCtx ctx_;
};

xmlNodePtr FindTarget(const std::vector<xmlNodePtr>& aWithId, const std::string& aElement, const std::string& aId) {
  const std::string what = aElement.empty() ? "elemento" : "elemento " + aElement;
  if (aWithId.empty()) throw EKivoException("Não foi encontrado " + what + " com Id \"" + aId + "\" no XML.");
  if (aWithId.size() > 1) throw EKivoException("O Id \"" + aId + "\" aparece em mais de um elemento do XML.");
  xmlNodePtr target = aWithId.front();
  if (!aElement.empty() && LocalName(target) != aElement)
    throw EKivoException("O Id \"" + aId + "\" pertence ao elemento " + std::string(LocalName(target)) +
                         ", não ao elemento " + aElement + ".");
  if (!target->parent || target->parent->type != XML_ELEMENT_NODE)
    throw EKivoException("O " + what + " não pode ser a raiz do XML: a assinatura é gravada no elemento que o contém.");
  return target;
}

// Signatures taken out of the document, freed only when the document is done with: an index of
// the document may still point into them.
class RemovedNodes {
 public:
  RemovedNodes() = default;
  RemovedNodes(const RemovedNodes&) = delete;
  RemovedNodes& operator=(const RemovedNodes&) = delete;
  ~RemovedNodes() {
    for (xmlNodePtr n : nodes) xmlFreeNode(n);
  }
  std::vector<xmlNodePtr> nodes;
};

void RemovePreviousSignatures(xmlNodePtr aParent, const std::string& aId, std::vector<xmlNodePtr>& aRemoved) {
  for (xmlNodePtr sig : SignatureChildren(aParent)) {
    if (FirstReferenceUri(sig) != "#" + aId) continue;
    xmlUnlinkNode(sig);
    aRemoved.push_back(sig);
  }
}

xmlNodePtr AppendSignatureTemplate(xmlDocPtr aDoc, xmlNodePtr aParent, const std::string& aId) {
  xmlNodePtr sig = xmlSecTmplSignatureCreate(aDoc, xmlSecTransformInclC14NId, xmlSecTransformRsaSha1Id, nullptr);
  if (!sig) throw EKivoException("Falha ao montar o elemento Signature.");
  xmlAddChild(aParent, sig);
  std::string uri = "#" + aId;
  xmlNodePtr ref = xmlSecTmplSignatureAddReference(sig, xmlSecTransformSha1Id, nullptr, X(uri.c_str()), nullptr);
  if (!ref || !xmlSecTmplReferenceAddTransform(ref, xmlSecTransformEnvelopedId) ||
      !xmlSecTmplReferenceAddTransform(ref, xmlSecTransformInclC14NId))
    throw EKivoException("Falha ao montar a referência da assinatura.");
  return sig;
}

// Written after signing: KeyInfo lies outside SignedInfo, and filling it ourselves spares
// xmlsec a certificate encoding per signature.
void AppendKeyInfo(xmlNodePtr aSignature, const std::string& aCertificateBase64) {
  xmlNodePtr keyInfo = xmlSecTmplSignatureEnsureKeyInfo(aSignature, nullptr);
  xmlNodePtr x509Data = keyInfo ? xmlSecTmplKeyInfoAddX509Data(keyInfo) : nullptr;
  xmlNodePtr cert = x509Data ? xmlSecTmplX509DataAddCertificate(x509Data) : nullptr;
  if (!cert) throw EKivoException("Falha ao gravar o certificado na assinatura.");
  // Base64 holds no entity reference: added as text, not parsed for one.
  xmlNodeAddContentLen(cert, X(aCertificateBase64.c_str()), static_cast<int>(aCertificateBase64.size()));
}

}  // namespace

XmlSigner::XmlSigner(std::shared_ptr<const LoadedCertificate> aCertificate) : certificate_(std::move(aCertificate)) {
  if (!certificate_) throw EKivoException("Certificado não informado para a assinatura.");
  const CertificateCredential& cred = certificate_->Credential;
  if (!cred.PrivateKey)
    throw EKivoException("O certificado \"" + certificate_->Info.CommonName + "\" não possui chave privada.");
  EnsureXmlSecLibrary();
  XmlSecErrorCollector errors;
  EvpPkeyPtr shared = ShareKey(cred.PrivateKey.get());
  xmlSecKeyDataPtr data = xmlSecOpenSSLEvpKeyAdopt(shared.get());
  if (!data) throw EKivoException("Chave privada não suportada: " + errors.Text());
  shared.release();  // owned by data now
  xmlSecKeyPtr key = xmlSecKeyCreate();
  if (!key || xmlSecKeySetValue(key, data) < 0) {
    xmlSecKeyDataDestroy(data);
    if (key) xmlSecKeyDestroy(key);
    throw EKivoException("Falha ao preparar a chave de assinatura: " + errors.Text());
  }
  key_ = key;
  certificateBase64_ = Base64Encode(CertificateDer(cred.Certificate.get()));
}

XmlSigner::~XmlSigner() {
  if (key_) xmlSecKeyDestroy(KeyOf(key_));
}

xmlNodePtr XmlSigner::SignTarget(xmlDocPtr aDoc, xmlNodePtr aTarget, const std::string& aId,
                                 std::vector<xmlNodePtr>& aRemoved) const {
  RemovePreviousSignatures(aTarget->parent, aId, aRemoved);
  RegisterIdAttribute(aTarget);
  xmlNodePtr sig = AppendSignatureTemplate(aDoc, aTarget->parent, aId);

  XmlSecErrorCollector errors;
  {
    // Any canonicalisation left to xmlsec's node sets walks only this branch of the document.
    IsolatedBranch isolated(aTarget->parent);
    BorrowingDSigCtx ctx(KeyOf(key_));
    if (xmlSecDSigCtxSign(ctx.get(), sig) < 0)
      throw EKivoException("Falha ao assinar o XML: " + errors.Text("erro desconhecido"));
  }
  AppendKeyInfo(sig, certificateBase64_);
  return sig;
}

std::string XmlSigner::Sign(std::string_view aXml, const std::string& aElement, const std::string& aId) const {
  return Sign(aXml, aElement, std::vector<std::string>{aId});
}

std::string XmlSigner::Sign(std::string_view aXml, const std::string& aElement,
                            const std::vector<std::string>& aIds) const {
  // The document never leaves this call, so it may share the thread's parser.
  thread_local XmlReusableParser parser;
  XmlDocument doc = XmlDocument::Parse(aXml, parser);
  return Sign(doc, aElement, aIds, aXml);
}

std::string XmlSigner::Sign(XmlDocument& aDoc, const std::string& aElement, const std::vector<std::string>& aIds,
                            std::string_view aReadFrom) const {
  std::vector<xmlNodePtr> signatures;
  bool replaced = false;
  {
    RemovedNodes removed;
    // One element: one walk; many: one walk for all of them.
    std::optional<IdIndex> index;
    if (aIds.size() > 1) index.emplace(aDoc.Root());
    signatures.reserve(aIds.size());
    for (const std::string& id : aIds) {
      if (id.empty()) throw EKivoException("Id do elemento a assinar não informado.");
      const std::vector<xmlNodePtr> withId = index ? index->ElementsWithId(id) : ElementsWithId(aDoc.Root(), id);
      signatures.push_back(SignTarget(aDoc.get(), FindTarget(withId, aElement, id), id, removed.nodes));
    }
    replaced = !removed.nodes.empty();
  }
  // The text as read, with the signatures put in, when it is what the tree would be written as.
  if (!aReadFrom.empty() && !replaced)
    if (std::optional<std::string> copied = RootXmlFromText(aReadFrom, aDoc.Root(), signatures)) return std::move(*copied);
  return NodeXml(aDoc.Root());
}

}  // namespace mox
