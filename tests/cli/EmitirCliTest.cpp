// moxnfe nfe emitir | pendentes against the sandbox: notes in TX2 or XML come out as one
// nfeProc per authorized note, valid against the official procNFe schema of their layout;
// rejected notes are reported with SEFAZ's code and are not left pending.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <regex>

#include "support/ClienteDoSandbox.h"
#include "support/NotasTx2.h"
#include "support/SandboxDeTeste.h"

namespace {

namespace fs = std::filesystem;
using namespace moxtest;

class CliEmitir : public TesteComCliente {
 protected:
  // "moxnfe nfe COMANDO" with the sandbox, the certificate and this test's folders.
  ProgramResult Nfe(std::vector<std::string> aArgs) {
    aArgs.insert(aArgs.begin(), "nfe");
    const bool emitir = aArgs[1] == "emitir";
    if (emitir) {
      const auto opcoes = cliente_->Opcoes();
      aArgs.insert(aArgs.end(), opcoes.begin(), opcoes.end());
      aArgs.insert(aArgs.end(), {"--log", pasta_.str() + "log"});
    }
    aArgs.push_back("--destino");
    aArgs.push_back(pasta_.str() + "dest");
    return RunProgram(BuiltProgram("moxnfe"), aArgs);
  }

  // The TX2 of aQuantidade example notes (layout 3.10) dated now.
  std::string Tx2(int aQuantidade) {
    std::string tx2 = Tx2DosExemplos(aQuantidade, numero_);
    numero_ += aQuantidade;
    return std::regex_replace(tx2, std::regex("dhEmi_B09=[^\n]*"), "dhEmi_B09=" + AgoraBrasilia());
  }

  // The 4.00 TX2 example as note aNumero, dated now.
  static std::string Tx2Leiaute400(int aNumero) {
    const std::string tx2 = std::regex_replace(ReadText(Fixture("tx2/venda-simples-400.tx2")),
                                               std::regex("nNF_B08=[^\n]*"), "nNF_B08=" + std::to_string(aNumero));
    return std::regex_replace(tx2, std::regex("dhEmi_B09=[^\n]*"), "dhEmi_B09=" + AgoraBrasilia());
  }

  static nlohmann::json Json(const ProgramResult& aResultado) {
    return nlohmann::json::parse(aResultado.out, nullptr, false);
  }

  // Checks each note of the answer is authorized with a valid nfeProc of its own.
  void ConfereAutorizadas(const nlohmann::json& aSaida, size_t aQuantidade, const std::string& aEsquema) {
    ASSERT_EQ(aSaida["notas"].size(), aQuantidade) << aSaida.dump(2);
    EXPECT_EQ(aSaida["autorizadas"], aQuantidade);
    for (const auto& nota : aSaida["notas"]) {
      const std::string chave = nota["chave"];
      EXPECT_EQ(nota["situacao"], "autorizada") << nota.dump();
      EXPECT_EQ(nota["cStat"], "100");
      EXPECT_EQ(nota["protocolo"].get<std::string>().size(), 15u);
      EXPECT_EQ(nota["arquivo"], pasta_.str() + "dest/" + chave + "-nfe.xml");
      const std::string proc = ReadText(nota["arquivo"].get<std::string>());
      EXPECT_TRUE(ValidaContraEsquema(proc, aEsquema));
      EXPECT_EQ(Campo(proc, "digVal"), Campo(proc, "DigestValue"));
      EXPECT_EQ(Campo(proc, "chNFe"), chave);
      EXPECT_EQ(Campo(proc, "nProt"), nota["protocolo"]);
    }
  }

