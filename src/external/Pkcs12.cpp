#include "external/Pkcs12.h"

#include <openssl/x509v3.h>

namespace mox {

namespace {

struct X509StackDeleter {
  void operator()(STACK_OF(X509)* s) const { sk_X509_pop_free(s, X509_free); }
};
using X509Stack = std::unique_ptr<STACK_OF(X509), X509StackDeleter>;

// An empty password may have been written as "no password" or as the empty text; OpenSSL
// tells them apart, so try both. Null when the password is wrong.
const char* MatchingPassword(PKCS12* aP12, const std::string& aPassword, bool& aMatched) {
  aMatched = true;
  if (!PKCS12_mac_present(aP12)) return aPassword.c_str();
  if (aPassword.empty()) {
    if (PKCS12_verify_mac(aP12, nullptr, 0) == 1) return nullptr;
    if (PKCS12_verify_mac(aP12, "", 0) == 1) return "";
  } else if (PKCS12_verify_mac(aP12, aPassword.c_str(), static_cast<int>(aPassword.size())) == 1) {
    return aPassword.c_str();
  }
  aMatched = false;
  return nullptr;
}

bool IssuedSomeOther(X509* aCandidate, const std::vector<X509Ptr>& aAll) {
  for (const auto& other : aAll)
    if (other.get() != aCandidate && X509_check_issued(aCandidate, other.get()) == X509_V_OK) return true;
  return false;
}

// Without a key OpenSSL hands every certificate back as "chain": the holder's certificate is
// the one that issued none of the others.
void PickLeafFromChain(CertificateCredential& aCredential) {
  for (size_t i = 0; i < aCredential.Chain.size(); ++i) {
    if (!IssuedSomeOther(aCredential.Chain[i].get(), aCredential.Chain)) {
      aCredential.Certificate = std::move(aCredential.Chain[i]);
      aCredential.Chain.erase(aCredential.Chain.begin() + static_cast<long>(i));
      return;
    }
  }
}

}  // namespace

CertificateCredential ReadPkcs12(std::string_view aBytes, const std::string& aPassword, const std::string& aSource) {
  bool legacy = EnsureLegacyProvider();
  BioPtr bio = MemoryBio(aBytes);
  Pkcs12Ptr p12(d2i_PKCS12_bio(bio.get(), nullptr));
  if (!p12) {
    OpenSslErrorText();
    throw EKivoException("O arquivo não é um certificado PKCS#12 (.pfx/.p12) válido: " + aSource);
  }
  bool matched = false;
  const char* password = MatchingPassword(p12.get(), aPassword, matched);
  if (!matched) {
    OpenSslErrorText();
    throw EPkcs12WrongPassword("Senha incorreta para o certificado: " + aSource);
  }
  EVP_PKEY* key = nullptr;
  X509* cert = nullptr;
  STACK_OF(X509)* ca = nullptr;
  if (PKCS12_parse(p12.get(), password, &key, &cert, &ca) != 1) {
    std::string detail = OpenSslErrorText();
    if (!legacy)
      throw EKivoException("Não foi possível abrir o certificado " + aSource +
                           ": ele pode usar criptografia antiga (RC2/3DES) e o provedor \"legacy\" do OpenSSL "
                           "não está instalado (" + detail + ").");
    throw EKivoException("Não foi possível abrir o certificado " + aSource + ": " + detail);
  }
  CertificateCredential credential;
  credential.Certificate.reset(cert);
  credential.PrivateKey.reset(key);
  X509Stack chain(ca);
  while (chain && sk_X509_num(chain.get()) > 0) credential.Chain.emplace_back(sk_X509_shift(chain.get()));
  if (!credential.Certificate) PickLeafFromChain(credential);
  if (!credential.Certificate) throw EKivoException("O arquivo não contém certificado: " + aSource);
  credential.Source = aSource;
  return credential;
}

std::string WritePkcs12(const CertificateCredential& aCredential, const std::string& aPassword,
                        TPkcs12Encoding aEncoding, const std::string& aFriendlyName) {
  if (aEncoding != TPkcs12Encoding::Aes256 && !EnsureLegacyProvider())
    throw EKivoException("O provedor \"legacy\" do OpenSSL não está instalado: não é possível gravar PKCS#12 antigo.");
  X509Stack ca(sk_X509_new_null());
  for (const auto& c : aCredential.Chain) {
    X509_up_ref(c.get());
    sk_X509_push(ca.get(), c.get());
  }
  int keyNid = NID_aes_256_cbc, certNid = NID_aes_256_cbc, macIter = PKCS12_DEFAULT_ITER;
  if (aEncoding == TPkcs12Encoding::LegacyRc2_40) {
    certNid = NID_pbe_WithSHA1And40BitRC2_CBC;
    keyNid = NID_pbe_WithSHA1And3_Key_TripleDES_CBC;
  } else if (aEncoding == TPkcs12Encoding::Legacy3Des) {
    certNid = keyNid = NID_pbe_WithSHA1And3_Key_TripleDES_CBC;
  }
  if (aEncoding != TPkcs12Encoding::Aes256) macIter = -1;  // MAC added below with SHA-1
  Pkcs12Ptr p12(PKCS12_create(aPassword.c_str(), aFriendlyName.empty() ? nullptr : aFriendlyName.c_str(),
                              aCredential.PrivateKey.get(), aCredential.Certificate.get(), ca.get(), keyNid, certNid,
                              PKCS12_DEFAULT_ITER, macIter, 0));
  if (!p12) throw EKivoException("Falha ao gerar o arquivo PKCS#12: " + OpenSslErrorText());
  if (macIter == -1 && PKCS12_set_mac(p12.get(), aPassword.c_str(), -1, nullptr, 0, PKCS12_DEFAULT_ITER,
                                      EVP_sha1()) != 1)
    throw EKivoException("Falha ao gerar o arquivo PKCS#12: " + OpenSslErrorText());
  BioPtr out(BIO_new(BIO_s_mem()));
  if (!out || i2d_PKCS12_bio(out.get(), p12.get()) != 1)
    throw EKivoException("Falha ao gravar o arquivo PKCS#12: " + OpenSslErrorText());
  return BioContents(out.get());
}

}  // namespace mox
