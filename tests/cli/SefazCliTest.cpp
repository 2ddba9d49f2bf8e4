// moxnfe sefaz ... against the local sandbox: the requests the command line writes pass SEFAZ's
// checks for each manual version, the answers are shown, and rejections and missing set-up
// end with their own exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "support/ClienteDoSandbox.h"
#include "support/SandboxDeTeste.h"

namespace {

namespace fs = std::filesystem;
using namespace moxtest;

class CliSefaz : public TesteComSandbox {
 protected:
  static void SetUpTestSuite() {
    TesteComSandbox::SetUpTestSuite();
    pasta_ = new TempDir;
    // The program's logs and state in this suite's own folder: tests run side by side, and two
    // of them writing the same batch log into the shared per-user folder find each other's file.
    ::setenv("MOXNFE_DADOS", pasta_->file("dados").c_str(), 1);
    const ProgramResult r = RunProgram(BuiltProgram("moxnfe-sandbox"),
                                       {"servidores", "--url", sandbox_->Url(), "--saida", pasta_->file("hom.ini")});
    ASSERT_EQ(r.status, 0) << r.err;
    WritePfx(pasta_->path() / "empresa.pfx", Pki().Company, "s");
    // The component validates every service request and event against the schemas: the folder of
    // each manual version, laid out as a user installs it.
    esquemas_ = new ClienteDoSandbox(*sandbox_);
    WritePfx(pasta_->path() / "destinatario.pfx", OutraEmpresa(), "s");
    WriteCertificatePem(pasta_->path() / "ac.pem", Pki().Authority);
    mox::TCertificateRequest fisco;
    fisco.CommonName = "SECRETARIA DA FAZENDA TESTE:46377222000129";
    fisco.Cnpj = "46377222000129";
    WritePfx(pasta_->path() / "fisco.pfx", IssueHolder(fisco), "s");
  }
  static void TearDownTestSuite() {
    delete esquemas_;
    TesteComSandbox::TearDownTestSuite();
    ::unsetenv("MOXNFE_DADOS");
    delete pasta_;
  }

  // Runs "moxnfe sefaz COMANDO" with the servers file, the CA, the schemas and a certificate of
  // the test.
  ProgramResult Sefaz(std::vector<std::string> aArgs, const std::string& aPfx = "empresa.pfx") {
    aArgs.insert(aArgs.begin(), "sefaz");
    for (const std::string& a : {std::string("--servidores"), pasta_->file("hom.ini"), std::string("--pfx"),
                                 pasta_->file(aPfx), std::string("--senha"), std::string("s"), std::string("--ca"),
                                 pasta_->file("ac.pem"), std::string("--esquemas"), esquemas_->Esquemas()})
      aArgs.push_back(a);
    return RunProgram(BuiltProgram("moxnfe"), aArgs);
  }

  // The same on manual 5.0a (layout 3.10), for the 3.10 test notes: the option comes first,
  // so a test's own --versao-manual still wins.
  ProgramResult Sefaz310(std::vector<std::string> aArgs, const std::string& aPfx = "empresa.pfx") {
    aArgs.insert(aArgs.begin() + 1, {"--versao-manual", "5.0a"});
    return Sefaz(std::move(aArgs), aPfx);
  }

  std::string NotaAssinadaEmArquivo(int aNumero) {
    const std::string arquivo = pasta_->file("nota" + std::to_string(aNumero) + ".xml");
    WriteText(arquivo, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + Assina(NotaDeTeste(aNumero), "infNFe") + "\n");
    return arquivo;
  }

  // Validates the batches too, which are checked against the schema only when asked.
  static inline const std::vector<std::string> kValidar{"--validar-esquema"};

  static std::vector<std::string> Com(std::vector<std::string> aArgumentos, const std::vector<std::string>& aMais) {
    aArgumentos.insert(aArgumentos.end(), aMais.begin(), aMais.end());
    return aArgumentos;
  }

  static nlohmann::json Json(const ProgramResult& aResultado) {
    return nlohmann::json::parse(aResultado.out, nullptr, false);
  }