  TempDir pasta_;
  static inline int numero_ = 9100;
};

TEST_F(CliEmitir, Tx2DeTresNotasDaTresNfeProc310) {
  WriteText(pasta_.file("notas.tx2"), Tx2(3));
  const ProgramResult r = Nfe({"emitir", pasta_.file("notas.tx2"), "--versao-manual", "5.0a", "--json"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  ConfereAutorizadas(Json(r), 3, "PL_008i2/procNFe_v3.10.xsd");
  const ProgramResult pendentes = Nfe({"pendentes", "--json"});
  EXPECT_TRUE(Json(pendentes)["pendentes"].empty()) << pendentes.out;
}

// Without --versao-manual: manual 6.0, the TX2 read with the newest package (pl_010), each note
// authorized in layout 4.00.
TEST_F(CliEmitir, Tx2Leiaute400PorPadraoDaNfeProc400) {
  WriteText(pasta_.file("notas.tx2"), Tx2Leiaute400(numero_) + Tx2Leiaute400(numero_ + 1));
  numero_ += 2;
  const ProgramResult r = Nfe({"emitir", pasta_.file("notas.tx2"), "--json"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  const auto json = Json(r);
  ConfereAutorizadas(json, 2, "PL_010_V1.30/procNFe_v4.00.xsd");
  for (const auto& nota : json["notas"])
    EXPECT_NE(ReadText(nota["arquivo"].get<std::string>()).find("versao=\"4.00\"><NFe"), std::string::npos);
}

TEST_F(CliEmitir, XmlNaoAssinadoDeCadaLeiauteNoSeuManual) {
  const struct {
    std::string manual;
    std::function<std::string(int)> nota;
    std::string esquema;
  } casos[] = {
      {"5.0", [](int n) { return NotaDeTeste(n, {}, "2.00"); }, "PL_006v/procNFe_v2.00.xsd"},
      {"6.0", [](int n) { return NotaDeTeste400(n); }, "PL_009_V4/procNFe_v4.00.xsd"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.manual);
    std::string notas;
    for (int i = 0; i < 3; ++i) notas += c.nota(numero_++) + "\n";
    WriteText(pasta_.file("notas.xml"), notas);
    const ProgramResult r = Nfe({"emitir", pasta_.file("notas.xml"), "--versao-manual", c.manual, "--json"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    ConfereAutorizadas(Json(r), 3, c.esquema);
    fs::remove_all(pasta_.path() / "dest");
  }
}

TEST_F(CliEmitir, NotaRejeitadaTemOCodigoDaSefazENaoFicaPendente) {
  // Signed already, and of the production environment: SEFAZ's homologation refuses it (252).
  const std::string boa = Assina(NotaDeTeste(numero_++), "infNFe");
  const std::string producao =
      Assina(NotaDeTeste(numero_++, [](std::string& n) { Troca(n, "<tpAmb>2</tpAmb>", "<tpAmb>1</tpAmb>"); }), "infNFe");
  WriteText(pasta_.file("assinadas.xml"), boa + "\n" + producao + "\n");
  const ProgramResult r = Nfe({"emitir", pasta_.file("assinadas.xml"), "--versao-manual", "5.0a"});
  EXPECT_EQ(r.status, 3) << r.out << r.err;
  EXPECT_NE(r.out.find(ChaveDe(producao) + ": rejeitada 252 - Rejeição: Ambiente informado diverge do Ambiente de recebimento"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find(ChaveDe(boa) + ": autorizada 100 - Autorizado o uso da NF-e (protocolo "), std::string::npos);
  EXPECT_NE(r.out.find("2 nota(s): 1 autorizada(s), 0 denegada(s), 1 rejeitada(s), 0 pendente(s), 0 com erro"),
            std::string::npos);
  EXPECT_EQ(Nfe({"pendentes"}).out, "Nenhuma pendência em " + pasta_.str() + "dest/\n");
}

TEST_F(CliEmitir, NotaQueOComponenteRecusaNaoSai) {
  // Contingency emission type in normal mode without its justification: refused when signing.
  WriteText(pasta_.file("scan.tx2"), std::regex_replace(Tx2(1), std::regex("tpEmis_B22=1"), "tpEmis_B22=3"));
  const ProgramResult r = Nfe({"emitir", pasta_.file("scan.tx2"), "--versao-manual", "5.0a"});
  EXPECT_EQ(r.status, 3) << r.out << r.err;
  EXPECT_NE(r.out.find(": erro - 557 - Rejeição: A Justificativa de entrada em contingência deve ser informada"),
            std::string::npos)
      << r.out;
  EXPECT_FALSE(fs::exists(pasta_.path() / "log"));
  EXPECT_EQ(Nfe({"pendentes"}).out, "Nenhuma pendência em " + pasta_.str() + "dest/\n");
}

TEST_F(CliEmitir, EntradasRuinsTerminamComMensagemClara) {
  WriteText(pasta_.file("vazio.xml"), " \n");
  WriteText(pasta_.file("texto.tx2"), "INCLUIR\ncampo_que_nao_existe=1\n");
  const struct {
    std::vector<std::string> args;
    int status;
    std::string mensagem;
  } casos[] = {
      {{"emitir"}, 2, "informe os arquivos das notas (TX2 ou XML)"},
      {{"emitir", pasta_.file("vazio.xml")}, 1, "O arquivo " + pasta_.file("vazio.xml") + " está vazio: não há nota para emitir."},
      {{"emitir", pasta_.file("texto.tx2")}, 1, pasta_.file("texto.tx2") + ": "},
      {{"emitir", pasta_.file("nao-existe.xml")}, 1, "nao-existe.xml"},
      {{"emitir", pasta_.file("vazio.xml"), "--esquema", "pl_006v"}, 1, "Versão esquema não condiz"},
  };
  for (const auto& c : casos) {
    const ProgramResult r = Nfe(c.args);
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
    EXPECT_NE(r.err.find(c.mensagem), std::string::npos) << r.err;
  }
  EXPECT_FALSE(fs::exists(pasta_.path() / "log"));
}

}  // namespace
