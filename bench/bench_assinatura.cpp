// Signatures per second of an NF-e-sized infNFe through the services server, against the raw
// RSA-2048 SHA-1 signing rate of OpenSSL measured in the same run. The signature cannot beat
// one RSA operation; everything around it (parsing, C14N, digest, writing) should cost less
// than another one.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "BenchRatio.h"
#include "external/CertificateFactory.h"
#include "external/Pkcs12.h"
#include "external/TmoxKivoX.h"

namespace {

const std::string kNFeId = "NFe35140312345678000195550010000001241123456788";

std::string UnsignedNFe() {
  std::ifstream in(std::string(MOXNFE_SOURCE_DIR) + "/tests/fixtures/xml/nfe310-assinada-ficticia.xml");
  std::stringstream ss;
  ss << in.rdbuf();
  std::string xml = ss.str();
  auto start = xml.find("<Signature");
  if (start != std::string::npos) xml.erase(start, xml.find("</Signature>") + 12 - start);
  return xml;
}

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
  for (auto _ : state) benchmark::DoNotOptimize(kivo.SignXmlById(s.xml, kNFeId));
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.xml.size()));
}
BENCHMARK(BM_AssinaturaInfNFe)->Unit(benchmark::kMicrosecond);

// One RSA-2048 signature over a SHA-1 digest of a SignedInfo-sized text.
void BM_RsaSha1OpenSsl(benchmark::State& state) {
  EVP_PKEY* key = Shared().company.PrivateKey.get();
  const std::string signedInfo(600, 'x');
  unsigned char signature[512];
  for (auto _ : state) {
    mox::EvpMdCtxPtr ctx(EVP_MD_CTX_new());
    size_t len = sizeof signature;
    if (EVP_DigestSignInit(ctx.get(), nullptr, EVP_sha1(), nullptr, key) != 1 ||
        EVP_DigestSign(ctx.get(), signature, &len, reinterpret_cast<const unsigned char*>(signedInfo.data()),
                       signedInfo.size()) != 1)
      state.SkipWithError("EVP_DigestSign failed");
    benchmark::DoNotOptimize(signature);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RsaSha1OpenSsl)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return moxbench::RunWithRatios(argc, argv,
                                 {{"Assinatura infNFe 12 KB (RSA-2048 SHA-1 puro / nossa assinatura; meta >= 0,5)",
                                   {"BM_AssinaturaInfNFe", "BM_RsaSha1OpenSsl"}}});
}
