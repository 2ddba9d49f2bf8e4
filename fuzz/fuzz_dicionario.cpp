// A field dictionary from outside: loading it builds data sets, so a bad one must be refused.
#include <stdexcept>

#include "FuzzEntrada.h"
#include "datasets/TmoxNFeDataSets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
  const std::string file = moxfuzz::ArquivoTemporario("NFeDataSets.xml", moxfuzz::Texto(aData, aSize));
  try {
    mox::TmoxNFeDataSets dataSets;
    dataSets.SetVersaoEsquema(mox::TVersaoEsquema::pl_008i1);
    dataSets.SetXMLDicionario(file);
    dataSets.Incluir();
    dataSets.Cancelar();
  } catch (const std::exception&) {
  }
  return 0;
}
