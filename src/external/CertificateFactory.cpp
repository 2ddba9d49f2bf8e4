#include "external/CertificateFactory.h"

#include <openssl/rand.h>
#include <openssl/rsa.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>

#include "external/EKivoException.h"

namespace mox {

namespace {

using ExtensionPtr = std::unique_ptr<X509_EXTENSION, OpenSslDeleter<X509_EXTENSION, X509_EXTENSION_free>>;

void Fail(const std::string& aWhat) { throw EKivoException(aWhat + ": " + OpenSslErrorText()); }

void AddNameEntry(X509_NAME* aName, const char* aField, const std::string& aValue) {
  if (aValue.empty()) return;
  if (X509_NAME_add_entry_by_txt(aName, aField, MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(aValue.c_str()),
                                 -1, -1, 0) != 1)
    Fail(std::string("Valor inválido para ") + aField);
}

void AddExtension(X509* aCert, X509V3_CTX* aCtx, int aNid, const std::string& aValue) {
  ExtensionPtr ext(X509V3_EXT_conf_nid(nullptr, aCtx, aNid, aValue.c_str()));
  if (!ext || X509_add_ext(aCert, ext.get(), -1) != 1) Fail("Extensão de certificado inválida (" + aValue + ")");
}

void SetTime(ASN1_TIME* aField, std::chrono::system_clock::time_point aTime) {
  if (!ASN1_TIME_set(aField, std::chrono::system_clock::to_time_t(aTime))) Fail("Data de validade inválida");
}

void SetRandomSerial(X509* aCert) {
  unsigned char bytes[16];
  if (RAND_bytes(bytes, sizeof bytes) != 1) Fail("Falha ao gerar o número de série");
  bytes[0] &= 0x7F;  // positive
  bytes[0] |= 0x10;  // full length, no leading zero byte
  std::unique_ptr<BIGNUM, OpenSslDeleter<BIGNUM, BN_free>> bn(BN_bin2bn(bytes, sizeof bytes, nullptr));
  if (!bn || !BN_to_ASN1_INTEGER(bn.get(), X509_get_serialNumber(aCert))) Fail("Falha ao gravar o número de série");
}

bool IsIpAddress(const std::string& aHost) {
  unsigned char buf[16];
  return inet_pton(AF_INET, aHost.c_str(), buf) == 1 || inet_pton(AF_INET6, aHost.c_str(), buf) == 1;
}

std::string OtherName(const char* aOid, const std::string& aValue) {
  return std::string("otherName:") + aOid + ";OCTETSTRING:" + aValue;
}

// The subject alternative names ICP-Brasil puts in holder certificates: fixed-width digit
// fields, zeros where a datum is not informed.
std::string HolderAltNames(const TCertificateRequest& r) {
  const std::string birth = "01011980";
  const std::string cpf = r.Cpf.empty() ? std::string(11, '0') : r.Cpf;
  const std::string personData = birth + cpf + std::string(11, '0') + std::string(15, '0') + std::string(6, '0');
  std::vector<std::string> names;
  if (!r.Cnpj.empty()) {
    names.push_back(OtherName("2.16.76.1.3.4", personData));
    names.push_back(OtherName("2.16.76.1.3.2", r.ResponsibleName.empty() ? "RESPONSAVEL TESTE" : r.ResponsibleName));
    names.push_back(OtherName("2.16.76.1.3.3", r.Cnpj));
    names.push_back(OtherName("2.16.76.1.3.7", std::string(12, '0')));
  } else if (!r.Cpf.empty()) {
    names.push_back(OtherName("2.16.76.1.3.1", personData));
    names.push_back(OtherName("2.16.76.1.3.6", std::string(12, '0')));
    names.push_back(OtherName("2.16.76.1.3.5", std::string(19, '0')));
  }
  std::string joined;
  for (const auto& n : names) {
    if (!joined.empty()) joined += ',';
    joined += n;
  }
  return joined;
}

std::string ServerAltNames(const std::vector<std::string>& aHosts) {
  std::string joined;
  for (const auto& h : aHosts) {
    if (!joined.empty()) joined += ',';
    joined.append(IsIpAddress(h) ? "IP:" : "DNS:").append(h);
  }
  return joined;
}

void AddPurposeExtensions(X509* aCert, X509V3_CTX* aCtx, const TCertificateRequest& r) {
  switch (r.Purpose) {
    case TCertificatePurpose::Authority:
      AddExtension(aCert, aCtx, NID_basic_constraints, "critical,CA:TRUE");
      AddExtension(aCert, aCtx, NID_key_usage, "critical,keyCertSign,cRLSign");
      break;
    case TCertificatePurpose::Server:
      AddExtension(aCert, aCtx, NID_basic_constraints, "critical,CA:FALSE");
      AddExtension(aCert, aCtx, NID_key_usage, "critical,digitalSignature,keyEncipherment");
      AddExtension(aCert, aCtx, NID_ext_key_usage, "serverAuth");
      if (!r.HostNames.empty()) AddExtension(aCert, aCtx, NID_subject_alt_name, ServerAltNames(r.HostNames));
      break;
    case TCertificatePurpose::Holder:
      AddExtension(aCert, aCtx, NID_basic_constraints, "critical,CA:FALSE");
      AddExtension(aCert, aCtx, NID_key_usage, "critical,digitalSignature,nonRepudiation,keyEncipherment");
      AddExtension(aCert, aCtx, NID_ext_key_usage, "clientAuth,emailProtection");
      if (std::string alt = HolderAltNames(r); !alt.empty()) AddExtension(aCert, aCtx, NID_subject_alt_name, alt);
      break;
  }
}

}  // namespace

EvpPkeyPtr CertificateFactory::GenerateKey(int aBits) {
  EvpPkeyPtr key(EVP_RSA_gen(static_cast<unsigned int>(aBits)));
  if (!key) Fail("Falha ao gerar a chave RSA");
  return key;
}

CertificateCredential CertificateFactory::Issue(const TCertificateRequest& aRequest,
                                                const CertificateCredential* aIssuer, EvpPkeyPtr aKey) {
  if (aRequest.CommonName.empty()) throw EKivoException("Informe o nome (CN) do certificado.");
  if (aIssuer && !aIssuer->PrivateKey) throw EKivoException("O certificado emissor não possui chave privada.");
  if (!aKey) aKey = GenerateKey();
  X509Ptr cert(X509_new());
  if (!cert || X509_set_version(cert.get(), 2) != 1) Fail("Falha ao criar o certificado");
  SetRandomSerial(cert.get());
  SetTime(X509_getm_notBefore(cert.get()), aRequest.NotBefore);
  SetTime(X509_getm_notAfter(cert.get()), aRequest.NotAfter);
  X509_NAME* subject = X509_get_subject_name(cert.get());
  AddNameEntry(subject, "C", "BR");
  AddNameEntry(subject, "O", aRequest.Organization);
  AddNameEntry(subject, "OU", aRequest.OrganizationalUnit);
  AddNameEntry(subject, "CN", aRequest.CommonName);
  X509* issuerCert = aIssuer ? aIssuer->Certificate.get() : cert.get();
  if (X509_set_issuer_name(cert.get(), X509_get_subject_name(issuerCert)) != 1 ||
      X509_set_pubkey(cert.get(), aKey.get()) != 1)
    Fail("Falha ao preencher o certificado");

  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuerCert, cert.get(), nullptr, nullptr, 0);
  AddExtension(cert.get(), &ctx, NID_subject_key_identifier, "hash");
  AddExtension(cert.get(), &ctx, NID_authority_key_identifier, "keyid:always");
  AddPurposeExtensions(cert.get(), &ctx, aRequest);

