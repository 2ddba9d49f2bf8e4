#pragma once
// A SoftHSM token made at test time in a folder of its own, as a user's A3 token would be: a
// key and an e-CNPJ certificate under one CKA_ID, behind a user PIN. Free of GoogleTest so the
// benchmarks use it too.
#include <string>

#include "external/CertificateCredential.h"

namespace moxtest {

class TokenSoftHsm {
 public:
  // An initialised token aLabel with user PIN aPin holding aHolder's key and certificate, and
  // the certificates of its chain (as a real token keeps its authorities).
  TokenSoftHsm(const mox::CertificateCredential& aHolder, std::string aLabel = "Token Teste",
               std::string aPin = "246813");
  // A SoftHSM with no initialised token: the token of the certificate is absent.
  TokenSoftHsm();
  ~TokenSoftHsm();
  TokenSoftHsm(const TokenSoftHsm&) = delete;
  TokenSoftHsm& operator=(const TokenSoftHsm&) = delete;

  // Points SoftHSM at this token's folder (SOFTHSM2_CONF) for this process and its children.
  // SoftHSM reads it when the module is initialised, so a module loaded before keeps the
  // previous folder until every user of it is gone.
  void Activate() const;

  static std::string Module();  // the SoftHSM PKCS#11 module
  const std::string& Label() const { return label_; }
  const std::string& Pin() const { return pin_; }
  const std::string& Folder() const { return folder_; }

 private:
  void Run(const std::vector<std::string>& aArgs) const;

  std::string folder_, label_, pin_;
};

}  // namespace moxtest
