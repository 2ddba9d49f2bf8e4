// moxnfe validar as a user runs it: notes of layouts 1.10, 2.00 and 3.10 made by the command
// line itself (tx2 converter, assinar), valid and spoiled, with the schema picked from the
// document and each error shown with its line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "support/SandboxDeTeste.h"

namespace {

namespace fs = std::filesystem;
using namespace moxtest;

ProgramResult Moxnfe(const std::vector<std::string>& aArgs, const std::string& aInput = {}) {
  return RunProgram(BuiltProgram("moxnfe"), aArgs, aInput);
}

struct Leiaute {
  const char* nome;
  const char* entrada;   // TX2 under tests/fixtures
  const char* esquema;   // schema package of the converter
  const char* manual;    // folder of the schemas folder
  const char* pacote;    // official package installed there
};

const Leiaute kLeiautes[] = {
    {"1.10", "leiautes/110/venda-industria.txt", "pl_005f", "vm30", "PL_005f"},
    {"2.00", "leiautes/200/venda-industria.txt", "pl_006v", "vm50", "PL_006v"},
    {"3.10", "tx2/venda-simples.tx2", "pl_008i1", "vm50a", "PL_008i2"},
    {"4.00", "tx2/venda-simples-400.tx2", "pl_009", "vm60", "PL_009_V4"},
};

class CliValidar : public ::testing::Test {
 protected:
  void SetUp() override {
    WritePfx(pasta_.path() / "empresa.pfx", Pki().Company, "s");
    for (const auto& l : kLeiautes) {
      const fs::path destino = pasta_.path() / "Esquemas" / l.manual;
      fs::create_directories(destino);
      for (const auto& e : fs::directory_iterator(SchemasDir() / l.pacote))
        fs::create_symlink(e.path(), destino / e.path().filename());
      fs::copy_file(std::string(MOXNFE_SOURCE_DIR) + "/data/Esquemas/" + l.manual + "/Mapping.txt",
                    destino / "Mapping.txt");
    }
  }

  // The signed NFe of the layout, as the command line makes it, in a file.
  std::string NotaAssinada(const Leiaute& aLeiaute) {
    std::string tx2;
    for (const auto& linha : Linhas(ReadText(Fixture(aLeiaute.entrada))))
      if (!linha.empty() && linha[0] != '#' && linha[0] != '[') tx2 += linha + "\n";
    const ProgramResult infNFe = Moxnfe({"tx2", "converter", "--esquema", aLeiaute.esquema, "-"}, tx2);
    EXPECT_EQ(infNFe.status, 0) << infNFe.err;
    const std::string nota = pasta_.file(std::string("nota-") + aLeiaute.nome + ".xml");
    WriteText(nota, "<NFe xmlns=\"http://www.portalfiscal.inf.br/nfe\">" + infNFe.out.substr(0, infNFe.out.find('\n')) +
                        "</NFe>");
    const ProgramResult assinada =
        Moxnfe({"assinar", nota, "--pfx", pasta_.file("empresa.pfx"), "--senha", "s", "--saida", nota});
    EXPECT_EQ(assinada.status, 0) << assinada.err;
    return nota;
  }

  ProgramResult Validar(std::vector<std::string> aArgs) {
    aArgs.insert(aArgs.begin(), "validar");
    aArgs.insert(aArgs.end(), {"--esquemas", pasta_.file("Esquemas")});
    return Moxnfe(aArgs);
  }

  static std::vector<std::string> Linhas(const std::string& aTexto) {
    std::vector<std::string> linhas;
    size_t inicio = 0;
    for (size_t fim; (fim = aTexto.find('\n', inicio)) != std::string::npos; inicio = fim + 1)
      linhas.push_back(aTexto.substr(inicio, fim - inicio));
    if (inicio < aTexto.size()) linhas.push_back(aTexto.substr(inicio));
    return linhas;
  }

