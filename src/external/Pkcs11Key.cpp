// The RSA_METHOD interface is the one OpenSSL 3.0 offers for keys held elsewhere without a
// provider of our own; it is deprecated, not removed.
#define OPENSSL_SUPPRESS_DEPRECATED
#include "external/Pkcs11Key.h"

#include <openssl/core_names.h>
#include <openssl/rsa.h>

#include <cstring>
#include <mutex>
#include <utility>

#include "external/EKivoException.h"

namespace mox {

namespace {

struct TokenKeyRef {
  std::shared_ptr<Pkcs11Session> Session;
  CK_OBJECT_HANDLE Key;
};

thread_local std::string tTokenFailure;

int gRefIndex = -1;
RSA_METHOD* gMethod = nullptr;

void FreeRef(void*, void* aPtr, CRYPTO_EX_DATA*, int, long, void*) { delete static_cast<TokenKeyRef*>(aPtr); }

int TokenPrivateEncrypt(int aSize, const unsigned char* aFrom, unsigned char* aTo, RSA* aRsa, int aPadding) {
  auto* ref = static_cast<TokenKeyRef*>(RSA_get_ex_data(aRsa, gRefIndex));
  if (!ref) return -1;
  CK_MECHANISM_TYPE mechanism;
  switch (aPadding) {
    case RSA_PKCS1_PADDING: mechanism = CKM_RSA_PKCS; break;
    case RSA_NO_PADDING: mechanism = CKM_RSA_X_509; break;
    default: return -1;
  }
  try {
    std::string signature =
        ref->Session->Sign(mechanism, ref->Key, {reinterpret_cast<const char*>(aFrom), static_cast<size_t>(aSize)});
    const size_t room = static_cast<size_t>(RSA_size(aRsa));
    if (signature.size() > room) return -1;
    // A token may drop leading zero bytes; the block is as long as the modulus.
    std::memset(aTo, 0, room - signature.size());
    std::memcpy(aTo + room - signature.size(), signature.data(), signature.size());
    return static_cast<int>(room);
  } catch (const std::exception& e) {
    tTokenFailure = e.what();
    return -1;
  }
}

// The token decrypts nothing for us: a TLS client and an XML signer only sign.
int RefuseDecrypt(int, const unsigned char*, unsigned char*, RSA*, int) { return -1; }

void PrepareMethod() {
  static std::once_flag once;
  std::call_once(once, [] {
    gRefIndex = RSA_get_ex_new_index(0, nullptr, nullptr, nullptr, FreeRef);
    gMethod = RSA_meth_dup(RSA_PKCS1_OpenSSL());
    if (gMethod) {
      RSA_meth_set1_name(gMethod, "moxnfe PKCS#11");
      RSA_meth_set_priv_enc(gMethod, TokenPrivateEncrypt);
      RSA_meth_set_priv_dec(gMethod, RefuseDecrypt);
    }
  });
  if (gRefIndex < 0 || !gMethod) throw EKivoException("Falha ao preparar as chaves de token no OpenSSL.");
}

}  // namespace

std::string TakeTokenFailure() { return std::exchange(tTokenFailure, {}); }

EvpPkeyPtr TokenPrivateKey(std::shared_ptr<Pkcs11Session> aSession, CK_OBJECT_HANDLE aKey, X509* aCertificate) {
  PrepareMethod();
  EVP_PKEY* pub = X509_get0_pubkey(aCertificate);
  if (!pub || EVP_PKEY_get_base_id(pub) != EVP_PKEY_RSA)
    throw EKivoException("A chave do certificado no token \"" + aSession->Label() +
                         "\" não é RSA: a NF-e é assinada com RSA.");
  BIGNUM *n = nullptr, *e = nullptr;
  if (EVP_PKEY_get_bn_param(pub, OSSL_PKEY_PARAM_RSA_N, &n) != 1 ||
      EVP_PKEY_get_bn_param(pub, OSSL_PKEY_PARAM_RSA_E, &e) != 1) {
    BN_free(n);
    BN_free(e);
    throw EKivoException("Chave pública ilegível no certificado do token \"" + aSession->Label() + "\".");
  }
  // xmlsec reads a key as private only when it has an exponent d; the token's stays on the
  // token, so a placeholder stands for it. Every private operation goes to the methods above.
  BIGNUM* d = BN_new();
  RSA* rsa = RSA_new();
  if (!rsa || !d || BN_set_word(d, 1) != 1 || RSA_set0_key(rsa, n, e, d) != 1) {
    BN_free(n);
    BN_free(e);
    BN_free(d);
    RSA_free(rsa);
    throw EKivoException("Falha ao preparar a chave do token.");
  }
  RSA_set_method(rsa, gMethod);
  RSA_set_flags(rsa, RSA_FLAG_EXT_PKEY);
  RSA_set_ex_data(rsa, gRefIndex, new TokenKeyRef{std::move(aSession), aKey});
  EvpPkeyPtr key(EVP_PKEY_new());
  if (!key || EVP_PKEY_assign_RSA(key.get(), rsa) != 1) {
    RSA_free(rsa);
    throw EKivoException("Falha ao preparar a chave do token.");
  }
  return key;
}

}  // namespace mox
