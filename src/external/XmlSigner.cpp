#include "external/XmlSigner.h"

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
#include "external/XmlSecLibrary.h"

namespace mox {

namespace {

const xmlChar* X(const char* aText) { return reinterpret_cast<const xmlChar*>(aText); }

xmlSecKeyPtr KeyOf(void* aKey) { return static_cast<xmlSecKeyPtr>(aKey); }

struct DSigCtxDeleter {
  void operator()(xmlSecDSigCtxPtr p) const { xmlSecDSigCtxDestroy(p); }
};

xmlNodePtr FindTarget(xmlDocPtr aDoc, const std::string& aElement, const std::string& aId) {
  std::vector<xmlNodePtr> withId = ElementsWithId(xmlDocGetRootElement(aDoc), aId);
  const std::string what = aElement.empty() ? "elemento" : "elemento " + aElement;
  if (withId.empty()) throw EKivoException("Não foi encontrado " + what + " com Id \"" + aId + "\" no XML.");
  if (withId.size() > 1) throw EKivoException("O Id \"" + aId + "\" aparece em mais de um elemento do XML.");
  xmlNodePtr target = withId.front();
  if (!aElement.empty() && LocalName(target) != aElement)
    throw EKivoException("O Id \"" + aId + "\" pertence ao elemento " + std::string(LocalName(target)) +
                         ", não ao elemento " + aElement + ".");
  if (!target->parent || target->parent->type != XML_ELEMENT_NODE)
    throw EKivoException("O " + what + " não pode ser a raiz do XML: a assinatura é gravada no elemento que o contém.");
  return target;
}

void RemovePreviousSignatures(xmlNodePtr aParent, const std::string& aId) {
  for (xmlNodePtr sig : SignatureChildren(aParent)) {
    if (FirstReferenceUri(sig) != "#" + aId) continue;
    xmlUnlinkNode(sig);
    xmlFreeNode(sig);
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
  xmlNodeSetContent(cert, X(aCertificateBase64.c_str()));
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

void XmlSigner::SignElement(xmlDocPtr aDoc, const std::string& aElement, const std::string& aId) const {
  if (aId.empty()) throw EKivoException("Id do elemento a assinar não informado.");
  xmlNodePtr target = FindTarget(aDoc, aElement, aId);
  RemovePreviousSignatures(target->parent, aId);
  RegisterIdAttribute(target);
  xmlNodePtr sig = AppendSignatureTemplate(aDoc, target->parent, aId);

  XmlSecErrorCollector errors;
  std::unique_ptr<xmlSecDSigCtx, DSigCtxDeleter> ctx(xmlSecDSigCtxCreate(nullptr));
  if (!ctx) throw EKivoException("Falha ao iniciar a assinatura.");
  ctx->enabledReferenceUris = xmlSecTransformUriTypeSameDocument;
  // The context frees its key when destroyed, so it gets a copy of the prepared one.
  ctx->signKey = xmlSecKeyDuplicate(KeyOf(key_));
  if (!ctx->signKey) throw EKivoException("Falha ao preparar a chave de assinatura: " + errors.Text());
  if (xmlSecDSigCtxSign(ctx.get(), sig) < 0)
    throw EKivoException("Falha ao assinar o XML: " + errors.Text("erro desconhecido"));
  AppendKeyInfo(sig, certificateBase64_);
}

std::string XmlSigner::Sign(std::string_view aXml, const std::string& aElement, const std::string& aId) const {
  XmlDocument doc = XmlDocument::Parse(aXml);
  SignElement(doc.get(), aElement, aId);
  return NodeXml(doc.Root());
}

}  // namespace mox
