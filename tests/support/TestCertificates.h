#pragma once
// Certificates made at test time: one test authority and what it issued, made once per test
// program (key generation is slow), plus helpers to write them as files.
#include <filesystem>
#include <string>

#include "external/CertificateFactory.h"
#include "external/Pkcs12.h"

namespace moxtest {

struct TestPki {
  mox::CertificateCredential Authority;  // "AC Teste moxnfe"
  mox::CertificateCredential Company;    // e-CNPJ "EMPRESA TESTE LTDA:12345678000195", spare key
  mox::CertificateCredential Server;     // "localhost" and "127.0.0.1", spare key
};

inline constexpr const char* kCompanyCnpj = "12345678000195";

const TestPki& Pki();

// A key made once, shared by certificates whose key does not matter to the test.
mox::EvpPkeyPtr SpareKey();

// A self-signed authority other than the test one, with the spare key.
mox::CertificateCredential StrangerAuthority(const std::string& aCommonName);

// A holder certificate issued by the test authority with the spare key.
mox::CertificateCredential IssueHolder(const mox::TCertificateRequest& aRequest);

// Writes the credential as PKCS#12; returns the path as text.
std::string WritePfx(const std::filesystem::path& aFile, const mox::CertificateCredential& aCredential,
                     const std::string& aPassword,
                     mox::TPkcs12Encoding aEncoding = mox::TPkcs12Encoding::Aes256);

// Writes the certificate (PEM); returns the path as text.
std::string WriteCertificatePem(const std::filesystem::path& aFile, const mox::CertificateCredential& aCredential);

}  // namespace moxtest
