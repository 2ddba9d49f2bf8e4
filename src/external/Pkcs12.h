#pragma once
// PKCS#12 (".pfx", ".p12") files: reading every encoding users hold, writing modern or legacy.
#include <string>
#include <string_view>

#include "external/CertificateCredential.h"
#include "external/EKivoException.h"

namespace mox {

// The password does not open the file (its integrity check fails).
class EPkcs12WrongPassword : public EKivoException {
 public:
  using EKivoException::EKivoException;
};

enum class TPkcs12Encoding {
  Aes256,        // PBES2 with AES-256-CBC, SHA-256 MAC: what OpenSSL 3 writes by default
  LegacyRc2_40,  // certificates under RC2-40, key under 3DES, SHA-1 MAC: older Windows exports
  Legacy3Des,    // everything under 3DES, SHA-1 MAC
};

// aSource names the file in messages. Raises EPkcs12WrongPassword for a wrong password and
// EKivoException for anything else that keeps the file from loading.
CertificateCredential ReadPkcs12(std::string_view aBytes, const std::string& aPassword, const std::string& aSource);

// The file's bytes. Without a private key only the certificates are stored.
std::string WritePkcs12(const CertificateCredential& aCredential, const std::string& aPassword,
                        TPkcs12Encoding aEncoding = TPkcs12Encoding::Aes256, const std::string& aFriendlyName = {});

}  // namespace mox
