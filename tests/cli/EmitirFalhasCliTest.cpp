// moxnfe nfe emitir when the network or SEFAZ fails (faults the sandbox injects, chosen at its
// start): the first run leaves its notes pending on disk, and "--retomar" in another process
// ends with every note authorized and its nfeProc written once. A batch SEFAZ recorded but
// whose answer was lost is sent again and its duplicate answer (204) resolved through the
// receipt it names; a receipt still in processing is only queried again.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>

#include "support/ClienteDoSandbox.h"
#include "support/NotasTx2.h"

namespace {

namespace fs = std::filesystem;
using namespace moxtest;

struct Falha {
  const char* nome;
  std::vector<std::string> sandbox;  // options of the sandbox's start
  std::vector<std::string> cliente;  // options of both runs of the client
  bool reiniciaSandbox;              // stopped and started again between the two runs
  size_t lotesEnviados;              // batch logs the client wrote in all
};

const Falha kFalhas[] = {
    {"lote aceito e conexão encerrada sem resposta", {"--falha-sem-resposta", "1"}, {}, false, 2},
    {"HTTP 500 com corpo que não é SOAP", {"--falha-erro-http", "1"}, {}, false, 2},
    {"resposta depois do tempo limite do cliente", {"--falha-atraso", "3000"}, {"--timeout", "1000"}, false, 2},
    {"105 (lote em processamento) além da espera", {"--falha-em-processamento", "2"}, {"--espera-maxima", "1"}, false, 1},
    {"sandbox reiniciado entre o envio e a consulta", {"--falha-em-processamento", "1"}, {"--espera-maxima", "0"}, true, 1},
};

nlohmann::json Json(const ProgramResult& aResultado) { return nlohmann::json::parse(aResultado.out, nullptr, false); }

TEST(EmitirComFalhas, NadaSePerdeEmCadaFalha) {
  int numero = 9500;
  for (const Falha& f : kFalhas) {
    SCOPED_TRACE(f.nome);
    SandboxDeTeste sandbox(f.sandbox);
    ClienteDoSandbox cliente(sandbox);
    TempDir pasta;
    const auto emitir = [&](std::vector<std::string> aArgs) {
      aArgs.insert(aArgs.begin(), {"nfe", "emitir"});
      for (const auto& opcoes : {cliente.Opcoes(), f.cliente}) aArgs.insert(aArgs.end(), opcoes.begin(), opcoes.end());
      aArgs.insert(aArgs.end(), {"--destino", pasta.str() + "dest", "--log", pasta.str() + "log", "--json"});
      return RunProgram(BuiltProgram("moxnfe"), aArgs);
    };
    WriteText(pasta.file("notas.tx2"), std::regex_replace(Tx2DosExemplos(3, numero), std::regex("dhEmi_B09=[^\n]*"),
                                                          "dhEmi_B09=" + AgoraBrasilia()));
    numero += 3;

    const ProgramResult primeira = emitir({pasta.file("notas.tx2")});
    EXPECT_EQ(primeira.status, 3) << primeira.out << primeira.err;
    EXPECT_EQ(Json(primeira)["pendentes"], 3) << primeira.out;
    EXPECT_TRUE(Arquivos(pasta.path() / "dest", "-nfe.xml").empty());
    const ProgramResult pendentes =
        RunProgram(BuiltProgram("moxnfe"), {"nfe", "pendentes", "--destino", pasta.str() + "dest", "--json"});
    EXPECT_FALSE(Json(pendentes)["pendentes"].empty()) << pendentes.out;

    if (f.reiniciaSandbox) {
      sandbox.DefineOpcoes({});
      sandbox.Reinicia();
      cliente.AtualizaServidores(sandbox);
    }
    const ProgramResult retomada = emitir({"--retomar"});
    EXPECT_EQ(retomada.status, 0) << retomada.out << retomada.err;
    const nlohmann::json saida = Json(retomada);
    EXPECT_EQ(saida["autorizadas"], 3) << retomada.out;
    std::set<std::string> protocolos;
    for (const auto& nota : saida["notas"]) {
      const std::string proc = ReadText(nota["arquivo"].get<std::string>());
      EXPECT_TRUE(ValidaContraEsquema(proc, "PL_008i2/procNFe_v3.10.xsd"));
      EXPECT_EQ(Campo(proc, "digVal"), Campo(proc, "DigestValue"));
      protocolos.insert(Campo(proc, "nProt"));
    }
    EXPECT_EQ(protocolos.size(), 3u);
    EXPECT_EQ(Arquivos(pasta.path() / "dest", "-nfe.xml").size(), 3u);
    EXPECT_EQ(Arquivos(pasta.path() / "dest", "").size(), 3u) << "no marker or error file left";
    EXPECT_EQ(Arquivos(pasta.path() / "log", "-env-lot.xml").size(), f.lotesEnviados);

    // A further run finds nothing to do.
    const ProgramResult depois = emitir({"--retomar"});
    EXPECT_EQ(depois.status, 0) << depois.out << depois.err;
    EXPECT_TRUE(Json(depois)["notas"].empty()) << depois.out;
  }
}

}  // namespace
