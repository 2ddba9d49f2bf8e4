#include "external/XmlSignatureVerifier.h"

#include <xmlsec/crypto.h>
#include <xmlsec/keys.h>
#include <xmlsec/openssl/evp.h>
#include <xmlsec/transforms.h>
#include <xmlsec/xmldsig.h>

#include <memory>

#include "external/Base64.h"
#include "external/EKivoException.h"
#include "external/XmlDocument.h"
#include "external/XmlDsigNodes.h"
#include "external/XmlSecLibrary.h"

namespace mox {

namespace {

struct DSigCtxDeleter {
  void operator()(xmlSecDSigCtxPtr p) const { xmlSecDSigCtxDestroy(p); }
};

X509Ptr CertificateFromKeyInfo(xmlNodePtr aSignature) {
  xmlNodePtr node = ChildElement(ChildElement(ChildElement(aSignature, "KeyInfo"), "X509Data"), "X509Certificate");
  if (!node) return nullptr;
  std::string der = Base64Decode(NodeText(node));
  const unsigned char* p = reinterpret_cast<const unsigned char*>(der.data());
  X509Ptr cert(d2i_X509(nullptr, &p, static_cast<long>(der.size())));
  if (!cert) {
    OpenSslErrorText();
    throw EKivoException("certificado ilegível em KeyInfo");
  }
  return cert;
}

// "#" followed by an Id of one element that shares the Signature's parent.
xmlNodePtr ReferencedSibling(xmlNodePtr aSignature, const std::string& aUri) {
  if (aUri.size() < 2 || aUri[0] != '#' || aUri.find_first_of("#()", 1) != std::string::npos)
    throw EKivoException("referência da assinatura não aceita: \"" + aUri + "\"");
  std::vector<xmlNodePtr> targets = ElementsWithId(xmlDocGetRootElement(aSignature->doc), aUri.substr(1));
  if (targets.size() != 1)
    throw EKivoException(targets.empty() ? "elemento referenciado não encontrado: " + aUri
                                         : "Id referenciado aparece mais de uma vez: " + aUri);
  if (targets.front()->parent != aSignature->parent)
    throw EKivoException("o elemento assinado não está ao lado da assinatura: " + aUri);
  return targets.front();
}

void EnableFiscalAlgorithms(xmlSecDSigCtxPtr aCtx) {
  for (xmlSecTransformId t : {xmlSecTransformEnvelopedId, xmlSecTransformInclC14NId,
                              xmlSecTransformInclC14NWithCommentsId, xmlSecTransformExclC14NId,
                              xmlSecTransformSha1Id, xmlSecTransformSha256Id})
    xmlSecDSigCtxEnableReferenceTransform(aCtx, t);
  for (xmlSecTransformId t : {xmlSecTransformInclC14NId, xmlSecTransformInclC14NWithCommentsId,
                              xmlSecTransformExclC14NId, xmlSecTransformRsaSha1Id, xmlSecTransformRsaSha256Id})
    xmlSecDSigCtxEnableSignatureTransform(aCtx, t);
  aCtx->enabledReferenceUris = xmlSecTransformUriTypeSameDocument;
}

xmlSecKeyPtr PublicKeyOf(X509* aCert) {
  EvpPkeyPtr pub(X509_get_pubkey(aCert));
  if (!pub) throw EKivoException("certificado sem chave pública utilizável");
  xmlSecKeyDataPtr data = xmlSecOpenSSLEvpKeyAdopt(pub.get());
  if (!data) throw EKivoException("tipo de chave não suportado");
  pub.release();
  xmlSecKeyPtr key = xmlSecKeyCreate();
  if (!key || xmlSecKeySetValue(key, data) < 0) {
    xmlSecKeyDataDestroy(data);
    if (key) xmlSecKeyDestroy(key);
    throw EKivoException("falha ao preparar a chave pública");
  }
  return key;
}

void CheckDigestAndValue(xmlNodePtr aSignature, X509* aCert) {
  XmlSecErrorCollector errors;
  std::unique_ptr<xmlSecDSigCtx, DSigCtxDeleter> ctx(xmlSecDSigCtxCreate(nullptr));
  if (!ctx) throw EKivoException("falha ao iniciar a verificação");
  EnableFiscalAlgorithms(ctx.get());
  ctx->signKey = PublicKeyOf(aCert);
  if (xmlSecDSigCtxVerify(ctx.get(), aSignature) < 0)
    throw EKivoException("assinatura mal formada: " + errors.Text("erro desconhecido"));
  if (ctx->status != xmlSecDSigStatusSucceeded)
    throw EKivoException("assinatura inválida: " + errors.Text("o conteúdo assinado foi alterado"));
}

std::string ChainError(X509* aCert, const std::vector<X509Ptr>& aTrusted) {
  X509StorePtr store(X509_STORE_new());
  for (const auto& t : aTrusted) X509_STORE_add_cert(store.get(), t.get());
  X509_STORE_set_flags(store.get(), X509_V_FLAG_NO_CHECK_TIME | X509_V_FLAG_PARTIAL_CHAIN);
  X509StoreCtxPtr ctx(X509_STORE_CTX_new());
  if (!ctx || X509_STORE_CTX_init(ctx.get(), store.get(), aCert, nullptr) != 1) return "falha ao verificar a cadeia";
  if (X509_verify_cert(ctx.get()) == 1) return {};
  return std::string("certificado não confiável: ") + X509_verify_cert_error_string(X509_STORE_CTX_get_error(ctx.get()));
}

TXmlSignatureCheck CheckOne(xmlNodePtr aSignature, const std::vector<X509Ptr>& aTrusted) {
  TXmlSignatureCheck result;
  try {
    std::string uri = FirstReferenceUri(aSignature);
    result.ReferenceId = uri.empty() ? "" : uri.substr(1);
    xmlNodePtr target = ReferencedSibling(aSignature, uri);
    result.ElementName = std::string(LocalName(target));
    X509Ptr cert = CertificateFromKeyInfo(aSignature);
    if (!cert) throw EKivoException("a assinatura não traz o certificado (KeyInfo/X509Data)");
    result.HasCertificate = true;
    CertificateCredential holder;
    holder.Certificate = ShareX509(cert.get());
    result.Signer = DescribeCertificate(holder);
    RegisterIdAttribute(target);
    CheckDigestAndValue(aSignature, cert.get());
    result.Valid = true;
    if (!aTrusted.empty()) {
      result.Error = ChainError(cert.get(), aTrusted);
      result.Trusted = result.Error.empty();
    }
  } catch (const EKivoException& e) {
    result.Error = e.what();
  }
  return result;
}

}  // namespace

void XmlSignatureVerifier::AddTrustedCertificate(X509* aAuthority) { trusted_.push_back(ShareX509(aAuthority)); }

std::vector<TXmlSignatureCheck> XmlSignatureVerifier::VerifyAll(std::string_view aXml) const {
  EnsureXmlSecLibrary();
  XmlDocument doc = XmlDocument::Parse(aXml);
  std::vector<TXmlSignatureCheck> results;
  for (xmlNodePtr sig : SignaturesIn(doc.Root())) results.push_back(CheckOne(sig, trusted_));
  return results;
}

TXmlSignatureCheck XmlSignatureVerifier::Verify(std::string_view aXml, const std::string& aElement) const {
  std::vector<TXmlSignatureCheck> found;
  for (auto& r : VerifyAll(aXml))
    if (r.ElementName == aElement) found.push_back(std::move(r));
  if (found.size() != 1)
    throw EKivoException(found.empty() ? "Nenhuma assinatura do elemento " + aElement + " encontrada no XML."
                                       : "O XML traz mais de uma assinatura do elemento " + aElement + ".");
  return found.front();
}

}  // namespace mox