  TempDir pasta_;
};

TEST_F(CliValidar, NotaValidaEInvalidaDeCadaLeiaute) {
  for (const auto& l : kLeiautes) {
    SCOPED_TRACE(l.nome);
    const std::string nota = NotaAssinada(l);
    const ProgramResult valida = Validar({nota});
    EXPECT_EQ(valida.status, 0) << valida.out << valida.err;
    EXPECT_EQ(valida.out.rfind("Válido: " + nota + " (comando NFE", 0), 0u) << valida.out;
    EXPECT_NE(valida.out.find(std::string("/Esquemas/") + l.manual + "/nfe_v" + l.nome + ".xsd)"), std::string::npos)
        << valida.out;

    // A CEP of four digits on a line of its own: the error names that line.
    std::string texto = ReadText(nota);
    const size_t cep = texto.find("<CEP>");
    ASSERT_NE(cep, std::string::npos);
    texto.replace(cep, 19, "\n\n<CEP>0100</CEP>");
    const std::string invalida = pasta_.file(std::string("invalida-") + l.nome + ".xml");
    WriteText(invalida, texto);
    const ProgramResult r = Validar({invalida, "--json"});
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    const auto json = nlohmann::json::parse(r.out, nullptr, false);
    ASSERT_FALSE(json.is_discarded()) << r.out;
    EXPECT_EQ(json["valido"], false);
    EXPECT_EQ(json["comando"], "NFE");
    ASSERT_EQ(json["erros"].size(), 1u) << r.out;
    const auto antes = texto.substr(0, texto.find("<CEP>0100"));
    EXPECT_EQ(json["erros"][0]["linha"], std::count(antes.begin(), antes.end(), '\n') + 1);
    EXPECT_NE(json["erros"][0]["mensagem"].get<std::string>().find("CEP"), std::string::npos) << r.out;

    const ProgramResult legivel = Validar({invalida});
    EXPECT_EQ(legivel.status, 1);
    EXPECT_NE(legivel.out.find("  linha " + std::to_string(json["erros"][0]["linha"].get<int>()) + ": "),
              std::string::npos)
        << legivel.out;
  }
}

TEST_F(CliValidar, EscolheOEsquemaPeloDocumentoOuPeloComando) {
  const std::string nota = NotaAssinada(kLeiautes[2]);
  const std::string lote = pasta_.file("lote.xml");
  WriteText(lote, "<enviNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><idLote>1</idLote>"
                  "<indSinc>0</indSinc>" + ReadText(nota).substr(ReadText(nota).find("<NFe")) + "</enviNFe>");
  const std::string status = pasta_.file("status.xml");
  WriteText(status, "<consStatServ xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"1.07\"><tpAmb>2</tpAmb>"
                    "<cUF>35</cUF><xServ>STATUS</xServ></consStatServ>");
  struct Caso {
    std::vector<std::string> argumentos;
    int status;
    std::string saida;
  };
  const std::vector<Caso> casos{
      {{lote}, 0, "(comando ENVIO, Manual 5.0a"},
      {{status}, 0, "(comando STATUS, Manual 3.0"},
      {{lote, "--comando", "STATUS"}, 1, "(comando STATUS, Manual 5.0a"},
      {{lote, "--comando", "NADA"}, 1, "Não foi encontrado mapeamento de XSD para o comando NADA "},
      {{pasta_.file("empresa.pfx")}, 2, "não sei qual esquema usar"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.argumentos.front());
    const ProgramResult r = Validar(c.argumentos);
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
    EXPECT_NE((r.out + r.err).find(c.saida), std::string::npos) << r.out << r.err;
  }
  const ProgramResult semMapeamento = Moxnfe({"validar", nota, "--esquemas", pasta_.file("vazia")});
  EXPECT_EQ(semMapeamento.status, 1);
  EXPECT_NE(semMapeamento.err.find("Mapping.txt utilizado na validação de esquema, não foi encontrado"),
            std::string::npos)
      << semMapeamento.err;
}

}  // namespace