  static TempDir* pasta_;
  static inline ClienteDoSandbox* esquemas_ = nullptr;
};

TempDir* CliSefaz::pasta_ = nullptr;

TEST_F(CliSefaz, AsksTheStatusInTheLayoutOfEachManualVersion) {
  const struct {
    const char* manual;
    const char* leiaute;
  } casos[] = {{"3.0", "1.07"}, {"4.0", "2.00"}, {"5.0", "2.00"}, {"5.0a", "3.10"}};
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.manual);
    const ProgramResult r = Sefaz({"status", "--versao-manual", caso.manual, "--json"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(Json(r)["cStat"], "107");
    EXPECT_NE(Json(r)["xml"].get<std::string>().find(std::string("versao=\"") + caso.leiaute + "\""),
              std::string::npos);
  }
  // Without the option: manual 6.0, the status of layout 4.00 at NFeStatusServico4.
  const ProgramResult padrao = Sefaz({"status", "--json"});
  EXPECT_EQ(padrao.status, 0) << padrao.out << padrao.err;
  EXPECT_EQ(Json(padrao)["cStat"], "107");
  EXPECT_NE(Json(padrao)["xml"].get<std::string>().find("versao=\"4.00\""), std::string::npos) << padrao.out;
}

TEST_F(CliSefaz, SendsABatchShowsItsProtocolsAndCancelsANote) {
  const std::string nota1 = NotaAssinadaEmArquivo(8001), nota2 = NotaAssinadaEmArquivo(8002);
  const ProgramResult envio = Sefaz310({"enviar-lote", nota1, nota2, "--lote", "12"});
  ASSERT_EQ(envio.status, 0) << envio.out << envio.err;
  const size_t marca = envio.out.find("Recibo: ");
  ASSERT_NE(marca, std::string::npos) << envio.out;
  const std::string recibo = envio.out.substr(marca + 8, 15);

  const ProgramResult consulta = Sefaz310({"consultar-recibo", recibo, "--json"});
  EXPECT_EQ(consulta.status, 0) << consulta.out;
  const auto documentos = Json(consulta)["documentos"];
  ASSERT_EQ(documentos.size(), 2u);
  const std::string chave = ChaveDe(ReadText(nota1));
  EXPECT_EQ(documentos[0]["chave"], chave);
  EXPECT_EQ(documentos[0]["cStat"], "100");
  EXPECT_EQ(documentos[1]["cStat"], "100");

  const ProgramResult cancelamento = Sefaz310({"cancelar", chave, "--protocolo", documentos[0]["protocolo"].get<std::string>(),
                                            "--justificativa", "Cancelamento pedido pelo cliente"});
  EXPECT_EQ(cancelamento.status, 0) << cancelamento.out << cancelamento.err;
  EXPECT_NE(cancelamento.out.find("evento 110111 " + chave + ": 135 - Evento registrado e vinculado a NF-e"),
            std::string::npos)
      << cancelamento.out;
  const ProgramResult situacao = Sefaz310({"consultar-nfe", chave});
  EXPECT_EQ(situacao.status, 0);
  EXPECT_EQ(situacao.out.rfind("SEFAZ: 101 - Cancelamento de NF-e homologado", 0), 0u) << situacao.out;
}

TEST_F(CliSefaz, WritesRequestsSefazAcceptsForTheOtherServices) {
  const std::string protocolo =
      Campo(Autoriza(*std::make_unique<ClienteDeTeste>(), *sandbox_, Assina(NotaDeTeste(8101), "infNFe")), "nProt");
  const std::string chave = ChaveDe(NotaDeTeste(8101));
  WriteText(pasta_->file("contingencia.xml"),
            NotaDeTeste(8102, [](std::string& aXml) { Troca(aXml, "<tpEmis>1<", "<tpEmis>4<"); }));
  struct Caso {
    std::string nome;
    std::vector<std::string> argumentos;
    std::string pfx, esperado;
  };
  const std::vector<Caso> casos{
      {"consulta 2.01", {"consultar-nfe", chave, "--versao-manual", "5.0"}, "empresa.pfx", "SEFAZ: 100 - "},
      {"carta de correção", {"carta-correcao", chave, "--correcao", "Endereco de entrega corrigido"}, "empresa.pfx",
       ": 135 - "},
      {"inutilização 3.10", {"inutilizar", "--serie", "1", "--inicio", "8500", "--fim", "8510", "--justificativa",
                             "Numeracao pulada por falha"}, "empresa.pfx", "SEFAZ: 102 - "},
      {"inutilização 2.00", {"inutilizar", "--serie", "2", "--inicio", "1", "--fim", "5", "--justificativa",
                             "Numeracao pulada por falha", "--versao-manual", "5.0"}, "empresa.pfx", "SEFAZ: 102 - "},
      {"cadastro", {"consultar-cadastro", "--cnpj", kCompanyCnpj}, "empresa.pfx",
       "contribuinte 12345678000195 IE 111111111111 (SP): EMPRESA EMITENTE DE TESTE LTDA"},
      {"manifestação", {"manifestar", chave, "--tipo", "ciencia"}, "destinatario.pfx", ": 135 - "},
      {"distribuição", {"distribuicao-dfe", "--saida", pasta_->file("dfe")}, "destinatario.pfx", "SEFAZ: 138 - "},
      {"EPEC", {"epec", pasta_->file("contingencia.xml"), "--data-hora", AgoraBrasilia().substr(0, 19)}, "empresa.pfx",
       ": 136 - "},
      {"prorrogação", {"prorrogacao", chave, "--protocolo", protocolo, "--itens", "1:1.0000"}, "empresa.pfx", ": 135 - "},
      {"cancelamento da prorrogação", {"prorrogacao", chave, "--protocolo", protocolo, "--cancelar"}, "empresa.pfx",
       ": 135 - "},
      {"resposta do Fisco ao pedido", {"resposta-prorrogacao", chave, "--pedido", "ID111500" + chave + "01", "--itens",
                                       "1:2:10:Quantidade nao comprovada: falta nota de retorno"},
       "fisco.pfx", "evento 411500 " + chave + ": 135 - "},
      {"resposta do Fisco ao cancelamento", {"resposta-prorrogacao", chave, "--pedido", "ID111502" + chave + "01",
                                             "--cancelamento", "1:1"},
       "fisco.pfx", "evento 411502 " + chave + ": 135 - "},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    const ProgramResult r = Sefaz310(c.argumentos, c.pfx);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find(c.esperado), std::string::npos) << r.out;
  }
  EXPECT_TRUE(std::filesystem::exists(pasta_->path() / "dfe" / "000000000000001-resNFe_v1.00.xml"));
}

