// Every note of a batch cut in one pass: the same texts as cutting them one index at a time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "utils/TmoxNFeXmlUtils.h"

namespace {

using mox::TmoxNFeXmlUtils;

TEST(NotasDoLote, UmaPassadaDaOsMesmosTextosQueOIndice) {
  const std::string lotes[] = {
      "",
      "<lote><infNFeX/><infNFe Id=\"1\">a</infNFe><infNFe\nId=\"2\">b</infNFe><infNFe>sem fim</lote>",
      "<enviNFe><NFe><infNFe Id=\"1\"></infNFe></NFe><protNFe>p</protNFe><NFe><infNFe/></NFe></enviNFe>",
  };
  for (const std::string& lote : lotes)
    for (bool aprovada : {false, true}) {
      std::vector<std::string> umaAUma;
      for (int i = 0; i < TmoxNFeXmlUtils::GetNumNotas(lote); ++i)
        umaAUma.push_back(TmoxNFeXmlUtils::GetNota(i, lote, aprovada));
      EXPECT_EQ(TmoxNFeXmlUtils::GetNotas(lote, aprovada), umaAUma) << lote << " " << aprovada;
    }
  EXPECT_EQ(TmoxNFeXmlUtils::GetNotas(lotes[1], false).size(), 3u);
}

}  // namespace
