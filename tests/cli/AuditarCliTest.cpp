// moxnfe nfe auditar as a user runs it: exit status and answer for approved, rejected and
// unreadable notes, one or several at a time, in text, JSON and HTML.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "support/NotasParaAuditoria.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using namespace moxtest;

class CliAuditar : public ::testing::Test {
 protected:
  void SetUp() override {
    InstalaEsquemas(pasta_.path() / "Esquemas");
    WriteText(pasta_.path() / "venda400.xml", NotaAssinadaDe(kVenda400));
    WriteText(pasta_.path() / "venda310.xml", NotaAssinadaDe(kVenda310));
    WriteText(pasta_.path() / "autorizada400.xml", NotaAutorizada(kVenda400));
    WriteText(pasta_.path() / "total-errado.xml",
              Troca(NotaSemAssinatura(kVenda400), "<vNF>79.80</vNF>", "<vNF>97.80</vNF>"));
    WriteText(pasta_.path() / "status.xml", "<consStatServ versao=\"4.00\"/>");
  }

  // The command run from the test folder, with its schemas; relative names are typed as a user would.
  ProgramResult Auditar(std::vector<std::string> aArgs) {
    aArgs.insert(aArgs.begin(), {"nfe", "auditar", "--esquemas", "Esquemas"});
    InDir aqui(pasta_.path());
    return RunProgram(BuiltProgram("moxnfe"), aArgs);
  }

  TempDir pasta_;
};

TEST_F(CliAuditar, SaidaEStatusPorNota) {
  const struct {
    const char* nome;
    std::vector<std::string> args;
    int status;
    int aprovadas, rejeitadas, erros;
  } kCasos[] = {
      {"assinada 4.00", {"venda400.xml", "--data-referencia", "2026-03-02T10:01"}, 0, 1, 0, 0},
      {"assinada 3.10", {"venda310.xml", "--versao-manual", "5.0a", "--data-referencia", "2016-08-01"}, 0, 1, 0, 0},
      // The protocol's receipt is the instant of the date rules.
      {"autorizada 4.00", {"autorizada400.xml"}, 0, 1, 0, 0},
      {"total errado", {"total-errado.xml", "--data-referencia", "2026-03-02T10:01"}, 1, 0, 1, 0},
      {"uma boa e uma errada",
       {"venda400.xml", "total-errado.xml", "--data-referencia", "2026-03-02T10:01"}, 1, 1, 1, 0},
      {"emitida há muito tempo", {"venda400.xml", "--data-referencia", "2026-05-02"}, 1, 0, 1, 0},
      {"não é nota", {"status.xml", "venda400.xml", "--data-referencia", "2026-03-02T10:01"}, 3, 1, 0, 1},
  };
  for (const auto& caso : kCasos) {
    std::vector<std::string> args = caso.args;
    args.push_back("--json");
    const ProgramResult r = Auditar(args);
    EXPECT_EQ(r.status, caso.status) << caso.nome << "\n" << r.out << r.err;
    const json saida = json::parse(r.out, nullptr, false);
    ASSERT_FALSE(saida.is_discarded()) << caso.nome << "\n" << r.out;
    EXPECT_EQ(saida["aprovadas"], caso.aprovadas) << caso.nome;
    EXPECT_EQ(saida["rejeitadas"], caso.rejeitadas) << caso.nome;
    EXPECT_EQ(saida["erros"], caso.erros) << caso.nome;
  }
}

TEST_F(CliAuditar, FalhaComCodigoCampoEMensagem) {
  const ProgramResult json_ = Auditar({"total-errado.xml", "--data-referencia", "2026-03-02T10:01", "--json"});
  const json nota = json::parse(json_.out)["arquivos"][0];
  EXPECT_EQ(nota["arquivo"], "total-errado.xml");
  EXPECT_EQ(nota["situacao"], "rejeitada");
  bool achou = false;
  for (const json& f : nota["falhas"])
    achou |= f["origem"] == "regra" && f["codigo"] == "610" && f["campo"] == "vNF_W16" &&
             f["mensagem"] == "Rejeição: Total da NF difere do somatório dos Valores compõe o valor Total da NF";
  EXPECT_TRUE(achou) << nota.dump(2);

  const ProgramResult texto = Auditar({"total-errado.xml", "--data-referencia", "2026-03-02T10:01"});
  EXPECT_EQ(texto.status, 1);
  EXPECT_NE(texto.out.find("total-errado.xml: rejeitada (2 falha(s))\n"), std::string::npos) << texto.out;
  EXPECT_NE(texto.out.find("  [regra 610, regra GW16] campo vNF_W16: Rejeição: Total da NF difere"), std::string::npos)
      << texto.out;
}

TEST_F(CliAuditar, UsoErrado) {
  const struct {
    const char* nome;
    std::vector<std::string> args;
    const char* mensagem;
  } kCasos[] = {
      {"sem arquivo", {}, "informe os arquivos XML das notas"},
      {"arquivo que não existe", {"nenhum.xml"}, "arquivo não encontrado: nenhum.xml"},
      {"data sem formato", {"venda400.xml", "--data-referencia", "02/03/2026"}, "--data-referencia: use AAAA-MM-DD"},
      {"mês impossível", {"venda400.xml", "--data-referencia", "2026-13-02"}, "--data-referencia: data inválida"},
      {"dia impossível", {"venda400.xml", "--data-referencia", "2026-02-29T10:00"}, "--data-referencia: data inválida"},
      {"versão desconhecida", {"venda400.xml", "--versao-manual", "9.9"}, "9.9"},
  };
  for (const auto& caso : kCasos) {
    const ProgramResult r = Auditar(caso.args);
    EXPECT_EQ(r.status, 2) << caso.nome << "\n" << r.err;
    EXPECT_NE(r.err.find(caso.mensagem), std::string::npos) << caso.nome << "\n" << r.err;
  }
}

TEST_F(CliAuditar, PaginasHtml) {
  const ProgramResult uma = Auditar({"total-errado.xml", "--data-referencia", "2026-03-02T10:01", "--html", "nota.html"});
  EXPECT_EQ(uma.status, 1) << uma.err;
  const std::string pagina = ReadText(pasta_.path() / "nota.html");
  EXPECT_EQ(pagina.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(pagina.find("NF-e rejeitada na auditoria"), std::string::npos);
  EXPECT_NE(pagina.find("vNF_W16"), std::string::npos);

  const ProgramResult varias =
      Auditar({"venda400.xml", "total-errado.xml", "--data-referencia", "2026-03-02T10:01", "--html", "paginas"});
  EXPECT_EQ(varias.status, 1) << varias.err;
  EXPECT_EQ(Arquivos(pasta_.path() / "paginas"),
            (std::vector<std::string>{"total-errado.xml.html", "venda400.xml.html"}));
  EXPECT_NE(ReadText(pasta_.path() / "paginas" / "venda400.xml.html").find("NF-e aprovada na auditoria"),
            std::string::npos);
}

TEST_F(CliAuditar, AjudaEmPortugues) {
  const ProgramResult r = Auditar({"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* trecho : {"ARQUIVO.xml...", "--data-referencia", "--html", "Sai com 0 quando nenhuma nota tem falhas"})
    EXPECT_NE(r.out.find(trecho), std::string::npos) << trecho << "\n" << r.out;
}

}  // namespace
