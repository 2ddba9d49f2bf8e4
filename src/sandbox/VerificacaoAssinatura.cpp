#include "sandbox/VerificacaoAssinatura.h"

#include "external/XmlDocument.h"
#include "external/XmlDsigNodes.h"
#include "sandbox/LeituraXml.h"
#include "sandbox/Rejeicao.h"

namespace mox::sandbox {

namespace {

constexpr const char* kC14N = "http://www.w3.org/TR/2001/REC-xml-c14n-20010315";
constexpr const char* kEnveloped = "http://www.w3.org/2000/09/xmldsig#enveloped-signature";
constexpr const char* kRsaSha1 = "http://www.w3.org/2000/09/xmldsig#rsa-sha1";
constexpr const char* kSha1 = "http://www.w3.org/2000/09/xmldsig#sha1";

std::string Algoritmo(xmlNodePtr aPai, std::string_view aNome) {
  return Atributo(ChildElement(aPai, aNome), "Algorithm");
}

// The signature as the fiscal standard fixes it: inclusive C14N, RSA-SHA1, one reference to
// the element's Id with the enveloped-signature and C14N transforms, SHA-1 digest.
void ConfereForma(xmlNodePtr aAssinatura, const std::string& aId) {
  xmlNodePtr info = ChildElement(aAssinatura, "SignedInfo");
  std::vector<xmlNodePtr> referencias;
  for (xmlNodePtr c = info ? info->children : nullptr; c; c = c->next)
    if (c->type == XML_ELEMENT_NODE && LocalName(c) == "Reference") referencias.push_back(c);
  if (!info || Algoritmo(info, "CanonicalizationMethod") != kC14N || Algoritmo(info, "SignatureMethod") != kRsaSha1 ||
      referencias.size() != 1)
    throw ERejeicao(298, "SignedInfo fora do padrão");
  xmlNodePtr referencia = referencias.front();
  if (Atributo(referencia, "URI") != "#" + aId) throw ERejeicao(298, "a referência não aponta para #" + aId);
  std::vector<std::string> transformacoes;
  for (xmlNodePtr t = ChildElement(ChildElement(referencia, "Transforms"), "Transform"); t; t = t->next)
    if (t->type == XML_ELEMENT_NODE) transformacoes.push_back(Atributo(t, "Algorithm"));
  if (transformacoes != std::vector<std::string>{kEnveloped, kC14N}) throw ERejeicao(298, "transformações fora do padrão");
  if (Algoritmo(referencia, "DigestMethod") != kSha1) throw ERejeicao(298, "DigestMethod fora do padrão");
}

// Same company: the first eight digits of a CNPJ; a person: the whole CPF.
bool MesmoAutor(const CertificateInfo& aCertificado, const std::string& aAutor) {
  if (aAutor.size() == 11) return aCertificado.Cpf == aAutor;
  return aCertificado.Cnpj.size() == 14 && aAutor.size() == 14 && aCertificado.Cnpj.compare(0, 8, aAutor, 0, 8) == 0;
}

}  // namespace

VerificadorAssinaturas::VerificadorAssinaturas(X509* aAutoridade) { verificador_.AddTrustedCertificate(aAutoridade); }

std::map<std::string, TXmlSignatureCheck> VerificadorAssinaturas::VerificaTodas(const std::string& aTexto) const {
  std::map<std::string, TXmlSignatureCheck> porId;
  for (auto& r : verificador_.VerifyAll(aTexto)) porId.emplace(r.ReferenceId, std::move(r));
  return porId;
}

std::string VerificadorAssinaturas::Confere(xmlNodePtr aElementoAssinado,
                                            const std::map<std::string, TXmlSignatureCheck>& aResultados,
                                            const std::string& aAutor, TInstante aAgora) const {
  const std::string id = Atributo(aElementoAssinado, "Id");
  std::vector<xmlNodePtr> assinaturas = SignatureChildren(aElementoAssinado->parent);
  if (assinaturas.size() != 1) throw ERejeicao(298, "o elemento assinado deve ter uma assinatura ao seu lado");
  ConfereForma(assinaturas.front(), id);

  auto it = aResultados.find(id);
  if (it == aResultados.end() || !it->second.Valid)
    throw ERejeicao(297, it == aResultados.end() ? "assinatura não verificada" : it->second.Error);
  const TXmlSignatureCheck& r = it->second;
  if (!r.Trusted) throw ERejeicao(293, r.Error);
  if (aAgora < r.Signer.NotBefore || aAgora > r.Signer.NotAfter) throw ERejeicao(291);
  if (r.Signer.Cnpj.empty() && r.Signer.Cpf.empty()) throw ERejeicao(292);
  if (!MesmoAutor(r.Signer, aAutor)) throw ERejeicao(213, "certificado de " + r.Signer.CommonName + ", autor " + aAutor);
  return Valor(ChildElement(ChildElement(assinaturas.front(), "SignedInfo"), "Reference"), "DigestValue");
}

}  // namespace mox::sandbox
