// moxnfe nfe enviar-destinatario and moxnfe cofre as a user runs them: notes the sandbox
// authorized through "moxnfe nfe emitir" delivered to a loopback SMTP server (read back and
// compared) or into the custody archive, which then answers for them and checks them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <regex>

#include "support/ClienteDoSandbox.h"
#include "support/NotasTx2.h"
#include "support/SandboxDeTeste.h"
#include "support/ServidorSmtp.h"

namespace {

namespace fs = std::filesystem;
using namespace moxtest;

class CliEntrega : public TesteComCliente {
 protected:
  // The user's folders inside the test's: no configuration or data of the real user is read.
  void SetUp() override {
    ::setenv("MOXNFE_DADOS", (pasta_.str() + "dados").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (pasta_.str() + "config").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("MOXNFE_DADOS");
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("MOXNFE_SMTP_SENHA");
  }

  ProgramResult Moxnfe(std::vector<std::string> aArgs) { return RunProgram(BuiltProgram("moxnfe"), aArgs); }

  // aQuantidade notes authorized by the sandbox; their keys. Each leaves dest/KEY-nfe.xml.
  std::vector<std::string> Autorizadas(int aQuantidade) {
    std::string tx2 = Tx2DosExemplos(aQuantidade, numero_);
    numero_ += aQuantidade;
    WriteText(pasta_.file("notas.tx2"),
              std::regex_replace(tx2, std::regex("dhEmi_B09=[^\n]*"), "dhEmi_B09=" + AgoraBrasilia()));
    std::vector<std::string> args{"nfe", "emitir", pasta_.file("notas.tx2"), "--versao-manual", "5.0a", "--json",
                                  "--destino", Destino(), "--log", pasta_.str() + "log"};
    for (const auto& o : cliente_->Opcoes()) args.push_back(o);
    const ProgramResult r = Moxnfe(args);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    std::vector<std::string> chaves;
    const auto saida = nlohmann::json::parse(r.out);
    for (const auto& n : saida["notas"]) chaves.push_back(n["chave"]);
    return chaves;
  }

  std::string Destino() const { return pasta_.str() + "dest"; }
  std::string Nfeproc(const std::string& aChave) const { return ReadText(Destino() + "/" + aChave + "-nfe.xml"); }

  // "moxnfe nfe enviar-destinatario" by e-mail to the server, with the recipient folder.
  ProgramResult Envia(const ServidorSmtp& aServidor, std::vector<std::string> aArgs) {
    std::vector<std::string> args{"nfe",           "enviar-destinatario",  "--versao-manual", "5.0a",
                                  "--destino",     Destino(),              "--smtp-servidor", "127.0.0.1",
                                  "--smtp-porta",  std::to_string(aServidor.Porta()), "--smtp-seguranca", "nenhuma",
                                  "--remetente",   "nfe@emissor.com.br",  "--para",          "compras@destinatario.com.br"};
    args.insert(args.end(), aArgs.begin(), aArgs.end());
    return Moxnfe(args);
  }

  TempDir pasta_;
  static inline int numero_ = 9800;
};

TEST_F(CliEntrega, NotasPorEmailComXmlEDanfe) {
  const auto chaves = Autorizadas(2);
  ASSERT_EQ(chaves.size(), 2u);
  ServidorSmtp servidor;
  const ProgramResult r = Envia(servidor, {"--json", "--assunto", "Sua NF-e", chaves[0], chaves[1]});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const auto saida = nlohmann::json::parse(r.out);
  EXPECT_EQ(saida["entregues"], 2);
  EXPECT_EQ(saida["notas"][1]["situacao"], "enviada");

  const auto recebidas = servidor.Recebidas();
  ASSERT_EQ(recebidas.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(chaves[i]);
    const auto& m = recebidas[i];
    EXPECT_EQ(m["headers"]["Subject"], "Sua NF-e");
    ASSERT_EQ(m["attachments"].size(), 2u);
    EXPECT_EQ(ServidorSmtp::Anexo(m, 0), Nfeproc(chaves[i]));
    WriteText(pasta_.file("danfe.pdf"), ServidorSmtp::Anexo(m, 1));
    std::string texto = RunProgram("/usr/bin/pdftotext", {pasta_.file("danfe.pdf"), "-"}).out;
    std::erase(texto, ' ');
    EXPECT_NE(texto.find(chaves[i]), std::string::npos) << texto;
  }

  // Only the XML.
  ServidorSmtp apenasXml;
  EXPECT_EQ(Envia(apenasXml, {"--sem-danfe", chaves[0]}).status, 0);
  ASSERT_EQ(apenasXml.Recebidas().size(), 1u);
  EXPECT_EQ(apenasXml.Recebidas()[0]["attachments"].size(), 1u);
}

// A refused message, a key the folder does not hold: reported per note, exit 1, and the others
// still delivered.
TEST_F(CliEntrega, FalhasPorNotaSaemComUm) {
  const auto chaves = Autorizadas(1);
  ASSERT_EQ(chaves.size(), 1u);
  const std::string ausente = "35140312345678000195550010000001241123456788";
  {
    ServidorSmtp servidor;
    const ProgramResult r = Envia(servidor, {"--json", ausente, chaves[0]});
    EXPECT_EQ(r.status, 1);
    const auto saida = nlohmann::json::parse(r.out);
    EXPECT_EQ(saida["notas"][0]["situacao"], "erro");
    EXPECT_EQ(saida["notas"][0]["mensagem"], "Xml da NFe: " + ausente + " na pasta XMLDestinatário não encontrado.");
    EXPECT_EQ(saida["notas"][1]["situacao"], "enviada");
    EXPECT_EQ(servidor.Recebidas().size(), 1u);
  }
  {
    ServidorSmtp recusa({"--falha", "recusar-dados"});
    const ProgramResult r = Envia(recusa, {chaves[0]});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find(chaves[0] + ": não entregue - Erro ao enviar e-mail ao destinatário: "), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("0 entregue(s), 1 com erro"), std::string::npos);
  }
  // Bad usage: exit 2 before anything is sent.
  ServidorSmtp servidor;
  EXPECT_EQ(Envia(servidor, {"123"}).status, 2);
  EXPECT_EQ(Envia(servidor, {"--entrega", "pombo", chaves[0]}).status, 2);
  EXPECT_EQ(Envia(servidor, {"--smtp-seguranca", "talvez", chaves[0]}).status, 2);
  EXPECT_TRUE(servidor.Recebidas().empty());
}

// Into custody from the configuration's archive folder, once; then moxnfe cofre answers for
// the notes and finds a file that was changed.
TEST_F(CliEntrega, CofreGuardaUmaVezEConfere) {
  const auto chaves = Autorizadas(1);
  ASSERT_EQ(chaves.size(), 1u);
  const std::string chave = chaves[0];
  fs::create_directories(pasta_.path() / "cfg");
  WriteText(pasta_.file("cfg/nfeConfig.ini"), "[NFE]\nUF=SP\n[COFRE]\nPasta=../arquivo\n");
  const std::string config = pasta_.file("cfg/nfeConfig.ini");
  auto entrega = [&] {
    return Moxnfe({"nfe", "enviar-destinatario", "--json", "--config", config, "--versao-manual", "5.0a",
                   "--destino", Destino(), "--entrega", "cofre", chave});
  };
  ProgramResult r = entrega();
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(nlohmann::json::parse(r.out)["notas"][0]["situacao"], "guardada");
  EXPECT_EQ(nlohmann::json::parse(r.out)["cofre"], pasta_.str() + "arquivo/");
  r = entrega();
  EXPECT_EQ(nlohmann::json::parse(r.out)["notas"][0]["situacao"], "ja-guardada") << r.out;

  auto cofre = [&](std::vector<std::string> aArgs) {
    aArgs.insert(aArgs.begin(), "cofre");
    aArgs.insert(aArgs.end(), {"--config", config});
    return Moxnfe(aArgs);
  };
  EXPECT_EQ(cofre({"contem", chave}).out.substr(0, 4), "sim\n");
  EXPECT_EQ(cofre({"contem", "35140312345678000195550010000001241123456788"}).status, 1);
  r = cofre({"listar", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lista = nlohmann::json::parse(r.out)["documentos"];
  ASSERT_EQ(lista.size(), 1u);
  EXPECT_EQ(lista[0]["chave"], chave);
  EXPECT_EQ(lista[0]["tipo"], "nfe");
  const std::string guardado = pasta_.str() + "arquivo/" + lista[0]["arquivo"].get<std::string>();
  EXPECT_EQ(ReadText(guardado), Nfeproc(chave));

  // "guardar" of the same document again: nothing new.
  r = cofre({"guardar", "--json", Destino() + "/" + chave + "-nfe.xml"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(nlohmann::json::parse(r.out)["documentos"][0]["novo"], false);
  EXPECT_EQ(cofre({"verificar"}).status, 0);

  fs::permissions(guardado, fs::perms::owner_write, fs::perm_options::add);
  WriteText(guardado, ReadText(guardado) + " ");
  r = cofre({"verificar", "--json"});
  EXPECT_EQ(r.status, 1);
  const auto problemas = nlohmann::json::parse(r.out)["problemas"];
  ASSERT_EQ(problemas.size(), 1u) << r.out;
  EXPECT_EQ(problemas[0]["problema"], "alterado");

  // A file that is not a fiscal document is refused and the run says so.
  WriteText(pasta_.file("nota.txt"), "não é XML");
  EXPECT_EQ(cofre({"guardar", pasta_.file("nota.txt")}).status, 1);
  EXPECT_EQ(cofre({"contem", "123"}).status, 2);
}

}  // namespace
