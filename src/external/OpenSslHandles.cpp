#include "external/OpenSslHandles.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/provider.h>

#include <climits>
#include <mutex>

#include "external/EKivoException.h"

namespace mox {

X509Ptr ShareX509(X509* aCert) {
  if (aCert) X509_up_ref(aCert);
  return X509Ptr(aCert);
}

EvpPkeyPtr ShareKey(EVP_PKEY* aKey) {
  if (aKey) EVP_PKEY_up_ref(aKey);
  return EvpPkeyPtr(aKey);
}

BioPtr MemoryBio(std::string_view aBytes) {
  if (aBytes.size() > static_cast<size_t>(INT_MAX)) throw EKivoException("Dados grandes demais.");
  BioPtr bio(BIO_new_mem_buf(aBytes.data(), static_cast<int>(aBytes.size())));
  if (!bio) throw EKivoException("Falha ao alocar memória para o OpenSSL.");
  return bio;
}

std::string BioContents(BIO* aBio) {
  char* data = nullptr;
  long size = BIO_get_mem_data(aBio, &data);
  return size > 0 ? std::string(data, static_cast<size_t>(size)) : std::string();
}

std::string OpenSslErrorText() {
  std::string text;
  while (unsigned long code = ERR_get_error()) {
    char buf[256];
    ERR_error_string_n(code, buf, sizeof buf);
    if (!text.empty()) text += "; ";
    text += buf;
  }
  return text;
}

bool EnsureLegacyProvider() {
  static bool available = [] {
    // Loading any provider explicitly switches off the implicit default one, so load both.
    OSSL_PROVIDER_load(nullptr, "default");
    bool ok = OSSL_PROVIDER_load(nullptr, "legacy") != nullptr;
    ERR_clear_error();
    return ok;
  }();
  return available;
}

std::string CertificateDer(X509* aCert) {
  unsigned char* der = nullptr;
  int len = i2d_X509(aCert, &der);
  if (len <= 0) throw EKivoException("Falha ao codificar o certificado: " + OpenSslErrorText());
  std::string out(reinterpret_cast<char*>(der), static_cast<size_t>(len));
  OPENSSL_free(der);
  return out;
}

std::string CertificatePem(X509* aCert) {
  BioPtr bio(BIO_new(BIO_s_mem()));
  if (!bio || PEM_write_bio_X509(bio.get(), aCert) != 1)
    throw EKivoException("Falha ao gravar o certificado em PEM: " + OpenSslErrorText());
  return BioContents(bio.get());
}

std::string PrivateKeyPem(EVP_PKEY* aKey) {
  BioPtr bio(BIO_new(BIO_s_mem()));
  if (!bio || PEM_write_bio_PrivateKey(bio.get(), aKey, nullptr, nullptr, 0, nullptr, nullptr) != 1)
    throw EKivoException("Falha ao gravar a chave privada em PEM: " + OpenSslErrorText());
  return BioContents(bio.get());
}

}  // namespace mox