// NSUs of the documents written by the walk, from their file names.
std::vector<std::string> NSUsGravados(const fs::path& aPasta) {
  std::vector<std::string> nsus;
  if (fs::exists(aPasta))
    for (const auto& e : fs::directory_iterator(aPasta)) nsus.push_back(e.path().filename().string().substr(0, 15));
  std::sort(nsus.begin(), nsus.end());
  return nsus;
}

TEST_F(CliSefaz, WalksTheDistributionToTheEndAndResumesFromTheSavedNSU) {
  const TempDir dados;
  setenv("MOXNFE_DADOS", dados.str().c_str(), 1);
  ClienteDeTeste cliente;
  Autoriza(cliente, *sandbox_, Assina(NotaDeTeste(8601), "infNFe"));
  const ProgramResult primeira = Sefaz({"distribuicao-dfe", "--todos", "--saida", pasta_->file("walk1")}, "destinatario.pfx");
  EXPECT_EQ(primeira.status, 0) << primeira.out << primeira.err;
  const auto antes = NSUsGravados(pasta_->path() / "walk1");
  ASSERT_FALSE(antes.empty());
  EXPECT_EQ(ReadText(dados.path() / "dfe" / (std::string(kCnpjDestinatario) + ".nsu")), antes.back() + "\n");

  const std::string nova = Assina(NotaDeTeste(8602), "infNFe");
  Autoriza(cliente, *sandbox_, nova);
  const ProgramResult segunda = Sefaz({"distribuicao-dfe", "--todos", "--saida", pasta_->file("walk2")}, "destinatario.pfx");
  setenv("MOXNFE_DADOS", pasta_->file("dados").c_str(), 1);
  EXPECT_EQ(segunda.status, 0) << segunda.out << segunda.err;
  const auto depois = NSUsGravados(pasta_->path() / "walk2");
  ASSERT_FALSE(depois.empty());
  // No document twice and none skipped: the second walk starts right after the first.
  EXPECT_EQ(std::stoull(depois.front()), std::stoull(antes.back()) + 1);
  for (size_t i = 1; i < depois.size(); ++i) EXPECT_EQ(std::stoull(depois[i]), std::stoull(depois[i - 1]) + 1);

  // The note, once the recipient knows of it, is downloaded as a file of its own.
  const std::string chave = ChaveDe(nova);
  EXPECT_EQ(Sefaz({"manifestar", chave, "--tipo", "ciencia"}, "destinatario.pfx").status, 0);
  const ProgramResult baixa = Sefaz({"download", chave, "--saida", pasta_->file("baixadas")}, "destinatario.pfx");
  EXPECT_EQ(baixa.status, 0) << baixa.out << baixa.err;
  EXPECT_NE(ReadText(pasta_->path() / "baixadas" / (chave + "-NFe.xml")).find(Campo(nova, "DigestValue")), std::string::npos);
}

