// moxnfe configuracao as a user runs it.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "support/TestSupport.h"

namespace {

moxtest::ProgramResult Moxnfe(const std::vector<std::string>& aArgs) {
  return moxtest::RunProgram(moxtest::BuiltProgram("moxnfe"), aArgs);
}

}  // namespace

TEST(CliConfiguracao, CreateShowAndCheck) {
  moxtest::TempDir dir;
  const std::string ini = dir.file("nfeConfig.ini");
  const std::string hom = dir.file("hom.ini");
  moxtest::WriteText(hom, "[BA]\n");

  auto criar = Moxnfe({"configuracao", "criar", ini, "--uf", "ba", "--cnpj", "12345678000195", "--servidores-hom", hom,
                       "--versao-manual", "4.0"});
  ASSERT_EQ(criar.status, 0) << criar.err;

  auto mostrar = Moxnfe({"configuracao", "mostrar", ini, "--json"});
  ASSERT_EQ(mostrar.status, 0) << mostrar.err;
  auto json = nlohmann::json::parse(mostrar.out);
  EXPECT_EQ(json["UF"], "BA");
  EXPECT_EQ(json["VersaoManual"], "4.0");
  EXPECT_EQ(json["ArquivoServidoresHom"], hom);

  auto texto = Moxnfe({"configuracao", "mostrar", ini});
  EXPECT_NE(texto.out.find("CNPJ = 12345678000195\n"), std::string::npos) << texto.out;

  auto ok = Moxnfe({"configuracao", "verificar", ini});
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_NE(ok.out.find("Configuração válida"), std::string::npos);

  std::string conteudo = moxtest::ReadText(ini);
  conteudo.replace(conteudo.find("CNPJ=12345678000195"), 19, "CNPJ=123");
  moxtest::WriteText(ini, conteudo);
  auto ruim = Moxnfe({"configuracao", "verificar", ini});
  EXPECT_EQ(ruim.status, 1);
  EXPECT_NE(ruim.err.find("O CNPJ não possui 14 digitos."), std::string::npos) << ruim.err;

  auto faltando = Moxnfe({"configuracao", "mostrar", dir.file("nao/existe.ini")});
  EXPECT_EQ(faltando.status, 1);
  EXPECT_NE(faltando.err.find("não foi encontrado"), std::string::npos) << faltando.err;
}

// A new user's account: typed names are taken from the current folder, the defaults from the
// user's folders and the installed data, and nothing is written beside the program.
class CliConfiguracaoNovoUsuario : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(trabalho);
    ::setenv("HOME", casa.c_str(), 1);
    for (const char* v : {"MOXNFE_DADOS", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) ::unsetenv(v);
    ::setenv("MOXNFE_CHAVE", dir.file("chave.key").c_str(), 1);
  }
  void TearDown() override { ::unsetenv("MOXNFE_CHAVE"); }

  moxtest::TempDir dir;
  const std::string casa = dir.str() + "casa", trabalho = dir.str() + "trabalho/";
  const std::string dados = casa + "/.local/share/moxnfe/", config = casa + "/.config/moxnfe/";
};

