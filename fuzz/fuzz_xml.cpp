// XML loading and the lookups the component runs over documents from outside (SEFAZ answers,
// notes received, logs): none may crash, hang or leak, whatever the bytes.
#include <stdexcept>
#include <vector>

#include "FuzzEntrada.h"
#include "external/TmoxKivoUtils.h"
#include "utils/moxXmlLookup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
  const std::string xml = moxfuzz::Texto(aData, aSize);
  mox::TmoxKivoUtils utils;
  try {
    utils.IsValidXml(xml);
    std::string value;
    utils.XPathSelectSingleNode(xml, "//nfx:infProt/nfx:chNFe", value);
    std::vector<std::string> nodes;
    utils.XPathSelectNodes(xml, "//nfx:NFe", nodes);
    utils.GetXMLNamespace(xml);
    utils.GetXMLAttributeByIndex(xml, "", 0);
    utils.GetValueTag("cStat", xml);
    mox::GetValueTag("chNFe", xml);
    mox::GetValueTagFilho("infProt", "nProt", xml);
    mox::GetReferenceInfo(xml);
    mox::GetRetEvento(xml);
    mox::ValidaAssinatura(xml);
    utils.Unescape(utils.Escape(xml));
  } catch (const std::exception&) {
    // A clear refusal is the expected outcome for most inputs.
  }
  return 0;
}
