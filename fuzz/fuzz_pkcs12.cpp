// Certificate files a user hands us: any bytes as PKCS#12 with and without a password.
#include <stdexcept>

#include "FuzzEntrada.h"
#include "external/Pkcs12.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
  const std::string bytes = moxfuzz::Texto(aData, aSize);
  for (const char* senha : {"", "1234"}) {
    try {
      mox::ReadPkcs12(bytes, senha, "fuzz.pfx");
    } catch (const std::exception&) {
    }
  }
  return 0;
}
