// moxnfe dicionario verificar, run as a dictionary author runs it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "support/TestSupport.h"

namespace {

moxtest::ProgramResult Moxnfe(const std::vector<std::string>& aArgs) {
  return moxtest::RunProgram(moxtest::BuiltProgram("moxnfe"), aArgs);
}

}  // namespace

TEST(CliDicionario, ListsGroupsAndLinks) {
  const std::string arquivo = moxtest::Fixture("datasets/nfe-teste.xml").string();
  auto r = Moxnfe({"dicionario", "verificar", arquivo});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("  ADI: 3 campos, 1 no XML; detalhe de DI (hDI = DI.handle)\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Nenhum problema encontrado."), std::string::npos);

  r = Moxnfe({"dicionario", "verificar", "--json", arquivo});
  ASSERT_EQ(r.status, 0) << r.err;
  auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["grupos"].size(), 36u);
  EXPECT_EQ(j["grupos"][0]["nome"], "A");
  EXPECT_TRUE(j["problemas"].empty());
}

TEST(CliDicionario, ReportsMistakes) {
  moxtest::TempDir dir;
  const std::string arquivo = dir.file("dic.xml");
  moxtest::WriteText(arquivo,
                     "<d><H><c><campo nome=\"handle\" tamanho=\"5\" visible=\"s\"/></c><l/></H>"
                     "<I><c><campo nome=\"h\" tamanho=\"5\" visible=\"s\"/></c>"
                     "<l mastersource=\"H\" masterfield=\"handle\" keyfield=\"h\"/></I>"
                     "<J><c><campo nome=\"handle\" tamanho=\"5\"/></c><l mastersource=\"X\"/></J></d>");
  auto r = Moxnfe({"dicionario", "verificar", "--json", arquivo});
  EXPECT_EQ(r.status, 1);
  auto problemas = nlohmann::json::parse(r.out)["problemas"];
  EXPECT_EQ(problemas,
            nlohmann::json({"Parte X não encontrada.", "o campo handle do grupo H é visível e iria para o XML",
                            "o grupo I não tem o campo handle",
                            "o campo de ligação h do grupo I é visível e iria para o XML"}));

  r = Moxnfe({"dicionario", "verificar", dir.file("nada.xml")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Arquivo:  " + dir.file("nada.xml") + " não encontrado."), std::string::npos) << r.err;
}
