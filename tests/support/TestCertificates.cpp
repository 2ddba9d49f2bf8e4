#include "support/TestCertificates.h"

#include "support/TestSupport.h"

namespace moxtest {

mox::EvpPkeyPtr SpareKey() {
  static const mox::EvpPkeyPtr key = mox::CertificateFactory::GenerateKey();
  return mox::ShareKey(key.get());
}

const TestPki& Pki() {
  static const TestPki pki = [] {
    TestPki p;
    p.Authority = mox::CertificateFactory::CreateAuthority("AC Teste moxnfe");
    p.Company = mox::CertificateFactory::CreateECnpj(p.Authority, "EMPRESA TESTE LTDA", kCompanyCnpj, SpareKey());
    p.Server = mox::CertificateFactory::CreateServer(p.Authority, {"localhost", "127.0.0.1"}, SpareKey());
    return p;
  }();
  return pki;
}

mox::CertificateCredential StrangerAuthority(const std::string& aCommonName) {
  mox::TCertificateRequest r;
  r.Purpose = mox::TCertificatePurpose::Authority;
  r.CommonName = aCommonName;
  return mox::CertificateFactory::Issue(r, nullptr, SpareKey());
}

mox::CertificateCredential IssueHolder(const mox::TCertificateRequest& aRequest) {
  return mox::CertificateFactory::Issue(aRequest, &Pki().Authority, SpareKey());
}

std::string WritePfx(const std::filesystem::path& aFile, const mox::CertificateCredential& aCredential,
                     const std::string& aPassword, mox::TPkcs12Encoding aEncoding) {
  WriteText(aFile, mox::WritePkcs12(aCredential, aPassword, aEncoding));
  return aFile.string();
}

std::string WriteCertificatePem(const std::filesystem::path& aFile, const mox::CertificateCredential& aCredential) {
  WriteText(aFile, mox::CertificatePem(aCredential.Certificate.get()));
  return aFile.string();
}

}  // namespace moxtest