TEST_F(CliConfiguracaoNovoUsuario, TypedNamesAreTakenFromTheCurrentFolder) {
  moxtest::InDir aqui(trabalho);
  moxtest::WriteText(trabalho + "hom.ini", "[SP]\n");
  auto criar = Moxnfe({"configuracao", "criar", "conf/meu.ini", "--cnpj", "12345678000195", "--servidores-hom",
                       "hom.ini"});
  ASSERT_EQ(criar.status, 0) << criar.err;
  EXPECT_EQ(criar.out, "Configuração gravada em " + trabalho + "conf/meu.ini\n");
  // The servers file is named from the configuration's folder, so both can move together.
  EXPECT_NE(moxtest::ReadText(trabalho + "conf/meu.ini").find("ArquivoServidoresHom=" + trabalho + "hom.ini"),
            std::string::npos);

  for (const std::string& nome : std::vector<std::string>{"conf/meu.ini", "./conf/meu.ini", trabalho + "conf/meu.ini"}) {
    auto mostrar = Moxnfe({"configuracao", "mostrar", nome, "--json"});
    ASSERT_EQ(mostrar.status, 0) << nome << ": " << mostrar.err;
    auto json = nlohmann::json::parse(mostrar.out);
    EXPECT_EQ(json["ArquivoServidoresHom"], trabalho + "hom.ini");
    EXPECT_EQ(json["VersaoManual"], "6.0") << "the same default as every other command";
    EXPECT_EQ(json["DiretorioLog"], dados + "Log/");
    EXPECT_EQ(json["DiretorioXmlDestinatario"], dados + "XmlDestinatario/");
    EXPECT_EQ(Moxnfe({"configuracao", "verificar", nome}).status, 0);
  }

  // Written again only when asked.
  auto denovo = Moxnfe({"configuracao", "criar", "conf/meu.ini"});
  EXPECT_EQ(denovo.status, 1);
  EXPECT_NE(denovo.err.find("já existe (use --substituir"), std::string::npos) << denovo.err;
  EXPECT_EQ(Moxnfe({"configuracao", "criar", "conf/meu.ini", "--substituir"}).status, 0);
}

TEST_F(CliConfiguracaoNovoUsuario, AFreshConfigurationPassesItsCheck) {
  moxtest::InDir aqui(trabalho);
  auto criar = Moxnfe({"configuracao", "criar", "--cnpj", "12345678000195"});
  ASSERT_EQ(criar.status, 0) << criar.err;
  EXPECT_EQ(criar.out, "Configuração gravada em " + config + "nfeConfig.ini\n");

  // The servers files installed with the programs (beside them in a build).
  auto ok = Moxnfe({"configuracao", "verificar"});
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(ok.out, "Configuração válida: " + config + "nfeConfig.ini\n");
  auto json = nlohmann::json::parse(Moxnfe({"configuracao", "mostrar", "--json"}).out);
  EXPECT_EQ(json["ArquivoServidoresHom"], std::string(MOXNFE_BINARY_DIR) + "/nfeServidoresHom.ini");
  EXPECT_EQ(json["DiretorioTemplates"], std::string(MOXNFE_BINARY_DIR) + "/Templates/vm60/");

  // The user's own copy of a read-only data file comes first.
  std::filesystem::create_directories(dados);
  moxtest::WriteText(dados + "nfeServidoresHom.ini", "[SP]\n");
  json = nlohmann::json::parse(Moxnfe({"configuracao", "mostrar", "--json"}).out);
  EXPECT_EQ(json["ArquivoServidoresHom"], dados + "nfeServidoresHom.ini");

  // A failure: the message on standard error, and for scripts as JSON too; the component's
  // error log goes to the user's data folder.
  ASSERT_EQ(Moxnfe({"configuracao", "criar", "--cnpj", "123", "--substituir"}).status, 0);
  auto falha = Moxnfe({"configuracao", "verificar", "--json"});
  EXPECT_EQ(falha.status, 1);
  const std::string mensagem = "O CNPJ não possui 14 digitos. 123";
  EXPECT_NE(falha.err.find(mensagem), std::string::npos) << falha.err;
  auto erro = nlohmann::json::parse(falha.out);
  EXPECT_EQ(erro["erro"], mensagem);
  EXPECT_EQ(erro["codigo"], 1);
  EXPECT_NE(moxtest::ReadText(dados + "LogErro/nfe_exception.log").find(mensagem), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_empty(trabalho)) << "nothing is left in the folder the user works in";
}

