#pragma once
// A certificate as the services server uses it: the certificate, its private key when the
// source held one, the issuer chain, and what a user reads about it.
#include <chrono>
#include <string>
#include <vector>

#include "external/OpenSslHandles.h"
#include "external/moxDateTime.h"

namespace mox {

struct CertificateCredential {
  X509Ptr Certificate;
  EvpPkeyPtr PrivateKey;  // null when the source held none
  std::vector<X509Ptr> Chain;
  std::string Source;  // file it was read from; empty for one made in memory
  // A token key that signs PKCS#1 v1.5 only (no raw RSA): TLS stays at 1.2 with RSA-PKCS#1
  // signatures, since TLS 1.3 demands PSS.
  bool RsaPkcs1Only = false;
};

struct CertificateInfo {
  std::string CommonName;  // e-CNPJ and e-CPF certificates: "NAME:CNPJ" or "NAME:CPF"
  std::string Cnpj;        // 14 digits, or empty
  std::string Cpf;         // 11 digits, or empty
  std::string Subject;     // the whole distinguished name, one line
  std::string IssuerName;  // the issuer's common name (or organisation, or whole name)
  std::string Serial;      // upper-case hexadecimal
  std::string Thumbprint;  // SHA-1 of the DER, upper-case hexadecimal
  std::chrono::system_clock::time_point NotBefore, NotAfter;
  bool HasPrivateKey = false;
  std::string Source;  // the file, or for A3 the PKCS#11 module
  std::string Token;   // A3: the label of the token or card that holds the key; empty for A1
};

CertificateInfo DescribeCertificate(const CertificateCredential& aCredential);

// One line per certificate, as ListCertificates gives it:
// "CN | CNPJ 00000000000000 | Emissor: X | Validade: dd/mm/yyyy hh:nn:ss | Série: HEX", and for a
// certificate on a token " | A3: token LABEL".
std::string CertificateListLine(const CertificateInfo& aInfo);

// Several lines "Label: value" for a person to read.
std::string CertificateDetails(const CertificateInfo& aInfo);

// The wall-clock time of this machine at that instant.
TDateTime ToLocalDateTime(std::chrono::system_clock::time_point aTime);

// Raises EKivoException when the credential cannot sign: no private key, a key that does not
// belong to the certificate, outside its validity at aNow.
void CheckCredentialUsable(const CertificateCredential& aCredential, const CertificateInfo& aInfo,
                           std::chrono::system_clock::time_point aNow = std::chrono::system_clock::now());

}  // namespace mox
