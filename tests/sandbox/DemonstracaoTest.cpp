// The README's demonstration, run as a user runs it but with the programs of this build, so it
// cannot rot unnoticed.
#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace {

TEST(Demonstracao, RunsFromCertificatesToTheCancellationAndLeavesNoSandboxBehind) {
  const moxtest::ProgramResult r = moxtest::RunProgram(
      "/usr/bin/timeout",
      {"300", "/usr/bin/env", std::string("MOXNFE_PROGRAMAS=") + MOXNFE_BINARY_DIR,
       "MOXNFE_SCHEMAS=" + moxtest::SchemasDir().string(), "bash", std::string(MOXNFE_SOURCE_DIR) + "/scripts/demo.sh"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  for (const char* passo : {"SEFAZ: 107 - Serviço em Operação", "SEFAZ: 103 - Lote recebido com sucesso",
                            "SEFAZ: 104 - Lote processado", "135 - Evento registrado e vinculado a NF-e",
                            "SEFAZ: 101 - Cancelamento de NF-e homologado", "Demonstração concluída"})
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
}

}  // namespace
