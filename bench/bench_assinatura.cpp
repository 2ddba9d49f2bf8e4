// Signatures per second of an NF-e-sized infNFe through the services server, against the raw
// RSA-2048 SHA-1 signing rate of OpenSSL measured in the same run. The signature cannot beat
// one RSA operation; everything around it (parsing, C14N, digest, writing) should cost less
// than another one.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "BenchAssinatura.h"
#include "BenchRatio.h"
#include "external/CertificateFactory.h"
#include "external/Pkcs12.h"
#include "external/TmoxKivoX.h"

namespace {

using moxbench::kNFeId;
using moxbench::UnsignedNFe;

struct Setup {
  mox::CertificateCredential authority = mox::CertificateFactory::CreateAuthority("AC Bench");
  mox::CertificateCredential company = mox::CertificateFactory::CreateECnpj(authority, "EMPRESA BENCH", "12345678000195");
  std::string pfx = (std::filesystem::temp_directory_path() / "moxnfe-bench-assinatura.pfx").string();
  std::string xml = UnsignedNFe();
  Setup() {
    std::ofstream(pfx, std::ios::binary) << mox::WritePkcs12(company, "bench");
  }
  ~Setup() { std::filesystem::remove(pfx); }
};

Setup& Shared() {
  static Setup setup;
  return setup;
}

void BM_AssinaturaInfNFe(benchmark::State& state) {
  Setup& s = Shared();
  mox::TmoxKivoX kivo;
  kivo.SignerSettings.CertificateType = mox::kCertFile;
  kivo.SignerSettings.CertificatePath = s.pfx;
  kivo.SignerSettings.CertificatePassword = "bench";
  kivo.SignerSettings.XmlElement = "infNFe";
  // The certificate is read and its key prepared once, as in a running program (and as the floor's
  // key is): the loop measures signing alone, not one PKCS#12 decryption spread over its rounds.
  benchmark::DoNotOptimize(kivo.SignXmlById(s.xml, kNFeId));
  for (auto _ : state) benchmark::DoNotOptimize(kivo.SignXmlById(s.xml, kNFeId));
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.xml.size()));
}
BENCHMARK(BM_AssinaturaInfNFe)->Unit(benchmark::kMicrosecond);

// One RSA-2048 signature over a SHA-1 digest of a SignedInfo-sized text.
void BM_RsaSha1OpenSsl(benchmark::State& state) {
  moxbench::RsaSha1OpenSsl(state, Shared().company.PrivateKey.get());
}
BENCHMARK(BM_RsaSha1OpenSsl)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return moxbench::RunWithRatios(argc, argv,
                                 {{"Assinatura infNFe 12 KB (RSA-2048 SHA-1 puro / nossa assinatura; meta >= 0,5)",
                                   {"BM_AssinaturaInfNFe", "BM_RsaSha1OpenSsl"}}});
}
