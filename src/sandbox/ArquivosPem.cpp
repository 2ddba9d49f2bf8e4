#include "sandbox/ArquivosPem.h"

#include <openssl/pem.h>

#include <stdexcept>

#include "external/EKivoException.h"
#include "external/FileIO.h"

namespace mox::sandbox {

namespace {

std::string Le(const std::string& aArquivo) {
  try {
    return ReadFileBytes(aArquivo);
  } catch (const EKivoException& e) {
    throw std::runtime_error(e.what());
  }
}

}  // namespace

CertificateCredential LeCredencialPem(const std::string& aArquivoCertificado, const std::string& aArquivoChave) {
  CertificateCredential credencial;
  const std::string certificado = Le(aArquivoCertificado);
  BioPtr bio = MemoryBio(certificado);
  credencial.Certificate.reset(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
  if (!credencial.Certificate)
    throw std::runtime_error("Certificado PEM inválido em " + aArquivoCertificado + ": " + OpenSslErrorText());
  while (X509* cadeia = PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr)) credencial.Chain.emplace_back(cadeia);
  OpenSslErrorText();  // the end of the file leaves an error behind
  if (!aArquivoChave.empty()) {
    const std::string chave = Le(aArquivoChave);
    BioPtr bioChave = MemoryBio(chave);
    credencial.PrivateKey.reset(PEM_read_bio_PrivateKey(bioChave.get(), nullptr, nullptr, nullptr));
    if (!credencial.PrivateKey)
      throw std::runtime_error("Chave PEM inválida em " + aArquivoChave + ": " + OpenSslErrorText());
    if (X509_check_private_key(credencial.Certificate.get(), credencial.PrivateKey.get()) != 1)
      throw std::runtime_error("A chave " + aArquivoChave + " não é a do certificado " + aArquivoCertificado);
  }
  credencial.Source = aArquivoCertificado;
  return credencial;
}

void GravaCredencialPem(const CertificateCredential& aCredencial, const std::string& aArquivoCertificado,
                        const std::string& aArquivoChave) {
  std::string pem = CertificatePem(aCredencial.Certificate.get());
  for (const auto& c : aCredencial.Chain) pem += CertificatePem(c.get());
  WriteFileAtomic(aArquivoCertificado, pem);
  if (!aArquivoChave.empty() && aCredencial.PrivateKey)
    WriteFileAtomic(aArquivoChave, PrivateKeyPem(aCredencial.PrivateKey.get()), 0600);
}

}  // namespace mox::sandbox
