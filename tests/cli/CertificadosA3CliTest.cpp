// moxnfe with an A3 certificate on a SoftHSM token made by the test: listed and inspected beside
// the store's, checked with the PIN, and a batch signed and posted to the sandbox with the
// token's key for the signature and for the TLS client authentication.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "external/CertificateFactory.h"
#include "support/ClienteDoSandbox.h"
#include "support/SandboxDeTeste.h"
#include "support/TokenSoftHsm.h"

namespace {

using namespace moxtest;

class CliA3 : public TesteComSandbox {
 protected:
  static void SetUpTestSuite() {
    TesteComSandbox::SetUpTestSuite();
    token_ = new TokenSoftHsm(mox::CertificateFactory::CreateECnpj(Pki().Authority, "EMPRESA A3 LTDA", kCompanyCnpj,
                                                                   mox::CertificateFactory::GenerateKey()));
    pasta_ = new TempDir;
    WriteText(pasta_->file("pin.txt"), token_->Pin() + "\n");
    WriteText(pasta_->file("pin-errado.txt"), "864200\n");
    WriteCertificatePem(pasta_->path() / "ac.pem", Pki().Authority);
    std::filesystem::create_directories(pasta_->path() / "repositorio");
    WritePfx(pasta_->path() / "repositorio" / "empresa.pfx", Pki().Company, "");
    // The component validates each request against the official schemas.
    esquemas_ = new ClienteDoSandbox(*sandbox_);
  }
  static void TearDownTestSuite() {
    delete esquemas_;
    delete token_;
    delete pasta_;
    TesteComSandbox::TearDownTestSuite();
  }
  void SetUp() override { token_->Activate(); }

  // "moxnfe ARGS" with the token's module and the test's store.
  static ProgramResult Moxnfe(std::vector<std::string> aArgs, const std::string& aPin = "pin.txt") {
    for (const std::string& a : {std::string("--modulo-pkcs11"), TokenSoftHsm::Module(), std::string("--repositorio"),
                                 pasta_->file("repositorio"), std::string("--pin-arquivo"), pasta_->file(aPin)})
      aArgs.push_back(a);
    return RunProgram(BuiltProgram("moxnfe"), aArgs);
  }