  EVP_PKEY* signingKey = aIssuer ? aIssuer->PrivateKey.get() : aKey.get();
  if (X509_sign(cert.get(), signingKey, EVP_sha256()) <= 0) Fail("Falha ao assinar o certificado");

  CertificateCredential result;
  result.Certificate = std::move(cert);
  result.PrivateKey = std::move(aKey);
  if (aIssuer) {
    result.Chain.push_back(ShareX509(aIssuer->Certificate.get()));
    for (const auto& c : aIssuer->Chain) result.Chain.push_back(ShareX509(c.get()));
  }
  return result;
}

CertificateCredential CertificateFactory::CreateAuthority(const std::string& aCommonName) {
  TCertificateRequest r;
  r.Purpose = TCertificatePurpose::Authority;
  r.CommonName = aCommonName;
  r.NotAfter = std::chrono::system_clock::now() + std::chrono::days(3650);
  return Issue(r, nullptr);
}

CertificateCredential CertificateFactory::CreateServer(const CertificateCredential& aAuthority,
                                                       const std::vector<std::string>& aHostNames, EvpPkeyPtr aKey) {
  if (aHostNames.empty()) throw EKivoException("Informe ao menos um nome de servidor.");
  TCertificateRequest r;
  r.Purpose = TCertificatePurpose::Server;
  r.CommonName = aHostNames.front();
  r.HostNames = aHostNames;
  return Issue(r, &aAuthority, std::move(aKey));
}

CertificateCredential CertificateFactory::CreateECnpj(const CertificateCredential& aAuthority, const std::string& aName,
                                                      const std::string& aCnpj, EvpPkeyPtr aKey) {
  if (aCnpj.size() != 14 || aCnpj.find_first_not_of("0123456789") != std::string::npos)
    throw EKivoException("O CNPJ deve ter 14 dígitos: " + aCnpj);
  TCertificateRequest r;
  r.Purpose = TCertificatePurpose::Holder;
  r.CommonName = aName + ":" + aCnpj;
  r.OrganizationalUnit = "e-CNPJ A1";
  r.Cnpj = aCnpj;
  return Issue(r, &aAuthority, std::move(aKey));
}

}  // namespace mox
