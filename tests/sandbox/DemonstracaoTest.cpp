// The README's demonstration, run as a user runs it but with the programs of this build, so it
// cannot rot unnoticed.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestSupport.h"

namespace {

moxtest::ProgramResult Demonstracao(const std::vector<std::string>& aOpcoes = {}) {
  std::vector<std::string> args{"300", "/usr/bin/env", std::string("MOXNFE_PROGRAMAS=") + MOXNFE_BINARY_DIR,
                                "MOXNFE_SCHEMAS=" + moxtest::SchemasDir().string(), "bash",
                                std::string(MOXNFE_SOURCE_DIR) + "/scripts/demo.sh"};
  args.insert(args.end(), aOpcoes.begin(), aOpcoes.end());
  return moxtest::RunProgram("/usr/bin/timeout", args);
}

// The folder the demonstration says it left its files in.
std::filesystem::path PastaDosArquivos(const std::string& aSaida) {
  const std::string marca = "Arquivos da demonstração em ";
  const size_t inicio = aSaida.find(marca);
  if (inicio == std::string::npos) return {};
  const size_t fim = aSaida.find(":\n", inicio);
  return aSaida.substr(inicio + marca.size(), fim - inicio - marca.size());
}

TEST(Demonstracao, RunsFromCertificatesToTheCancellationAndLeavesNoSandboxBehind) {
  const moxtest::ProgramResult r = Demonstracao();
  const std::filesystem::path pasta = PastaDosArquivos(r.out);
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  for (const char* passo : {"SEFAZ: 107 - Serviço em Operação", "SEFAZ: 103 - Lote recebido com sucesso",
                            "SEFAZ: 104 - Lote processado", "135 - Evento registrado e vinculado a NF-e",
                            "SEFAZ: 101 - Cancelamento de NF-e homologado",
                            "3 nota(s): 3 autorizada(s), 0 denegada(s), 0 rejeitada(s), 0 pendente(s), 0 com erro",
                            "Nenhuma pendência em", "Demonstração concluída"})
    EXPECT_NE(r.out.find(passo), std::string::npos) << passo << "\n" << r.out;
  // Both notes of the batch were authorized: the receipt's step lists two protocols of 100.
  const size_t recibo = r.out.find("== moxnfe sefaz consultar-recibo");
  ASSERT_NE(recibo, std::string::npos) << r.out;
  const std::string passoRecibo = r.out.substr(recibo, r.out.find("\n== ", recibo + 1) - recibo);
  size_t autorizadas = 0;
  for (size_t p = passoRecibo.find(": 100 - Autorizado"); p != std::string::npos; p = passoRecibo.find(": 100 - Autorizado", p + 1))
    ++autorizadas;
  EXPECT_EQ(autorizadas, 2u) << passoRecibo;
  EXPECT_NE(r.out.find("Sandbox encerrado."), std::string::npos) << "the sandbox log should end with its clean stop";

  // The files stay for the user to open: the signed notes and every answer.
  ASSERT_FALSE(pasta.empty()) << r.out;
  for (const char* arquivo : {"nota-1-assinada.xml", "nota-2-assinada.xml", "sandbox.log", "respostas/01-certificados.txt"})
    EXPECT_TRUE(std::filesystem::exists(pasta / arquivo)) << arquivo;
  EXPECT_NE(moxtest::ReadText(pasta / "nota-1-assinada.xml").find("<Signature"), std::string::npos);
  size_t respostas = 0;
  for (const auto& e : std::filesystem::directory_iterator(pasta / "respostas")) respostas += e.is_regular_file();
  EXPECT_GE(respostas, 12u);
  std::filesystem::remove_all(pasta);
}

TEST(Demonstracao, CleansUpWhenAsked) {
  const moxtest::ProgramResult r = Demonstracao({"--limpar"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("Arquivos da demonstração apagados (--limpar)."), std::string::npos) << r.out;
  EXPECT_TRUE(PastaDosArquivos(r.out).empty());
  // The state folder it named while running is gone with the rest.
  const size_t estado = r.out.find("/moxnfe-demo.");
  ASSERT_NE(estado, std::string::npos) << r.out;
  const std::string pasta = r.out.substr(r.out.rfind(' ', estado) + 1, r.out.find('/', estado + 1) - r.out.rfind(' ', estado) - 1);
  EXPECT_FALSE(std::filesystem::exists(pasta)) << pasta;
}

}  // namespace