TEST_F(CliSefaz, EndsWithItsOwnStatusForRejectionsMistakesAndMissingSetUp) {
  WriteText(pasta_->file("sem-assinatura.xml"), NotaDeTeste(8201));
  struct Caso {
    std::string nome;
    std::vector<std::string> argumentos;
    int status;
    std::string mensagem;
  };
  const std::vector<Caso> casos{
      {"recibo desconhecido", {"consultar-recibo", "351999999999999"}, 3, "SEFAZ: 106 - Lote não localizado"},
      {"nota desconhecida", {"consultar-nfe", ChaveDe(NotaDeTeste(8202))}, 3, "SEFAZ: 217 - "},
      {"nota sem assinatura", {"enviar-lote", pasta_->file("sem-assinatura.xml")}, 1, "A nota não possui assinatura"},
      {"serviço fora do arquivo", {"inutilizar", "--serie", "1", "--inicio", "1", "--fim", "2", "--justificativa",
                                   "Numeracao pulada por falha", "--modo", "svcan"}, 1,
       "Servidor para NfeInutilizacao3 não definido no arquivo"},
      {"justificativa curta", {"cancelar", ChaveDe(NotaDeTeste(8203)), "--protocolo", "135000000000001",
                               "--justificativa", "curta"}, 2, "no mínimo 15 caracteres"},
      {"modo EPEC", {"status", "--modo", "epec"}, 1, "Servidor para NfeStatusServico3 não definido no arquivo"},
      {"versão do Manual desconhecida", {"status", "--versao-manual", "9.9"}, 2, "9.9"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    const ProgramResult r = Sefaz310(c.argumentos);
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
    EXPECT_NE((r.out + r.err).find(c.mensagem), std::string::npos) << r.out << r.err;
  }
  const ProgramResult semArquivo =
      RunProgram(BuiltProgram("moxnfe"), {"sefaz", "status", "--servidores", pasta_->file("nao-existe.ini"), "--pfx",
                                          pasta_->file("empresa.pfx"), "--senha", "s"});
  EXPECT_EQ(semArquivo.status, 1);
  EXPECT_NE(semArquivo.err.find("Arquivo \"" + pasta_->file("nao-existe.ini") +
                                "\" de servidores de homologação não encontrado"),
            std::string::npos)
      << semArquivo.err;
}

TEST_F(CliSefaz, TakesTheComponentsSettingsFromAConfigurationFile) {
  const std::string config = pasta_->file("nfeConfig.ini");
  const ProgramResult criada =
      RunProgram(BuiltProgram("moxnfe"), {"configuracao", "criar", config, "--uf", "SP", "--versao-manual", "5.0",
                                          "--certificado", pasta_->file("empresa.pfx"), "--servidores-hom",
                                          pasta_->file("hom.ini")});
  ASSERT_EQ(criada.status, 0) << criada.err;
  const ProgramResult r = RunProgram(BuiltProgram("moxnfe"), {"sefaz", "status", "--config", config, "--senha", "s",
                                                              "--ca", pasta_->file("ac.pem"), "--esquemas",
                                                              esquemas_->Esquemas(), "--json"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(Json(r)["cStat"], "107");
  // Manual 5.0 of the file: the status of layout 2.00.
  EXPECT_NE(Json(r)["xml"].get<std::string>().find("versao=\"2.00\""), std::string::npos) << r.out;
}

TEST_F(CliSefaz, SendsSynchronousAndCompressedBatchesAndValidatesBeforeSending) {
  const std::vector<std::string>& validar = kValidar;
  const ProgramResult sincrono =
      Sefaz310(Com({"enviar-lote", NotaAssinadaEmArquivo(8301), "--sincrono", "--compactado", "--json"}, validar));
  EXPECT_EQ(sincrono.status, 0) << sincrono.out << sincrono.err;
  EXPECT_EQ(Json(sincrono)["cStat"], "104");
  ASSERT_EQ(Json(sincrono)["documentos"].size(), 1u) << sincrono.out;
  EXPECT_EQ(Json(sincrono)["documentos"][0]["cStat"], "100");

  const ProgramResult compactado = Sefaz310({"enviar-lote", NotaAssinadaEmArquivo(8302), "--compactado"});
  EXPECT_EQ(compactado.status, 0) << compactado.out << compactado.err;
  EXPECT_NE(compactado.out.find("Recibo: "), std::string::npos) << compactado.out;

  // A CEP of four digits never leaves the machine: the batch schema refuses it first.
  std::string nota = ReadText(NotaAssinadaEmArquivo(8303));
  const size_t cep = nota.find("<CEP>");
  nota.replace(cep, 19, "<CEP>0100</CEP>");
  WriteText(pasta_->file("cep-invalido.xml"), nota);
  const ProgramResult invalida = Sefaz310(Com({"enviar-lote", pasta_->file("cep-invalido.xml")}, validar));
  EXPECT_EQ(invalida.status, 1) << invalida.out << invalida.err;
  EXPECT_NE(invalida.err.find("CEP"), std::string::npos) << invalida.err;
  EXPECT_EQ(invalida.out.find("SEFAZ:"), std::string::npos) << invalida.out;

  const ProgramResult status = Sefaz310(Com({"status"}, validar));
  EXPECT_EQ(status.status, 0) << status.out << status.err;
}

// Under manual 5.0a a note may still be cancelled by request when asked; the registry of
// another UF is asked at that UF.
TEST_F(CliSefaz, CancelsByRequestWhenAskedAndQueriesTheRegistryOfAnotherUF) {
  Autoriza(*std::make_unique<ClienteDeTeste>(), *sandbox_, Assina(NotaDeTeste(8601), "infNFe"));
  const std::string chave = ChaveDe(NotaDeTeste(8601));
  const ProgramResult situacao = Sefaz310({"consultar-nfe", chave, "--json"});
  ASSERT_EQ(situacao.status, 0) << situacao.out << situacao.err;
  const std::string protocolo = Json(situacao)["documentos"].at(0)["protocolo"];
  const ProgramResult pedido = Sefaz310({"cancelar", chave, "--pedido", "--protocolo", protocolo, "--justificativa",
                                      "Cancelamento pedido pelo cliente", "--json"});
  EXPECT_EQ(pedido.status, 0) << pedido.out << pedido.err;
  ASSERT_EQ(Json(pedido)["documentos"].size(), 1u) << pedido.out;
  EXPECT_EQ(Json(pedido)["documentos"][0]["tipo"], "cancelamento");
  EXPECT_EQ(Json(pedido)["documentos"][0]["cStat"], "101");
  const ProgramResult outraUF = Sefaz310({"consultar-cadastro", "--cnpj", kCompanyCnpj, "--uf-cadastro", "pr"});
  EXPECT_EQ(outraUF.status, 3) << outraUF.out << outraUF.err;
  EXPECT_EQ(outraUF.out.rfind("SEFAZ: 259 - ", 0), 0u) << outraUF.out;
  const ProgramResult tipoDeDocumento = Sefaz310({"consultar-cadastro", "--cpf", "123"});
  EXPECT_EQ(tipoDeDocumento.status, 1);
  EXPECT_NE(tipoDeDocumento.err.find("O CPF 123 deve conter exatamente 11 dígitos."), std::string::npos)
      << tipoDeDocumento.err;
}

// Manual 3.0 speaks layout 1.10 to the first generation of services, each request validated
// against PL_005f; it has no cancellation event, so a note is cancelled by request.
TEST_F(CliSefaz, RunsTheRoadOfLayout110UnderManual30) {
  const std::vector<std::string> manual30 = Com({"--versao-manual", "3.0"}, kValidar);
  const std::string nota = pasta_->file("nota110.xml");
  WriteText(nota, Assina(NotaDeTeste(8401, {}, "1.10"), "infNFe"));
  const ProgramResult envio = Sefaz(Com({"enviar-lote", nota, "--json"}, manual30));
  ASSERT_EQ(envio.status, 0) << envio.out << envio.err;
  const ProgramResult recibo = Sefaz(Com({"consultar-recibo", Json(envio)["recibo"], "--json"}, manual30));
  ASSERT_EQ(recibo.status, 0) << recibo.out << recibo.err;
  const std::string chave = ChaveDe(ReadText(nota));
  const auto protocolo = Json(recibo)["documentos"].at(0);
  EXPECT_EQ(protocolo["chave"], chave);
  EXPECT_EQ(protocolo["cStat"], "100");

  struct Caso {
    std::string nome;
    std::vector<std::string> argumentos;
    std::string esperado;
  };
  const std::vector<Caso> casos{
      {"consulta 1.07", {"consultar-nfe", chave}, "SEFAZ: 100 - "},
      {"cancelamento 1.07", {"cancelar", chave, "--protocolo", protocolo["protocolo"], "--justificativa",
                             "Cancelamento pedido pelo cliente"},
       "cancelamento " + chave + ": 101 - Cancelamento de NF-e homologado"},
      {"consulta da nota cancelada", {"consultar-nfe", chave}, "SEFAZ: 101 - "},
      {"inutilização 1.07", {"inutilizar", "--serie", "3", "--inicio", "1", "--fim", "5", "--justificativa",
                             "Numeracao pulada por falha"}, "SEFAZ: 102 - "},
      {"cadastro 1.01", {"consultar-cadastro", "--cnpj", kCompanyCnpj}, "SEFAZ: 111 - "},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    const ProgramResult r = Sefaz(Com(c.argumentos, manual30));
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find(c.esperado), std::string::npos) << r.out;
  }
}

// Manual 6.0 speaks layout 4.00 to the services ending in "4", each request validated against
// PL_010_V1.30; a note is cancelled by event.
TEST_F(CliSefaz, RunsTheRoadOfLayout400UnderManual60) {
  const std::vector<std::string> manual60 = Com({"--versao-manual", "6.0"}, kValidar);
  const ProgramResult status = Sefaz(Com({"status", "--json"}, manual60));
  EXPECT_EQ(status.status, 0) << status.out << status.err;
  EXPECT_NE(Json(status)["xml"].get<std::string>().find("versao=\"4.00\""), std::string::npos) << status.out;

  const std::string nota = pasta_->file("nota400.xml"), reforma = pasta_->file("reforma400.xml");
  WriteText(nota, Assina(NotaDeTeste400(8501), "infNFe"));
  WriteText(reforma, Assina(NotaDeTeste400(8502, {}, true), "infNFe"));
  const ProgramResult envio = Sefaz(Com({"enviar-lote", nota, reforma, "--json"}, manual60));
  ASSERT_EQ(envio.status, 0) << envio.out << envio.err;
  const ProgramResult recibo = Sefaz(Com({"consultar-recibo", Json(envio)["recibo"], "--json"}, manual60));
  ASSERT_EQ(recibo.status, 0) << recibo.out << recibo.err;
  const auto documentos = Json(recibo)["documentos"];
  ASSERT_EQ(documentos.size(), 2u) << recibo.out;
  EXPECT_EQ(documentos[1]["cStat"], "100");
  const std::string chave = ChaveDe(ReadText(nota));
  EXPECT_EQ(documentos[0]["chave"], chave);
  EXPECT_EQ(documentos[0]["cStat"], "100");

  struct Caso {
    std::string nome;
    std::vector<std::string> argumentos;
    std::string esperado;
  };
  const std::vector<Caso> casos{
      {"consulta 4.00", {"consultar-nfe", chave}, "SEFAZ: 100 - "},
      {"carta de correção", {"carta-correcao", chave, "--correcao", "Correcao do numero do endereco de entrega"},
       "evento 110110 " + chave + ": 135 - "},
      {"cancelamento por evento", {"cancelar", chave, "--protocolo", documentos[0]["protocolo"], "--justificativa",
                                   "Cancelamento pedido pelo cliente"},
       "evento 110111 " + chave + ": 135 - "},
      {"consulta da nota cancelada", {"consultar-nfe", chave}, "SEFAZ: 101 - "},
      {"inutilização 4.00", {"inutilizar", "--serie", "4", "--inicio", "1", "--fim", "5", "--justificativa",
                             "Numeracao pulada por falha"}, "SEFAZ: 102 - "},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    const ProgramResult r = Sefaz(Com(c.argumentos, manual60));
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find(c.esperado), std::string::npos) << r.out;
  }
}

}  // namespace
