#pragma once
// Makes certificates: a certification authority, TLS server certificates, and ICP-Brasil-like
// e-CNPJ and e-CPF holder certificates. Used by tests, by the local SEFAZ sandbox and by anyone
// who needs a certificate to try the component without a real one.
#include <chrono>
#include <string>
#include <vector>

#include "external/CertificateCredential.h"

namespace mox {

enum class TCertificatePurpose {
  Authority,  // may issue certificates
  Server,     // TLS server: host names and addresses in the subject alternative name
  Holder,     // e-CNPJ / e-CPF: signatures and TLS client authentication
};

struct TCertificateRequest {
  TCertificatePurpose Purpose = TCertificatePurpose::Holder;
  std::string CommonName;
  std::string Organization = "moxnfe teste";
  std::string OrganizationalUnit;
  std::vector<std::string> HostNames;  // Server: DNS names and IP addresses
  std::string Cnpj;                    // e-CNPJ holder (14 digits): ICP-Brasil otherName fields
  std::string Cpf;                     // e-CPF holder, or the e-CNPJ's responsible person (11 digits)
  std::string ResponsibleName;         // e-CNPJ: the responsible person
  std::chrono::system_clock::time_point NotBefore = std::chrono::system_clock::now() - std::chrono::hours(1);
  std::chrono::system_clock::time_point NotAfter = std::chrono::system_clock::now() + std::chrono::days(365);
};

class CertificateFactory {
 public:
  static EvpPkeyPtr GenerateKey(int aBits = 2048);

  // Signed by aIssuer (its certificate and key), or self-signed when aIssuer is null. A key may
  // be given to spare generating one (key generation is the slow part). The issuer's
  // certificate and chain become the new credential's chain.
  static CertificateCredential Issue(const TCertificateRequest& aRequest, const CertificateCredential* aIssuer,
                                     EvpPkeyPtr aKey = {});

  static CertificateCredential CreateAuthority(const std::string& aCommonName);
  static CertificateCredential CreateServer(const CertificateCredential& aAuthority,
                                            const std::vector<std::string>& aHostNames, EvpPkeyPtr aKey = {});
  // Common name "aName:aCnpj", as ICP-Brasil writes e-CNPJ certificates.
  static CertificateCredential CreateECnpj(const CertificateCredential& aAuthority, const std::string& aName,
                                           const std::string& aCnpj, EvpPkeyPtr aKey = {});
};

}  // namespace mox
