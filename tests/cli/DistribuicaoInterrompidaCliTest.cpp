// moxnfe sefaz distribuicao-dfe --todos cut off in the middle of the walk (the sandbox stops
// answering after its first answer, a fault chosen at its start): the run fails having saved every
// document received and the NSU after them, and the next run, with SEFAZ back, continues from that
// NSU to the last one: no document twice, none skipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "support/ClienteDoSandbox.h"
#include "support/SandboxDeTeste.h"

namespace {

namespace fs = std::filesystem;
using namespace moxtest;

std::vector<unsigned long long> NSUsGravados(const fs::path& aPasta) {
  std::vector<unsigned long long> nsus;
  if (fs::exists(aPasta))
    for (const auto& e : fs::directory_iterator(aPasta)) nsus.push_back(std::stoull(e.path().filename().string().substr(0, 15)));
  std::sort(nsus.begin(), nsus.end());
  return nsus;
}

TEST(DistribuicaoInterrompida, RetomaDoNSUGuardadoSemLacunasNemRepeticoes) {
  SandboxDeTeste sandbox({"--falha-distribuicao-apos", "1"});
  ClienteDoSandbox cliente(sandbox);
  // More documents for the recipient than SEFAZ hands out in one answer (50).
  ClienteDeTeste http;
  for (int lote = 0; lote < 2; ++lote) {
    std::vector<std::string> notas;
    for (int i = 0; i < 35; ++i) notas.push_back(Assina(NotaDeTeste(9700 + lote * 35 + i), "infNFe"));
    ASSERT_EQ(Campo(EnviaLote(http, sandbox, notas), "cStat"), "103");
  }
  TempDir pasta;
  const std::string pfx = WritePfx(pasta.path() / "destinatario.pfx", OutraEmpresa(), "s");
  setenv("MOXNFE_DADOS", pasta.str().c_str(), 1);
  const auto percorre = [&](const std::string& aSaida) {
    std::vector<std::string> args{"sefaz", "distribuicao-dfe", "--todos", "--saida", pasta.file(aSaida),
                                  "--versao-manual", "5.0a"};
    for (const auto& o : cliente.Opcoes()) args.push_back(o);
    args.push_back("--pfx");
    args.push_back(pfx);
    return RunProgram(BuiltProgram("moxnfe"), args);
  };

  const ProgramResult interrompida = percorre("primeira");
  EXPECT_EQ(interrompida.status, 1) << interrompida.out << interrompida.err;
  const auto antes = NSUsGravados(pasta.path() / "primeira");
  ASSERT_EQ(antes.size(), 50u) << interrompida.err;
  EXPECT_EQ(ReadText(pasta.path() / "dfe" / (std::string(kCnpjDestinatario) + ".nsu")),
            std::string(15 - std::to_string(antes.back()).size(), '0') + std::to_string(antes.back()) + "\n");

  sandbox.DefineOpcoes({});
  sandbox.Reinicia();
  cliente.AtualizaServidores(sandbox);
  const ProgramResult retomada = percorre("segunda");
  unsetenv("MOXNFE_DADOS");
  EXPECT_EQ(retomada.status, 0) << retomada.out << retomada.err;
  const auto depois = NSUsGravados(pasta.path() / "segunda");
  ASSERT_EQ(depois.size(), 20u) << retomada.err;
  std::vector<unsigned long long> todos = antes;
  todos.insert(todos.end(), depois.begin(), depois.end());
  for (size_t i = 0; i < todos.size(); ++i) EXPECT_EQ(todos[i], i + 1) << "NSU na posição " << i;
}

}  // namespace
