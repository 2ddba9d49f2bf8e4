// moxnfe tx2 converter as a user runs it.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <iterator>

#include "support/TestSupport.h"

namespace {

moxtest::ProgramResult Moxnfe(const std::vector<std::string>& aArgs, const std::string& aInput = {}) {
  return moxtest::RunProgram(moxtest::BuiltProgram("moxnfe"), aArgs, aInput);
}

std::string Exemplo(const std::string& aNome) { return moxtest::Fixture("tx2/" + aNome).string(); }

}  // namespace

TEST(CliTx2, ConvertsFilesAndStandardInput) {
  // The 3.10 examples name their package; the default is the 4.00 layout (below).
  auto duas = Moxnfe({"tx2", "converter", "--esquema", "pl_008i1", Exemplo("duas-notas.tx2")});
  ASSERT_EQ(duas.status, 0) << duas.err;
  EXPECT_EQ(std::count(duas.out.begin(), duas.out.end(), '\n'), 2);
  EXPECT_EQ(duas.out.rfind("<infNFe Id=\"NFe35", 0), 0u) << duas.out.substr(0, 80);

  auto json = Moxnfe({"tx2", "converter", "--esquema", "pl_008i1", "--json", "-"},
                     moxtest::ReadText(Exemplo("venda-simples.tx2")));
  ASSERT_EQ(json.status, 0) << json.err;
  auto parsed = nlohmann::json::parse(json.out);
  EXPECT_EQ(parsed["esquema"], "pl_008i1");
  ASSERT_EQ(parsed["notas"].size(), 1u);
  EXPECT_EQ(parsed["notas"][0]["chave"].get<std::string>().size(), 44u);

  moxtest::TempDir dir;
  auto arquivo = Moxnfe({"tx2", "converter", "--esquema", "pl_008i1", Exemplo("duas-notas.tx2"), "--saida",
                         dir.file("lote.txt")});
  ASSERT_EQ(arquivo.status, 0) << arquivo.err;
  EXPECT_EQ(moxtest::ReadText(dir.file("lote.txt")), duas.out);
  EXPECT_NE(arquivo.err.find("2 nota(s) gravada(s)"), std::string::npos);
}

// Without --esquema the converter writes the 4.00 layout of the newest package (pl_010); the
// 4.00 example needs nothing else, and a 3.10 note is refused on its first 3.10-only field.
TEST(CliTx2, ConvertsTheLayout400ByDefault) {
  auto json = Moxnfe({"tx2", "converter", "--json", "-"}, moxtest::ReadText(Exemplo("venda-simples-400.tx2")));
  ASSERT_EQ(json.status, 0) << json.err;
  auto parsed = nlohmann::json::parse(json.out);
  EXPECT_EQ(parsed["esquema"], "pl_010");
  ASSERT_EQ(parsed["notas"].size(), 1u);
  auto texto = Moxnfe({"tx2", "converter", Exemplo("venda-simples-400.tx2")});
  ASSERT_EQ(texto.status, 0) << texto.err;
  EXPECT_NE(texto.out.find("versao=\"4.00\""), std::string::npos) << texto.out.substr(0, 120);
  EXPECT_NE(texto.out.find("<detPag>"), std::string::npos);

  auto antiga = Moxnfe({"tx2", "converter", Exemplo("venda-simples.tx2")});
  EXPECT_EQ(antiga.status, 1);
  EXPECT_NE(antiga.err.find("campo desconhecido: indPag_B05"), std::string::npos) << antiga.err;
}

TEST(CliTx2, BadInputNamesTheLine) {
  std::string texto = moxtest::ReadText(Exemplo("venda-simples.tx2"));
  texto.replace(texto.find("natOp_B04"), 9, "natOp_XX9");
  auto ruim = Moxnfe({"tx2", "converter", "--esquema", "pl_008i1", "-"}, texto);
  EXPECT_EQ(ruim.status, 1);
  EXPECT_NE(ruim.err.find("Não foi possível converter a Linha: [4] natOp_XX9=VENDA DE MERCADORIA\nErro: Campo natOp_XX9 "
                          "não encontrado"),
            std::string::npos)
      << ruim.err;
  EXPECT_TRUE(ruim.out.empty());

  EXPECT_EQ(ruim.err.rfind("moxnfe tx2 converter: linha 5: campo desconhecido: natOp_XX9", 0), 0u) << ruim.err;

  auto esquema = Moxnfe({"tx2", "converter", "--esquema", "pl_011", Exemplo("venda-simples.tx2")});
  EXPECT_EQ(esquema.status, 1);
  EXPECT_NE(esquema.err.find("pl_011"), std::string::npos) << esquema.err;
}

