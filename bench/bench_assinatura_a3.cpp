// Signatures per second of an NF-e infNFe with an A3 certificate on a SoftHSM token against the
// same key as an A1 file, through the services server, and both against the raw RSA-2048
// SHA-1 signing rate of OpenSSL with that key, measured in the same run. The token's session
// stays logged in across the run, as it does across a batch.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "BenchAssinatura.h"
#include "BenchRatio.h"
#include "external/CertificateFactory.h"
#include "external/Pkcs11Token.h"
#include "external/Pkcs12.h"
#include "external/TmoxKivoX.h"
#include "support/TokenSoftHsm.h"

namespace {

using moxbench::kNFeId;
using moxbench::UnsignedNFe;

struct Setup {
  mox::CertificateCredential authority = mox::CertificateFactory::CreateAuthority("AC Bench");
  mox::CertificateCredential company = mox::CertificateFactory::CreateECnpj(authority, "EMPRESA BENCH", "12345678000195");
  moxtest::TokenSoftHsm token{company, "Token Bench", "112233"};
  std::string pfx = token.Folder() + "/empresa.pfx";
  std::string xml = UnsignedNFe();
  Setup() { std::ofstream(pfx, std::ios::binary) << mox::WritePkcs12(company, "bench"); }
};

Setup& Shared() {
  static Setup setup;
  return setup;
}

void Sign(benchmark::State& aState, mox::TmoxKivoX& aKivo) {
  aKivo.SignerSettings.XmlElement = "infNFe";
  const std::string& xml = Shared().xml;
  for (auto _ : aState) benchmark::DoNotOptimize(aKivo.SignXmlById(xml, kNFeId));
  aState.SetItemsProcessed(aState.iterations());
}

void BM_AssinaturaA3SoftHsm(benchmark::State& state) {
  Setup& s = Shared();
  mox::TmoxKivoX kivo;
  kivo.SetPkcs11Modules(moxtest::TokenSoftHsm::Module());
  kivo.SignerSettings.CertificateType = mox::kCertSmartCard;
  kivo.SignerSettings.CertificateName = "12345678000195";
  kivo.SignerSettings.Pincode = s.token.Pin();
  const long logins = mox::Pkcs11Session::LoginCount();
  Sign(state, kivo);
  state.counters["logins"] = static_cast<double>(mox::Pkcs11Session::LoginCount() - logins);
}
BENCHMARK(BM_AssinaturaA3SoftHsm)->Unit(benchmark::kMicrosecond);

void BM_AssinaturaA1Arquivo(benchmark::State& state) {
  mox::TmoxKivoX kivo;
  kivo.SignerSettings.CertificateType = mox::kCertFile;
  kivo.SignerSettings.CertificatePath = Shared().pfx;
  kivo.SignerSettings.CertificatePassword = "bench";
  Sign(state, kivo);
}
BENCHMARK(BM_AssinaturaA1Arquivo)->Unit(benchmark::kMicrosecond);

// One RSA-2048 signature over a SHA-1 digest of a SignedInfo-sized text, with the same key.
void BM_RsaSha1OpenSsl(benchmark::State& state) {
  moxbench::RsaSha1OpenSsl(state, Shared().company.PrivateKey.get());
}
BENCHMARK(BM_RsaSha1OpenSsl)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return moxbench::RunWithRatios(
      argc, argv,
      {{"Assinatura infNFe: A1 em arquivo / A3 no SoftHSM (mesma chave)",
        {"BM_AssinaturaA3SoftHsm", "BM_AssinaturaA1Arquivo"}},
       {"Assinatura infNFe A3 no SoftHSM (RSA-2048 SHA-1 puro / nossa assinatura)",
        {"BM_AssinaturaA3SoftHsm", "BM_RsaSha1OpenSsl"}}});
}
