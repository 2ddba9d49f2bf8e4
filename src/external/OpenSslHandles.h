#pragma once
// Owning handles for OpenSSL objects, the error queue as text, and the provider set-up that
// lets every PKCS#12 encoding in circulation load.
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pkcs12.h>
#include <openssl/x509.h>

#include <memory>
#include <string>
#include <string_view>

namespace mox {

template <typename T, void (*Free)(T*)>
struct OpenSslDeleter {
  void operator()(T* p) const { Free(p); }
};

using X509Ptr = std::unique_ptr<X509, OpenSslDeleter<X509, X509_free>>;
using EvpPkeyPtr = std::unique_ptr<EVP_PKEY, OpenSslDeleter<EVP_PKEY, EVP_PKEY_free>>;
using Pkcs12Ptr = std::unique_ptr<PKCS12, OpenSslDeleter<PKCS12, PKCS12_free>>;
using X509StorePtr = std::unique_ptr<X509_STORE, OpenSslDeleter<X509_STORE, X509_STORE_free>>;
using X509StoreCtxPtr = std::unique_ptr<X509_STORE_CTX, OpenSslDeleter<X509_STORE_CTX, X509_STORE_CTX_free>>;
using EvpMdCtxPtr = std::unique_ptr<EVP_MD_CTX, OpenSslDeleter<EVP_MD_CTX, EVP_MD_CTX_free>>;

struct BioDeleter {
  void operator()(BIO* p) const { BIO_free_all(p); }
};
using BioPtr = std::unique_ptr<BIO, BioDeleter>;

// A new reference to the same object (OpenSSL objects are reference counted).
X509Ptr ShareX509(X509* aCert);
EvpPkeyPtr ShareKey(EVP_PKEY* aKey);

// Read-only memory BIO over the bytes (they must outlive the BIO).
BioPtr MemoryBio(std::string_view aBytes);
// Everything written to a memory BIO.
std::string BioContents(BIO* aBio);

// Drains the thread's OpenSSL error queue into one line ("" when empty).
std::string OpenSslErrorText();

// Loads the default and the legacy provider once, so that PKCS#12 files encrypted with RC2-40,
// RC4 or 3DES (what older Windows exports and many ICP-Brasil issuers produce) still open on
// OpenSSL 3. False when the legacy provider is not installed.
bool EnsureLegacyProvider();

// DER and PEM of a certificate.
std::string CertificateDer(X509* aCert);
std::string CertificatePem(X509* aCert);
// PKCS#8 PEM of a private key, not encrypted: for test servers and sandboxes only.
std::string PrivateKeyPem(EVP_PKEY* aKey);

}  // namespace mox