// Each mistake a user makes while typing TX2, with the line as an editor counts it (the 4.00
// example, converted with the default package).
TEST(CliTx2, MistakesNameTheLineFromOne) {
  const std::string exemplo = moxtest::ReadText(Exemplo("venda-simples-400.tx2"));
  auto troca = [&](const std::string& aDe, const std::string& aPara) {
    std::string texto = exemplo;
    texto.replace(texto.find(aDe), aDe.size(), aPara);
    return texto;
  };
  auto linhaDe = [&](const std::string& aTrecho) {
    return std::to_string(std::count(exemplo.begin(), exemplo.begin() + static_cast<long>(exemplo.find(aTrecho)), '\n') + 1);
  };
  const size_t salvar = exemplo.rfind("\nSALVAR");
  struct Caso {
    const char* nome;
    std::string texto, inicio, componente;
  };
  const std::vector<Caso> casos = {
      {"unknown command", troca("INCLUIRITEM", "INCLUIRITENS"),
       "linha " + linhaDe("INCLUIRITEM") + ": comando desconhecido: INCLUIRITENS\n", "Campo INCLUIRITENS não encontrado"},
      {"command in lower case", troca("INCLUIRITEM", "incluiritem"),
       "linha " + linhaDe("INCLUIRITEM") + ": comando em minúsculas: incluiritem (escreva INCLUIRITEM)\n",
       "Não foi possível converter a Linha: [" + std::to_string(std::stoi(linhaDe("INCLUIRITEM")) - 1) + "] incluiritem"},
      {"unknown field", troca("natOp_B04", "natOp_B4"), "linha 5: campo desconhecido: natOp_B4 (não está no dicionário",
       "Erro: Campo natOp_B4 não encontrado"},
      {"decimal comma", troca("vNF_W16=" , "vNF_W16=1,5\nvNF_W16="),
       "linha " + linhaDe("vNF_W16=") + "\n", "O campo vNF_W16 é numérico e usa ponto decimal, não vírgula: 1,5"},
      {"note without SALVAR", exemplo.substr(0, salvar + 1),
       "linha " + linhaDe("INCLUIR\n") + ": a nota começada aqui não termina com SALVAR\n", "NFe não foi Salva."},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    auto r = Moxnfe({"tx2", "converter", "-"}, c.texto);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("moxnfe tx2 converter: " + c.inicio, 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.componente), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
  }
}

// Notes are written as they are saved, yet a failure further on leaves neither half a batch on
// the standard output nor a changed or temporary file beside the output.
TEST(CliTx2, FailureAfterSavedNotesWritesNothing) {
  std::string ruim = moxtest::ReadText(Exemplo("venda-simples.tx2"));
  ruim.replace(ruim.find("natOp_B04"), 9, "natOp_XX9");
  const std::string texto = moxtest::ReadText(Exemplo("duas-notas.tx2")) + ruim;
  auto saida = Moxnfe({"tx2", "converter", "--esquema", "pl_008i1", "-"}, texto);
  EXPECT_EQ(saida.status, 1);
  EXPECT_TRUE(saida.out.empty()) << saida.out.substr(0, 80);

  moxtest::TempDir dir;
  moxtest::WriteText(dir.file("lote.txt"), "anterior");
  auto arquivo = Moxnfe({"tx2", "converter", "--esquema", "pl_008i1", "-", "--saida", dir.file("lote.txt")}, texto);
  EXPECT_EQ(arquivo.status, 1);
  EXPECT_EQ(moxtest::ReadText(dir.file("lote.txt")), "anterior");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}
