#pragma once
// What the signature benchmarks share: the NF-e they sign and the raw OpenSSL floor.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "external/OpenSslHandles.h"

namespace moxbench {

inline const std::string kNFeId = "NFe35140312345678000195550010000001241123456788";

// The fixture note of 12 KB without its signature.
inline std::string UnsignedNFe() {
  std::ifstream in(std::string(MOXNFE_SOURCE_DIR) + "/tests/fixtures/xml/nfe310-assinada-ficticia.xml");
  std::stringstream ss;
  ss << in.rdbuf();
  std::string xml = ss.str();
  auto start = xml.find("<Signature");
  if (start != std::string::npos) xml.erase(start, xml.find("</Signature>") + 12 - start);
  return xml;
}

// One RSA signature over a SHA-1 digest of a SignedInfo-sized text per iteration.
inline void RsaSha1OpenSsl(benchmark::State& aState, EVP_PKEY* aKey) {
  const std::string signedInfo(600, 'x');
  unsigned char signature[512];
  for (auto _ : aState) {
    mox::EvpMdCtxPtr ctx(EVP_MD_CTX_new());
    size_t len = sizeof signature;
    if (EVP_DigestSignInit(ctx.get(), nullptr, EVP_sha1(), nullptr, aKey) != 1 ||
        EVP_DigestSign(ctx.get(), signature, &len, reinterpret_cast<const unsigned char*>(signedInfo.data()),
                       signedInfo.size()) != 1)
      aState.SkipWithError("EVP_DigestSign failed");
    benchmark::DoNotOptimize(signature);
  }
  aState.SetItemsProcessed(aState.iterations());
}

}  // namespace moxbench
