// Printing the DANFE through CUPS: a scheduler of the test's own (private folder and socket)
// with a paused queue, so the job stays on it to be seen.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>

#include "component/TmoxNFe.h"
#include "danfe/NotasDanfe.h"
#include "danfe/TmoxNFeDanfe.h"
#include "support/BackgroundProcess.h"

namespace {

using moxtest::RunProgram;

class CupsDeTeste {
 public:
  CupsDeTeste() {
    for (const char* p : {"spool", "tmp", "state", "cache"}) std::filesystem::create_directories(dir_.path() / p);
    moxtest::WriteText(dir_.file("cupsd.conf"), "Listen " + Socket() +
                                                    "\nLogLevel warn\nWebInterface No\n<Location />\n  Order "
                                                    "allow,deny\n  Allow all\n</Location>\n");
    std::string arquivos = "ServerRoot " + dir_.str() + "\nFileDevice Yes\nSandboxing Relaxed\n";
    for (const char* p : {"RequestRoot spool", "TempDir tmp", "StateDir state", "CacheDir cache"}) {
      std::string linha = p;
      arquivos += linha.substr(0, linha.find(' ') + 1) + dir_.str() + linha.substr(linha.find(' ') + 1) + "\n";
    }
    arquivos += "ErrorLog " + dir_.file("error_log") + "\nAccessLog " + dir_.file("access_log") + "\n";
    moxtest::WriteText(dir_.file("cups-files.conf"), arquivos);
    cupsd_ = std::make_unique<moxtest::BackgroundProcess>(
        "/usr/sbin/cupsd", std::vector<std::string>{"-f", "-c", dir_.file("cupsd.conf"), "-s", dir_.file("cups-files.conf")});
    ::setenv("CUPS_SERVER", Socket().c_str(), 1);
    // The scheduler answers once it has read its configuration.
    auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (RunProgram("/usr/bin/lpstat", {"-r"}).out.find("scheduler is running") == std::string::npos)
      if (std::chrono::steady_clock::now() > limite) throw std::runtime_error("cupsd não respondeu");
  }
  ~CupsDeTeste() { ::unsetenv("CUPS_SERVER"); }
  std::string Socket() const { return dir_.file("cups.sock"); }

 private:
  moxtest::TempDir dir_;
  std::unique_ptr<moxtest::BackgroundProcess> cupsd_;
};

TEST(DanfeImpressao, JobFicaNaFilaDaImpressoraIndicada) {
  if (::access("/usr/sbin/cupsd", X_OK) != 0) GTEST_SKIP() << "cupsd não instalado (pacote cups)";
  if (::geteuid() != 0) GTEST_SKIP() << "cupsd precisa ser iniciado como root para servir filas";
  CupsDeTeste cups;
  auto fila = RunProgram("/usr/sbin/lpadmin", {"-p", "danfe_teste", "-v", "file:///dev/null", "-E"});
  ASSERT_EQ(fila.status, 0) << fila.err;
  ASSERT_EQ(RunProgram("/usr/sbin/cupsdisable", {"danfe_teste"}).status, 0);

  mox::TmoxNFe nfe;
  mox::TmoxNFeDanfe& danfe = *nfe.GetDanfeNFe();
  const std::string nota = moxtest::NotaAutorizada(moxtest::NotasAssinadas(moxtest::Tx2Exemplo("venda-simples.tx2")).front());
  danfe.SetParams(moxtest::ParametrosExportacao("", "Impressora=danfe_teste\r\nQtdeCopias=2\r\n"));
  danfe.SetXML(nota);
  danfe.Imprimir();
  auto jobs = RunProgram("/usr/bin/lpstat", {"-o", "danfe_teste"});
  EXPECT_NE(jobs.out.find("danfe_teste-1 "), std::string::npos) << jobs.out << jobs.err;

  // A queue that does not exist is the report engine's message, through the front.
  danfe.SetParams(moxtest::ParametrosExportacao("", "Impressora=nao_existe\r\n"));
  danfe.SetXML(nota);
  try {
    danfe.Imprimir();
    FAIL() << "imprimiu numa fila inexistente";
  } catch (const std::exception& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Impressora \"nao_existe\" não encontrada", 0), 0u) << e.what();
  }
}

}  // namespace

namespace {

// The component's print operations each leave their jobs on the queue they name.
TEST(DanfeImpressao, OperacoesDoComponenteMandamCadaDocumentoParaAFila) {
  if (::access("/usr/sbin/cupsd", X_OK) != 0) GTEST_SKIP() << "cupsd não instalado (pacote cups)";
  if (::geteuid() != 0) GTEST_SKIP() << "cupsd precisa ser iniciado como root para servir filas";
  CupsDeTeste cups;
  ASSERT_EQ(RunProgram("/usr/sbin/lpadmin", {"-p", "componente", "-v", "file:///dev/null", "-E"}).status, 0);
  ASSERT_EQ(RunProgram("/usr/sbin/cupsdisable", {"componente"}).status, 0);

  moxtest::TempDir dir;
  mox::TmoxNFe nfe;
  moxtest::PreparaComponente(nfe, dir);
  const std::string nota =
      moxtest::NotaAutorizada(moxtest::NotasAssinadas(moxtest::Tx2Exemplo("venda-simples.tx2")).front());
  const std::string epec = moxtest::NotaEmEpec();
  std::filesystem::create_directories(dir.path() / "xml");
  moxtest::WriteText(dir.path() / "xml" / "1.xml", nota);
  moxtest::WriteText(dir.path() / "xml" / "2.xml", moxtest::ReadText(moxtest::Fixture("danfe/cancelamento-registrado.xml")));

  nfe.ImprimirDanfe("1", nota, "", "componente");
  nfe.ImprimirEPEC(epec, "891160000012345", "2016-08-02T14:05:00-03:00", "", "componente");
  nfe.ImprimirCCe(moxtest::ReadText(moxtest::Fixture("danfe/cce-registrada.xml")), "componente");
  EXPECT_TRUE(nfe.ImprimirDanfeXmlDiretorio(dir.file("xml"), "", "", "componente").empty());
  auto jobs = RunProgram("/usr/bin/lpstat", {"-o", "componente"});
  for (const char* job : {"componente-1 ", "componente-2 ", "componente-3 ", "componente-4 ", "componente-5 "})
    EXPECT_NE(jobs.out.find(job), std::string::npos) << job << "\n" << jobs.out << jobs.err;
  EXPECT_EQ(jobs.out.find("componente-6 "), std::string::npos) << jobs.out;
}

}  // namespace