namespace {

// Every path under aRaiz, to compare a tree before and after a command.
std::vector<std::string> Arvore(const std::string& aRaiz) {
  std::vector<std::string> caminhos;
  for (const auto& e : std::filesystem::recursive_directory_iterator(aRaiz)) caminhos.push_back(e.path().string());
  std::sort(caminhos.begin(), caminhos.end());
  return caminhos;
}

}  // namespace

TEST_F(CliConfiguracaoNovoUsuario, ShowingAndCheckingCreateNothing) {
  moxtest::InDir aqui(trabalho);
  moxtest::WriteText(trabalho + "hom.ini", "[SP]\n");
  moxtest::WriteText(trabalho + "empresa.pfx", "x");
  // Every writable folder named, none of them there; the defaults lie in the user's data folder.
  moxtest::WriteText(trabalho + "nfe.ini",
                     "[NFE]\nUF=SP\nCNPJ=12345678000195\nArquivoServidoresHom=hom.ini\nDiretorioLog=log\n"
                     "DiretorioLogErro=erros/novos\nDiretorioTemporario=tmp/a/b\nDiretorioXmlDestinatario=dest/x\n"
                     "DiretorioDownloads=baixados\nCaminhoCertificado=empresa.pfx\n");
  moxtest::WriteText(trabalho + "padrao.ini", "[NFE]\nUF=SP\nCNPJ=12345678000195\nArquivoServidoresHom=hom.ini\n");
  const auto antes = Arvore(dir.str());
  for (const char* arquivo : {"nfe.ini", "padrao.ini"})
    for (const char* comando : {"mostrar", "verificar"}) {
      SCOPED_TRACE(std::string(comando) + " " + arquivo);
      auto r = Moxnfe({"configuracao", comando, arquivo});
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(Arvore(dir.str()), antes);
    }
  auto json = nlohmann::json::parse(Moxnfe({"configuracao", "mostrar", "nfe.ini", "--json"}).out);
  EXPECT_EQ(json["DiretorioLogErro"], trabalho + "erros/novos/") << "shown as configured, though not made";
  EXPECT_EQ(json["DiretorioXmlDestinatario"], trabalho + "dest/x/");

  // Folders that could never be made, and certificates that are not there, are reported.
  struct Caso {
    std::string linha, mensagem;
  };
  std::filesystem::create_directories(trabalho + "certs");
  const std::vector<Caso> casos = {
      {"CaminhoCertificado=falta.pfx",
       "O certificado informado em CaminhoCertificado não existe: " + trabalho + "falta.pfx"},
      {"CaminhoCertificado=certs",
       "O certificado informado em CaminhoCertificado é uma pasta, não um arquivo: " + trabalho + "certs"},
      {"DiretorioLog=a/b/log", "O diretório para salvar os Logs, é inválido. " + trabalho + "a/b/log/"},
      {"DiretorioXmlDestinatario=hom.ini/x",
       "O caminho configurado para salvar o XMLDestinatario é inválido. " + trabalho + "hom.ini/x/"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.linha);
    moxtest::WriteText(trabalho + "ruim.ini", "[NFE]\nUF=SP\nCNPJ=12345678000195\nArquivoServidoresHom=hom.ini\n" +
                                                 c.linha + "\n");
    auto r = Moxnfe({"configuracao", "verificar", "ruim.ini"});
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.err.find(c.mensagem), std::string::npos) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(trabalho + "a")) << "a failed check makes no folder either";
}

TEST(CliConfiguracao, AFileThatIsNotAnIniIsRefused) {
  moxtest::TempDir dir;
  const std::string xml = dir.file("nota.xml");
  moxtest::WriteText(xml, "<?xml version=\"1.0\"?>\n<NFe xmlns=\"http://www.portalfiscal.inf.br/nfe\"/>\n");
  for (const char* comando : {"mostrar", "verificar"}) {
    auto r = Moxnfe({"configuracao", comando, xml});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Arquivo " + xml + " não é um arquivo de configuração INI: o conteúdo é XML ou JSON, não INI."),
              std::string::npos)
        << r.err;
  }
}
