#include "support/NotasParaAuditoria.h"

#include <gtest/gtest.h>

#include "datasets/NotasDeTeste.h"
#include "rules/RegrasDeTeste.h"
#include "support/NotaAssinada.h"
#include "support/TestSupport.h"

namespace moxtest {

namespace fs = std::filesystem;

namespace {

std::string InfNFe(const FonteDeNota& aFonte) {
  auto ds = DataSetsEntregues(aFonte.versao, aFonte.exportacao);
  PreencheNota(*ds, ReadText(Fixture(aFonte.arquivo)));
  return ds->LoteNFe().at(0);
}

std::string SemDeclaracao(std::string aXml) {
  if (aXml.rfind("<?xml", 0) == 0) aXml.erase(0, aXml.find("?>") + 2);
  return aXml;
}

}  // namespace

std::string NotaSemAssinatura(const FonteDeNota& aFonte) {
  return "<NFe xmlns=\"http://www.portalfiscal.inf.br/nfe\">" + InfNFe(aFonte) + "</NFe>";
}

std::string NotaAssinadaDe(const FonteDeNota& aFonte) { return SemDeclaracao(AssinadorDeNotas().Assina(InfNFe(aFonte))); }

std::string NotaAutorizada(const FonteDeNota& aFonte, const std::string& aRecebimento) {
  const std::string nota = NotaAssinadaDe(aFonte);
  const size_t id = nota.find("Id=\"NFe") + 7;
  const size_t digest = nota.find("<DigestValue>") + 13;
  return "<nfeProc xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"4.00\">" + nota +
         "<protNFe versao=\"4.00\"><infProt><tpAmb>2</tpAmb><verAplic>SP_NFE_PL009_V4</verAplic><chNFe>" +
         nota.substr(id, 44) + "</chNFe><dhRecbto>" + aRecebimento + "</dhRecbto><nProt>135260000000001</nProt>" +
         "<digVal>" + nota.substr(digest, nota.find('<', digest) - digest) +
         "</digVal><cStat>100</cStat><xMotivo>Autorizado o uso da NF-e</xMotivo></infProt></protNFe></nfeProc>";
}

mox::TDateTime NaEmissao(const FonteDeNota& aFonte) { return MomentoDaEmissao(ReadText(Fixture(aFonte.arquivo))); }

std::string Troca(std::string aXml, const std::string& aDe, const std::string& aPara) {
  const size_t pos = aXml.find(aDe);
  EXPECT_NE(pos, std::string::npos) << aDe;
  return pos == std::string::npos ? aXml : aXml.replace(pos, aDe.size(), aPara);
}

void InstalaEsquemas(const fs::path& aPasta) {
  for (const auto& [manual, pacote] : {std::pair{"vm60", "PL_009_V4"}, std::pair{"vm50a", "PL_008i2"}}) {
    const fs::path destino = aPasta / manual;
    fs::create_directories(destino);
    for (const auto& e : fs::directory_iterator(SchemasDir() / pacote))
      fs::create_symlink(e.path(), destino / e.path().filename());
    fs::copy_file(std::string(MOXNFE_SOURCE_DIR) + "/data/Esquemas/" + manual + "/Mapping.txt",
                  destino / "Mapping.txt");
  }
}

}  // namespace moxtest
