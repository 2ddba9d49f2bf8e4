// The commands of moxnfe-sandbox as a user runs them: the certificates it makes, the servers
// file it writes and the refusals of a start without what it needs.
#include <gtest/gtest.h>

#include "external/TmoxIniFile.h"
#include "support/SandboxDeTeste.h"

namespace {

using namespace moxtest;

ProgramResult Sandbox(const std::vector<std::string>& aArgumentos) {
  return RunProgram(BuiltProgram("moxnfe-sandbox"), aArgumentos);
}

TEST(SandboxPrograma, WritesAServersFileWhereEveryKeyOfEverySectionReachesItsService) {
  TempDir pasta;
  const ProgramResult r = Sandbox({"servidores", "--url", "https://127.0.0.1:8443/", "--saida", pasta.file("hom.ini")});
  ASSERT_EQ(r.status, 0) << r.err;
  mox::TmoxIniFile ini(pasta.file("hom.ini"));
  struct Caso {
    std::string secao, chave, endereco;
  };
  const std::vector<Caso> casos{
      {"SP", "NfeStatusServico", "/ws/SP/NfeStatusServico"},
      {"SP", "NfeStatusServico2", "/ws/SP/NfeStatusServico2"},
      {"SP", "NfeStatusServico3", "/ws/SP/NfeStatusServico3"},
      {"RS", "NfeRecepcao3", "/ws/RS/NfeAutorizacao"},
      {"RS", "NfeRetRecepcao3", "/ws/RS/NfeRetAutorizacao"},
      {"MG", "NfeRetRecepcao", "/ws/MG/NfeRetRecepcao"},
      {"BA", "NfeConsulta3", "/ws/BA/NfeConsulta3"},
      {"PR", "NfeCancelamento2", "/ws/PR/NfeCancelamento2"},
      {"AC", "NfeInutilizacao3", "/ws/AC/NfeInutilizacao3"},
      {"TO", "CadConsulta", "/ws/TO/CadConsultaCadastro"},
      {"TO", "CadConsulta3", "/ws/TO/CadConsultaCadastro2"},
      {"SP", "nfeRecepcaoEvento", "/ws/SP/RecepcaoEvento"},
      {"SP", "nfeRecepcaoEvento3", "/ws/SP/RecepcaoEvento"},
      {"SP", "nfeConsultaDFe", "/ws/AN/NFeDistribuicaoDFe"},
      {"SP", "NFeDownloadNf", "/ws/AN/NfeDownloadNF"},
      {"SVCAN", "NfeRecepcao3", "/ws/SVCAN/NfeAutorizacao"},
      {"SVCRS", "NfeRetRecepcao3", "/ws/SVCRS/NfeRetAutorizacao"},
      {"SVCRS", "nfeRecepcaoEvento", "/ws/SVCRS/RecepcaoEvento"},
      {"AN", "nfeRecepcaoEvento", "/ws/AN/RecepcaoEvento"},
      {"AN", "nfeConsultaNFDest", "/ws/AN/NfeConsultaDest"},
      {"AN", "nfeDistDFeInteresse", "/ws/AN/NFeDistribuicaoDFe"},
  };
  for (const auto& c : casos)
    EXPECT_EQ(ini.ReadString(c.secao, c.chave, ""), "https://127.0.0.1:8443" + c.endereco) << c.secao << " " << c.chave;
  // What an authorizer does not offer is not in its section.
  EXPECT_FALSE(ini.ValueExists("SVCAN", "NfeInutilizacao3"));
  EXPECT_FALSE(ini.ValueExists("AN", "NfeStatusServico3"));
  // The first generation of services (layout 1.10) is only at the states.
  EXPECT_FALSE(ini.ValueExists("SVCAN", "NfeRecepcao"));
  EXPECT_EQ(ini.ReadSections().size(), 30u);
}

TEST(SandboxPrograma, MakesCertificatesAClientCanUseAndKeepsItsAuthorityWhenAskedForMore) {
  TempDir pasta;
  const std::string saida = pasta.file("cert");
  ProgramResult r = Sandbox({"certificados", "--saida", saida, "--cnpj", kCompanyCnpj, "--senha", "segredo"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string autoridade = ReadText(pasta.path() / "cert" / "ac.pem");

  BackgroundProcess sandbox(BuiltProgram("moxnfe-sandbox"),
                            {"iniciar", "--estado", pasta.file("estado"), "--esquemas", SchemasDir().string(), "--ca",
                             saida + "/ac.pem", "--certificado", saida + "/servidor.pem", "--chave",
                             saida + "/servidor.key"});
  const std::string url = sandbox.ReadLine().substr(7);
  mox::TmoxKivoX kivo;
  kivo.HttpSettings.CertificateType = mox::kCertFile;
  kivo.HttpSettings.CertificatePath = saida + "/" + kCompanyCnpj + ".pfx";
  kivo.HttpSettings.CertificatePassword = "segredo";
  kivo.HttpSettings.CABundle = saida + "/ac.pem";
  const std::string ns = std::string(kWsdl) + "NfeStatusServico2";
  const std::string ret = kivo.PostSOAP(
      url + "ws/SP/NfeStatusServico2",
      Envelope("NfeStatusServico2", "35", "3.10",
               "<consStatServ xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><tpAmb>2</tpAmb><cUF>35</cUF>"
               "<xServ>STATUS</xServ></consStatServ>"),
      ns + "/nfeStatusServicoNF2", "nfeStatusServicoNF2Result", ns);
  EXPECT_EQ(Campo(ret, "cStat"), "107");

  r = Sandbox({"certificados", "--saida", saida, "--cnpj", kCnpjDestinatario});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("(já existia)"), std::string::npos) << r.out;
  EXPECT_EQ(ReadText(pasta.path() / "cert" / "ac.pem"), autoridade);
}

TEST(SandboxPrograma, RefusesAStateFolderAnotherSandboxIsUsing) {
  SandboxDeTeste emUso;
  const ProgramResult r = Sandbox({"iniciar", "--estado", emUso.Pasta().file("estado"), "--esquemas",
                                   SchemasDir().string(), "--ca", emUso.Pasta().file("ac.pem"), "--certificado",
                                   emUso.Pasta().file("servidor.pem"), "--chave", emUso.Pasta().file("servidor.key")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("está em uso por outro sandbox"), std::string::npos) << r.err;
}

TEST(SandboxPrograma, RefusesAPortAnotherSandboxListensOn) {
  SandboxDeTeste emUso;
  const std::string url = emUso.Url();
  const std::string porta = url.substr(url.rfind(':') + 1, url.size() - url.rfind(':') - 2);
  TempDir outra;
  const ProgramResult r = Sandbox({"iniciar", "--estado", outra.file("estado"), "--porta", porta, "--esquemas",
                                   SchemasDir().string(), "--ca", emUso.Pasta().file("ac.pem"), "--certificado",
                                   emUso.Pasta().file("servidor.pem"), "--chave", emUso.Pasta().file("servidor.key")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("A porta " + porta + " já está em uso"), std::string::npos) << r.err;
  EXPECT_EQ(r.out.find("PRONTO"), std::string::npos) << "it never said it was ready";
}

TEST(SandboxPrograma, RefusesToStartOrToRunWithWhatItCannotUse) {
  TempDir pasta;
  struct Caso {
    std::vector<std::string> argumentos;
    int status;
    std::string mensagem;
  };
  const std::vector<Caso> casos{
      {{"iniciar", "--estado", pasta.file("e"), "--esquemas", pasta.str(), "--ca", "a", "--certificado", "b", "--chave",
        "c"},
       1,
       "faltam: consStatServ_v2.00.xsd"},
      {{"iniciar", "--esquemas", SchemasDir().string()}, 2, "informe --ca"},
      {{"certificados", "--saida", pasta.str(), "--cnpj", "12345678000100"}, 2, "CNPJ inválido: 12345678000100"},
      {{"servidores", "--url", "http://127.0.0.1/", "--saida", pasta.file("x.ini")}, 2, "começa com https://"},
      {{"servidores", "--porta", "1"}, 2, "opção desconhecida: --porta"},
      {{"parar"}, 2, "comando desconhecido: parar"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.argumentos.front() + " " + c.mensagem);
    const ProgramResult r = Sandbox(c.argumentos);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.mensagem), std::string::npos) << r.err;
  }
}

}  // namespace
