// moxnfe converter as a user runs it: every input format, every output, and the errors.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>

#include "support/TestSupport.h"

namespace {

moxtest::ProgramResult Moxnfe(const std::vector<std::string>& aArgs, const std::string& aInput = {}) {
  return moxtest::RunProgram(moxtest::BuiltProgram("moxnfe"), aArgs, aInput);
}

// "moxnfe converter" of the 3.10 fixtures, on their package (the default is the 4.00 layout).
moxtest::ProgramResult Converte310(std::vector<std::string> aArgs, const std::string& aInput = {}) {
  aArgs.insert(aArgs.begin(), {"converter", "--esquema", "pl_008i1"});
  return Moxnfe(aArgs, aInput);
}

std::string Fixture(const std::string& aNome) { return moxtest::Fixture(aNome).string(); }

size_t Linhas(const std::string& aTexto) { return static_cast<size_t>(std::count(aTexto.begin(), aTexto.end(), '\n')); }

}  // namespace

TEST(CliConverter, CadaEntradaECadaSaida) {
  auto registros = Converte310({"--de", "txt", Fixture("registros/duas-notas-310.txt")});
  ASSERT_EQ(registros.status, 0) << registros.err;
  EXPECT_EQ(Linhas(registros.out), 2u);
  EXPECT_EQ(registros.out.rfind("<infNFe Id=\"NFe35", 0), 0u);

  // The XML read back gives the same notes, and its TX2 replays into them again.
  auto xml = Converte310({"--de", "xml", "-"}, registros.out.substr(0, registros.out.find('\n')));
  ASSERT_EQ(xml.status, 0) << xml.err;
  EXPECT_EQ(xml.out, registros.out.substr(0, registros.out.find('\n') + 1));
  std::string lote = "<enviNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\">";
  for (size_t inicio = 0, fim; (fim = registros.out.find('\n', inicio)) != std::string::npos; inicio = fim + 1)
    lote += "<NFe>" + registros.out.substr(inicio, fim - inicio) + "</NFe>";
  auto doLote = Converte310({"--de", "xml", "--para", "json", "-"}, lote + "</enviNFe>");
  ASSERT_EQ(doLote.status, 0) << doLote.err;
  const auto notas = nlohmann::json::parse(doLote.out)["notas"];
  ASSERT_EQ(notas.size(), 2u);
  for (const auto& nota : notas) {
    EXPECT_EQ(nota["tx2"].front(), "INCLUIR");
    EXPECT_EQ(nota["tx2"].back(), "SALVAR");
  }
  auto tx2 = Converte310({"--de", "txt", "--para", "tx2", Fixture("registros/duas-notas-310.txt")});
  ASSERT_EQ(tx2.status, 0) << tx2.err;
  EXPECT_EQ(tx2.out.rfind("INCLUIR\nversao_A02=3.10\n", 0), 0u);
  auto deVolta = Converte310({"--de", "tx2", "-"}, tx2.out);
  ASSERT_EQ(deVolta.status, 0) << deVolta.err;
  EXPECT_EQ(deVolta.out, registros.out);

  auto blocos = Converte310({"--de", "blocos", "--para", "json", Fixture("blocos/dois-itens-310.txt")});
  ASSERT_EQ(blocos.status, 0) << blocos.err;
  const auto json = nlohmann::json::parse(blocos.out);
  EXPECT_EQ(json["esquema"], "pl_008i1");
  ASSERT_EQ(json["notas"].size(), 1u);
  EXPECT_EQ(json["notas"][0]["chave"].get<std::string>().size(), 44u);
  EXPECT_EQ(json["notas"][0]["tx2"].front(), "INCLUIR");
  EXPECT_EQ(json["notas"][0]["autorizacao"]["cStat"], "");

  moxtest::TempDir pasta;
  auto arquivo = Converte310({"--de", "txt", "--json", "--saida", pasta.file("notas.json"),
                         Fixture("registros/duas-notas-310.txt")});
  ASSERT_EQ(arquivo.status, 0) << arquivo.err;
  EXPECT_NE(arquivo.err.find("2 nota(s) gravada(s)"), std::string::npos);
  EXPECT_EQ(nlohmann::json::parse(moxtest::ReadText(pasta.file("notas.json")))["notas"].size(), 2u);
}

TEST(CliConverter, ErrosIndicamLinhaECampo) {
  std::string texto = moxtest::ReadText(Fixture("registros/duas-notas-310.txt"));
  texto.replace(texto.find("Z04|"), 4, "Z99|");
  auto grupo = Converte310({"--de", "txt", "-"}, texto);
  EXPECT_EQ(grupo.status, 1);
  EXPECT_NE(grupo.err.find("Linha 54, grupo Z99, posição 2: Não foi encontrado campo configurado para o Grupo Z99"),
            std::string::npos)
      << grupo.err;
  EXPECT_TRUE(grupo.out.empty());

  auto naoNFe = Converte310({"--de", "xml", "-"}, "<CTe xmlns=\"http://www.portalfiscal.inf.br/cte\"/>");
  EXPECT_EQ(naoNFe.status, 1);
  EXPECT_NE(naoNFe.err.find("não é uma NF-e: o elemento raiz <CTe> (linha 1)"), std::string::npos) << naoNFe.err;

  auto vazio = Converte310({"--de", "txt", "-"}, "NOTAFISCAL|1|\n");
  EXPECT_EQ(vazio.status, 1);
  EXPECT_NE(vazio.err.find("nenhuma nota encontrada na entrada"), std::string::npos) << vazio.err;

  EXPECT_EQ(Converte310({"--de", "pdf", "x"}).status, 2);
  EXPECT_EQ(Converte310({"--de", "blocos", "-"}).status, 2);
}

// Without --esquema the converter speaks the 4.00 layout: a 4.00 TX2 becomes its XML, and the
// XML read back gives the same note.
TEST(CliConverter, Leiaute400PorPadrao) {
  auto xml = Moxnfe({"converter", "--de", "tx2", "--json", Fixture("tx2/venda-simples-400.tx2")});
  ASSERT_EQ(xml.status, 0) << xml.err;
  EXPECT_EQ(nlohmann::json::parse(xml.out)["esquema"], "pl_010");
  auto texto = Moxnfe({"converter", "--de", "tx2", Fixture("tx2/venda-simples-400.tx2")});
  ASSERT_EQ(texto.status, 0) << texto.err;
  EXPECT_NE(texto.out.find("versao=\"4.00\""), std::string::npos) << texto.out.substr(0, 120);
  auto deVolta = Moxnfe({"converter", "--de", "xml", "-"}, texto.out);
  ASSERT_EQ(deVolta.status, 0) << deVolta.err;
  EXPECT_EQ(deVolta.out, texto.out);
}