  static inline TokenSoftHsm* token_ = nullptr;
  static inline TempDir* pasta_ = nullptr;
  static inline ClienteDoSandbox* esquemas_ = nullptr;
};

TEST_F(CliA3, ListsAndInspectsTheTokenCertificateBesideTheStoresMarkedA3) {
  const ProgramResult lista = Moxnfe({"certificados", "listar"});
  ASSERT_EQ(lista.status, 0) << lista.err;
  EXPECT_NE(lista.out.find("EMPRESA TESTE LTDA:12345678000195 | CNPJ"), std::string::npos) << lista.out;
  EXPECT_NE(lista.out.find(" | A3: token Token Teste\n"), std::string::npos) << lista.out;

  const auto json = nlohmann::json::parse(Moxnfe({"certificados", "listar", "--json"}).out);
  ASSERT_EQ(json.size(), 2u) << json.dump();
  EXPECT_EQ(json[0]["tipo"], "A1");
  EXPECT_EQ(json[1]["tipo"], "A3");
  EXPECT_EQ(json[1]["token"], "Token Teste");
  EXPECT_EQ(json[1]["modulo"], TokenSoftHsm::Module());
  EXPECT_EQ(json[1]["nome"], "EMPRESA A3 LTDA:12345678000195");

  const ProgramResult inspecao = Moxnfe({"certificados", "inspecionar", "--a3", "--nome", "EMPRESA A3 LTDA:12345678000195"});
  EXPECT_EQ(inspecao.status, 0) << inspecao.err;
  EXPECT_NE(inspecao.out.find("Tipo: A3 (chave no token \"Token Teste\", usada com o PIN)"), std::string::npos)
      << inspecao.out;
}

TEST_F(CliA3, ChecksWithThePinAndRefusesAWrongOneWithoutShowingIt) {
  const ProgramResult certo = Moxnfe({"certificados", "verificar", "--a3", "--nome", kCompanyCnpj});
  EXPECT_EQ(certo.status, 0) << certo.err;
  EXPECT_EQ(certo.out.rfind("Certificado válido.\nTitular: EMPRESA A3 LTDA:12345678000195", 0), 0u) << certo.out;

  const ProgramResult errado = Moxnfe({"certificados", "verificar", "--a3", "--nome", kCompanyCnpj}, "pin-errado.txt");
  EXPECT_EQ(errado.status, 1);
  EXPECT_NE(errado.err.find("PIN incorreto para o token \"Token Teste\"."), std::string::npos) << errado.err;
  EXPECT_EQ(errado.err.find("864200") + errado.out.find("864200"), 2 * std::string::npos);

  const ProgramResult semNome = Moxnfe({"certificados", "verificar", "--a3"});
  EXPECT_NE(semNome.status, 0);
  EXPECT_NE(semNome.err.find("com --a3, informe --nome NOME"), std::string::npos) << semNome.err;
}

TEST_F(CliA3, TheSandboxAuthorizesABatchSignedAndPostedWithTheTokensKey) {
  const ProgramResult servidores =
      RunProgram(BuiltProgram("moxnfe-sandbox"), {"servidores", "--url", sandbox_->Url(), "--saida", pasta_->file("hom.ini")});
  ASSERT_EQ(servidores.status, 0) << servidores.err;
  std::vector<std::string> notas;
  for (int numero : {9101, 9102}) {
    const std::string nota = pasta_->file("nota" + std::to_string(numero) + ".xml");
    WriteText(nota, NotaDeTeste(numero));
    const ProgramResult assinada = Moxnfe({"assinar", nota, "--a3", "--nome", kCompanyCnpj, "--saida", nota});
    ASSERT_EQ(assinada.status, 0) << assinada.err;
    notas.push_back(nota);
  }
  // The notes are of layout 3.10: manual 5.0a.
  const std::vector<std::string> sefaz{"--servidores", pasta_->file("hom.ini"), "--ca", pasta_->file("ac.pem"),
                                       "--esquemas", esquemas_->Esquemas(), "--a3", "--nome", kCompanyCnpj,
                                       "--versao-manual", "5.0a"};
  std::vector<std::string> envio{"sefaz", "enviar-lote", notas[0], notas[1], "--lote", "31"};
  envio.insert(envio.end(), sefaz.begin(), sefaz.end());
  const ProgramResult lote = Moxnfe(envio);
  ASSERT_EQ(lote.status, 0) << lote.out << lote.err;
  const size_t marca = lote.out.find("Recibo: ");
  ASSERT_NE(marca, std::string::npos) << lote.out;

  std::vector<std::string> consulta{"sefaz", "consultar-recibo", lote.out.substr(marca + 8, 15), "--json"};
  consulta.insert(consulta.end(), sefaz.begin(), sefaz.end());
  const ProgramResult recibo = Moxnfe(consulta);
  ASSERT_EQ(recibo.status, 0) << recibo.out << recibo.err;
  const auto documentos = nlohmann::json::parse(recibo.out)["documentos"];
  ASSERT_EQ(documentos.size(), 2u) << recibo.out;
  for (const auto& d : documentos) EXPECT_EQ(d["cStat"], "100") << recibo.out;

  // The connection itself needs the token: a wrong PIN stops the post before anything is sent.
  std::vector<std::string> status{"sefaz", "status"};
  status.insert(status.end(), sefaz.begin(), sefaz.end());
  const ProgramResult recusado = Moxnfe(status, "pin-errado.txt");
  EXPECT_NE(recusado.status, 0);
  EXPECT_NE(recusado.err.find("PIN incorreto para o token \"Token Teste\"."), std::string::npos) << recusado.err;
}

}  // namespace
