// TX2 text as a user or another system writes it, through the 3.10 dictionary.
#include <stdexcept>

#include "FuzzEntrada.h"
#include "datasets/TmoxNFeConvTXTDataSet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
  static const std::string dicionario = moxfuzz::PastaDados() + "Templates/vm50a/Conversor/NFeDataSets.xml";
  mox::TmoxNFeConvTXTDataSet conversor;
  conversor.SetVersaoEsquema(mox::TVersaoEsquema::pl_008i1);
  conversor.SetXMLDicionario(dicionario);
  try {
    conversor.SetTXT(moxfuzz::Texto(aData, aSize));
    conversor.Converter();
  } catch (const std::exception&) {
  }
  return 0;
}
