// SEFAZ answers: the SOAP envelope unwrapped to the result the component reads.
#include <stdexcept>

#include "FuzzEntrada.h"
#include "external/SoapClient.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
  const std::string answer = moxfuzz::Texto(aData, aSize);
  try {
    mox::SoapResultContent(answer, "nfeResultMsg", "http://www.portalfiscal.inf.br/nfe/wsdl/NFeAutorizacao");
  } catch (const std::exception&) {
  }
  return 0;
}
