// moxnfe nfe emitir when the network or SEFAZ fails (faults the sandbox injects, chosen at its
// start). When an answer is lost, the notes are asked by key before anything is sent again: what
// SEFAZ holds ends with its nfeProc in the same run, and only a batch SEFAZ never received is
// sent again. What cannot be settled (SEFAZ unreachable, a receipt still in processing) stays
// pending on disk, and "--retomar" in another process ends with every note authorized and its
// nfeProc written once. SEFAZ never sees a note twice: no answer says duplicate (204).
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
  bool pendenteNaPrimeira;           // the first run cannot settle the notes
  size_t lotesEnviados;              // batch logs the client wrote in all
};

const Falha kFalhas[] = {
    {"lote aceito e conexão encerrada sem resposta", {"--falha-sem-resposta", "1"}, {}, false, false, 1},
    {"HTTP 500 com corpo que não é SOAP", {"--falha-erro-http", "1"}, {}, false, false, 1},
    {"resposta depois do tempo limite do cliente", {"--falha-atraso", "3000"}, {"--timeout", "1000"}, false, false, 1},
    {"lote perdido antes de chegar à SEFAZ: só ele é reenviado", {"--falha-lote-perdido", "1"}, {}, false, false, 2},
    {"resposta da consulta do recibo perdida", {"--falha-consulta-sem-resposta", "1"}, {}, false, false, 1},
    {"lote e consultas por chave sem resposta",
     {"--falha-sem-resposta", "1", "--falha-consulta-sem-resposta", "3"}, {}, false, true, 1},
    {"105 (lote em processamento) além da espera", {"--falha-em-processamento", "2"}, {"--espera-maxima", "1"}, false, true, 1},
    {"sandbox reiniciado entre o envio e a consulta", {"--falha-em-processamento", "1"}, {"--espera-maxima", "0"}, true, true, 1},
};

nlohmann::json Json(const ProgramResult& aResultado) { return nlohmann::json::parse(aResultado.out, nullptr, false); }

TEST(EmitirComFalhas, NadaSePerdeNemSeEnviaDuasVezesEmCadaFalha) {
  int numero = 9500;
  for (const Falha& f : kFalhas) {
    SCOPED_TRACE(f.nome);
    SandboxDeTeste sandbox(f.sandbox);
    ClienteDoSandbox cliente(sandbox);
    TempDir pasta;
    const auto emitir = [&](std::vector<std::string> aArgs) {
      // The 3.10 examples, on their manual.
      aArgs.insert(aArgs.begin(), {"nfe", "emitir", "--versao-manual", "5.0a"});
      for (const auto& opcoes : {cliente.Opcoes(), f.cliente}) aArgs.insert(aArgs.end(), opcoes.begin(), opcoes.end());
      aArgs.insert(aArgs.end(), {"--destino", pasta.str() + "dest", "--log", pasta.str() + "log", "--json"});
      return RunProgram(BuiltProgram("moxnfe"), aArgs);
    };
    WriteText(pasta.file("notas.tx2"), std::regex_replace(Tx2DosExemplos(3, numero), std::regex("dhEmi_B09=[^\n]*"),
                                                          "dhEmi_B09=" + AgoraBrasilia()));
    numero += 3;

    const ProgramResult primeira = emitir({pasta.file("notas.tx2")});
    nlohmann::json final = Json(primeira);
    if (f.pendenteNaPrimeira) {
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
      final = Json(retomada);
    } else {
      EXPECT_EQ(primeira.status, 0) << primeira.out << primeira.err;
    }
    EXPECT_EQ(final["autorizadas"], 3) << final.dump();
    std::set<std::string> protocolos;
    for (const auto& nota : final["notas"]) {
      const std::string proc = ReadText(nota["arquivo"].get<std::string>());
      EXPECT_TRUE(ValidaContraEsquema(proc, "PL_008i2/procNFe_v3.10.xsd"));
      EXPECT_EQ(Campo(proc, "digVal"), Campo(proc, "DigestValue"));
      protocolos.insert(Campo(proc, "nProt"));
    }
    EXPECT_EQ(protocolos.size(), 3u);
    EXPECT_EQ(Arquivos(pasta.path() / "dest", "-nfe.xml").size(), 3u);
    EXPECT_EQ(Arquivos(pasta.path() / "dest", "").size(), 3u) << "no marker or error file left";
    EXPECT_EQ(Arquivos(pasta.path() / "log", "-env-lot.xml").size(), f.lotesEnviados);
    for (const auto& log : Arquivos(pasta.path() / "log", ".xml"))
      EXPECT_EQ(ReadText(pasta.path() / "log" / log).find("<cStat>204</cStat>"), std::string::npos) << log;

    // A further run finds nothing to do.
    const ProgramResult depois = emitir({"--retomar"});
    EXPECT_EQ(depois.status, 0) << depois.out << depois.err;
    EXPECT_TRUE(Json(depois)["notas"].empty()) << depois.out;
  }
}

}  // namespace
