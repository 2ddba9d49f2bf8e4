// The component's properties, configuration file and folder rules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "external/TmoxIniFile.h"
#include "external/TmoxKivoX.h"
#include "external/moxPaths.h"
#include "support/MensagemDe.h"
#include "support/TestSupport.h"

using namespace mox;

namespace {

// The user's folders and the installed data live in the test's own folder.
class ComponentConfig : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("MOXNFE_CHAVE", dir.file("chave.key").c_str(), 1);
    ::setenv("MOXNFE_DADOS", dados.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
    ::setenv("MOXNFE_DADOS_INSTALADOS", instalados.c_str(), 1);
  }
  void TearDown() override {
    for (const char* v : {"MOXNFE_CHAVE", "MOXNFE_DADOS", "XDG_CONFIG_HOME", "MOXNFE_DADOS_INSTALADOS"}) ::unsetenv(v);
  }
  moxtest::TempDir dir;
  const std::string dados = dir.str() + "dados/", instalados = dir.str() + "instalados/";
  const std::string config = dir.str() + "config/moxnfe/";
};


void Configura(TmoxNFe& n, const std::string& aPasta) {
  n.SetVersaoManual(TVersaoManual::vm40);
  n.SetTipoCertificado(TCertificadoKind::ckSmartCard);
  n.SetDiretorioTemplates(aPasta + "Modelos/");
  n.SetDiretorioEsquemas(aPasta + "XSD/");
  n.SetCNPJ("12345678000195");
  n.SetArquivoServidoresHom(aPasta + "hom.ini");
  n.SetArquivoServidoresProd(aPasta + "prod.ini");
  n.SetDiretorioLog(aPasta + "Logs/");
  n.SetAmbiente(TAmbienteKind::akProducao);
  n.SetValidarEsquemaAntesEnvio(true);
  n.SetIgnoreInvalidCertificates(true);
  n.SetPinCode("4321");
  n.SetConexaoSegura(false);
  n.SetProxy("proxy:3128");
  n.SetSenha("senha-proxy");
  n.SetUsuario("usuario-proxy");
  n.SetTimeOut(45000);
  n.SetCaracteresRemoverAcentos("çã");
  n.SetUF("rj");
  n.SetCaminhoCertificado(aPasta + "empresa.pfx");
  n.SetSenhaCertificado("senha-pfx");
  n.SetDiretorioLogErro(aPasta + "Erros/");
  n.SetDiretorioTemporario(aPasta + "Temp/");
  n.SetModoOperacao(TModoOperacao::moSVCRS);
  n.SetSalvarLogsEmDisco(false);
  TmoxEmailSettings& m = n.EmailSettings();
  m.ServidorSmtp = "smtp.exemplo.com.br";
  m.EmailRemetente = "nfe@exemplo.com.br";
  m.EmailDestinatario = "cliente@exemplo.com.br";
  m.Assunto = "NF-e";
  m.Mensagem = "Segue a nota.";
  m.Usuario = "nfe";
  m.Senha = "senha-smtp";
  m.Porta = 587;
  m.Autenticacao = true;
  m.TimeOut = 9000;
  m.CCo = "arquivo@exemplo.com.br";
  m.CC = "fiscal@exemplo.com.br";
  m.ConteudoHtml = true;
  m.Seguranca = mox::TMailSecurity::Implicit;
  m.ArquivoCA = "ac.pem";
  n.SetAnexarDanfePDF(false);
  TDanfeSettings& d = n.DanfeSettings();
  d.SetFraseHomologacao("HOMOLOGAÇÃO");
  d.SetLogotipoEmitente(aPasta + "logo.png");
  d.SetFraseContingencia("CONTINGÊNCIA");
  d.SetModeloRetrato(aPasta + "r.rtm");
  d.SetModeloPaisagem(aPasta + "p.rtm");
  d.SetModeloDanfeSimplificado(aPasta + "s.rtm");
  d.SetLineDelimiter("#");
  d.SetQtdeCopias(3);
  d.SetInfCplMaxCol(80);
  d.SetInfCplMaxRow(9);
  d.SetImprimirVolume(true);
  d.SetImprimirDuplicata(false);
  d.SetMensagemPartilhaAutomatica(false);
  d.SetImprimirUnidadeTributada(true);
  d.SetModeloRTMCCe(aPasta + "cce.rtm");
  n.SetDanfeSimplificado(true);
  n.SetMaxSizeLoteEnvio(250);
  n.SetDiretorioXmlDestinatario(aPasta + "Dest");
  n.SetDiretorioDownloads(aPasta + "Baixados/");
}

}  // namespace

TEST_F(ComponentConfig, DefaultsAfterConstruction) {
  TmoxNFe n;
  EXPECT_EQ(n.VersaoManual(), TVersaoManual::vm50);
  EXPECT_TRUE(n.AnexarDanfePDF());
  EXPECT_EQ(n.Versao(), "8.7.33.49873");
  n.SetVersao("1.0");
  EXPECT_EQ(n.Versao(), "8.7.33.49873");
  EXPECT_EQ(n.CaracteresRemoverAcentos(), "áéíóúàèìòùâêîôûäëïöüãõñçÁÉÍÓÚÀÈÌÒÙÂÊÎÔÛÄËÏÖÜÃÕÑÇºª");
  EXPECT_EQ(n.TipoCertificado(), TCertificadoKind::ckMemory);
  EXPECT_EQ(n.Ambiente(), TAmbienteKind::akHomologacao);
  EXPECT_EQ(n.ModoOperacao(), TModoOperacao::moNormal);
  EXPECT_EQ(n.EntregaXML(), TEntregaXML::exEmail);
  EXPECT_TRUE(n.SalvarLogsEmDisco());
  EXPECT_EQ(n.MaxSizeLoteEnvio(), 500);
  EXPECT_FALSE(n.DanfeSimplificado());
  EXPECT_EQ(n.UF(), "");
  // Read-only data comes from the installed data folder, what the component writes goes to the
  // per-user data folder.
  EXPECT_EQ(n.DiretorioLog(), dados + "Log/");
  EXPECT_EQ(n.DiretorioTemplates(), instalados + "Templates/vm50/");
  EXPECT_EQ(n.DiretorioEsquemas(), instalados + "Esquemas/vm50/");
  EXPECT_EQ(n.ArquivoServidoresHom(), "") << "not set until a configuration names it";
  EXPECT_EQ(n.DiretorioLogErro(), dados + "LogErro/");
  EXPECT_EQ(n.DiretorioXmlDestinatario(), dados + "XmlDestinatario/");
  EXPECT_EQ(n.DiretorioDownloads(), dados + "Downloads/");
  EXPECT_EQ(n.ConfigINI().FileName(), config + "nfeConfig.ini");
  EXPECT_EQ(n.LocalList().front(), "AC=12");
  EXPECT_EQ(n.LocalList().back(), "AN=91");
  EXPECT_EQ(n.DanfeSettings().FraseHomologacao(), "SEM VALOR FISCAL");
  EXPECT_EQ(n.DanfeSettings().LineDelimiter(), "|");
  EXPECT_EQ(n.DanfeSettings().InfCplMaxCol(), 68);
  EXPECT_EQ(n.EmailSettings().Porta, 0);
  EXPECT_EQ(n.AuditorSettings(), nullptr);
}

TEST_F(ComponentConfig, SaveThenLoadRestoresEveryKey) {
  const std::string pasta = dir.str();
  const std::string arquivo = dir.file("nfeConfig.ini");
  {
    TmoxNFe origem;
    Configura(origem, pasta);
    origem.SaveConfig(arquivo);
  }
  const std::string texto = moxtest::ReadText(arquivo);
  EXPECT_EQ(texto.find("4321"), std::string::npos) << "the PIN is never stored in clear text";
  EXPECT_NE(texto.find("[NFE]"), std::string::npos);
  EXPECT_NE(texto.find("Repositorio=SMART_CARD_USER_STORE"), std::string::npos);
  EXPECT_NE(texto.find("Ambiente=1"), std::string::npos);

  TmoxNFe n;
  n.LoadConfig(arquivo);
  EXPECT_EQ(n.VersaoManual(), TVersaoManual::vm40);
  EXPECT_EQ(n.TipoCertificado(), TCertificadoKind::ckSmartCard);
  EXPECT_EQ(n.DiretorioTemplates(), pasta + "Modelos/vm40/");
  EXPECT_EQ(n.DiretorioEsquemas(), pasta + "XSD/vm40/");
  EXPECT_EQ(n.CNPJ(), "12345678000195");
  EXPECT_EQ(n.ArquivoServidoresHom(), pasta + "hom.ini");
  EXPECT_EQ(n.ArquivoServidoresProd(), pasta + "prod.ini");
  EXPECT_EQ(n.DiretorioLog(), pasta + "Logs/");
  EXPECT_EQ(n.Ambiente(), TAmbienteKind::akProducao);
  EXPECT_TRUE(n.ValidarEsquemaAntesEnvio());
  EXPECT_TRUE(n.IgnoreInvalidCertificates());
  EXPECT_EQ(n.PinCode(), "4321");
  EXPECT_FALSE(n.ConexaoSegura());
  EXPECT_EQ(n.Proxy(), "proxy:3128");
  EXPECT_EQ(n.Senha(), "senha-proxy");
  EXPECT_EQ(n.Usuario(), "usuario-proxy");
  EXPECT_EQ(n.TimeOut(), 45000);
  EXPECT_EQ(n.CaracteresRemoverAcentos(), "çã");
  EXPECT_EQ(n.UF(), "RJ");
  EXPECT_EQ(n.CaminhoCertificado(), pasta + "empresa.pfx");
  EXPECT_EQ(n.SenhaCertificado(), "senha-pfx");
  EXPECT_EQ(n.DiretorioLogErro(), pasta + "Erros/");
  EXPECT_EQ(n.DiretorioTemporario(), pasta + "Temp/");
  EXPECT_EQ(n.ModoOperacao(), TModoOperacao::moSVCRS);
  EXPECT_FALSE(n.SalvarLogsEmDisco());
  const TmoxEmailSettings& m = n.EmailSettings();
  EXPECT_EQ(m.ServidorSmtp, "smtp.exemplo.com.br");
  EXPECT_EQ(m.EmailRemetente, "nfe@exemplo.com.br");
  EXPECT_EQ(m.EmailDestinatario, "cliente@exemplo.com.br");
  EXPECT_EQ(m.Assunto, "NF-e");
  EXPECT_EQ(m.Mensagem, "Segue a nota.");
  EXPECT_EQ(m.Usuario, "nfe");
  EXPECT_EQ(m.Senha, "senha-smtp");
  EXPECT_EQ(m.Porta, 587);
  EXPECT_TRUE(m.Autenticacao);
  EXPECT_EQ(m.TimeOut, 9000);
  EXPECT_EQ(m.CCo, "arquivo@exemplo.com.br");
  EXPECT_EQ(m.CC, "fiscal@exemplo.com.br");
  EXPECT_TRUE(m.ConteudoHtml);
  EXPECT_EQ(m.Seguranca, mox::TMailSecurity::Implicit);
  EXPECT_EQ(m.ArquivoCA, "ac.pem");
  EXPECT_NE(texto.find("Seguranca=tls"), std::string::npos);
  EXPECT_FALSE(n.AnexarDanfePDF());
  TDanfeSettings& d = n.DanfeSettings();
  EXPECT_EQ(d.FraseHomologacao(), "HOMOLOGAÇÃO");
  EXPECT_EQ(d.LogotipoEmitente(), pasta + "logo.png");
  EXPECT_EQ(d.FraseContingencia(), "CONTINGÊNCIA");
  EXPECT_EQ(d.ModeloRetrato(), pasta + "r.rtm");
  EXPECT_EQ(d.ModeloPaisagem(), pasta + "p.rtm");
  EXPECT_EQ(d.ModeloDanfeSimplificado(), pasta + "s.rtm");
  EXPECT_EQ(d.LineDelimiter(), "#");
  EXPECT_EQ(d.QtdeCopias(), 3);
  EXPECT_EQ(d.InfCplMaxCol(), 80);
  EXPECT_EQ(d.InfCplMaxRow(), 9);
  EXPECT_TRUE(d.ImprimirVolume());
  EXPECT_FALSE(d.ImprimirDuplicata());
  EXPECT_FALSE(d.MensagemPartilhaAutomatica());
  EXPECT_TRUE(d.ImprimirUnidadeTributada());
  EXPECT_EQ(d.ModeloRTMCCe(), pasta + "cce.rtm");
  EXPECT_TRUE(n.DanfeSimplificado());
  EXPECT_EQ(n.MaxSizeLoteEnvio(), 250);
  EXPECT_EQ(n.DiretorioXmlDestinatario(), pasta + "Dest/");
  EXPECT_EQ(n.DiretorioDownloads(), pasta + "Baixados/");
}

TEST_F(ComponentConfig, FileWithoutKeysGivesTheLoadDefaults) {
  const std::string arquivo = dir.file("vazio.ini");
  moxtest::WriteText(arquivo, "; nada configurado\n");
  TmoxNFe n;
  n.SetAmbiente(TAmbienteKind::akProducao);
  n.SetConexaoSegura(false);
  n.LoadConfig(arquivo);
  EXPECT_EQ(n.UF(), "SP");
  EXPECT_EQ(n.Ambiente(), TAmbienteKind::akHomologacao);
  EXPECT_TRUE(n.ConexaoSegura());
  EXPECT_EQ(n.VersaoManual(), TVersaoManual::vm50) << "the prior version stays";
  EXPECT_EQ(n.TipoCertificado(), TCertificadoKind::ckFile);
  // The default name, looked up beside the file, then among the user's and the installed data.
  EXPECT_EQ(n.ArquivoServidoresHom(), dir.str() + "nfeServidoresHom.ini") << "found nowhere: named beside the file";
  std::filesystem::create_directories(instalados);
  moxtest::WriteText(instalados + "nfeServidoresHom.ini", "[SP]\n");
  EXPECT_EQ(n.ArquivoServidoresHom(), instalados + "nfeServidoresHom.ini");
  EXPECT_EQ(n.DiretorioTemplates(), instalados + "Templates/vm50/");
  EXPECT_EQ(n.DiretorioLogErro(), dados + "LogErro/");
  EXPECT_EQ(n.PinCode(), "");
  EXPECT_EQ(n.EmailSettings().TimeOut, 30000);
  EXPECT_TRUE(n.DanfeSettings().MensagemPartilhaAutomatica());
  EXPECT_EQ(n.DiretorioDownloads(), dados + "Downloads/");

  // The user's own copy of a read-only data file comes before the installed one, and a file
  // beside the configuration before both.
  moxtest::WriteText(dados + "nfeServidoresHom.ini", "[SP]\n");
  EXPECT_EQ(n.ArquivoServidoresHom(), dados + "nfeServidoresHom.ini");
  moxtest::WriteText(dir.str() + "nfeServidoresHom.ini", "[SP]\n");
  EXPECT_EQ(n.ArquivoServidoresHom(), dir.str() + "nfeServidoresHom.ini");
}

TEST_F(ComponentConfig, PathsInsideAFileAreRelativeToItsFolder) {
  const std::string pasta = dir.str() + "empresa/";
  std::filesystem::create_directories(pasta);
  moxtest::WriteText(pasta + "nfe.ini",
                     "[NFE]\nCNPJ=12345678000195\nArquivoServidoresHom=servidores/hom.ini\nDiretorioLog=logs\n"
                     "DiretorioTemplates=modelos\nDiretorioLogErro=erros\nDiretorioXmlDestinatario=destinatario\n"
                     "DiretorioDownloads=../baixados\nCaminhoCertificado=empresa.pfx\n");
  TmoxNFe n;
  {
    // Where the program happens to run does not matter once the file is found.
    moxtest::InDir outra("/");
    n.LoadConfig(pasta + "nfe.ini");
  }
  EXPECT_EQ(n.ArquivoServidoresHom(), pasta + "servidores/hom.ini");
  EXPECT_EQ(n.DiretorioLog(), pasta + "logs/");
  EXPECT_EQ(n.DiretorioTemplates(), pasta + "modelos/vm50/");
  EXPECT_EQ(n.DiretorioLogErro(), pasta + "erros/");
  EXPECT_EQ(n.DiretorioXmlDestinatario(), pasta + "destinatario/");
  EXPECT_EQ(n.DiretorioDownloads(), dir.str() + "baixados/");
  EXPECT_EQ(n.GetKivo().HttpSettings.CertificatePath, pasta + "empresa.pfx");

  // Saved and loaded again from another folder, the file still names the same places.
  n.SaveConfig(pasta + "nfe.ini");
  TmoxNFe outra;
  outra.LoadConfig(pasta + "nfe.ini");
  EXPECT_EQ(outra.ArquivoServidoresHom(), pasta + "servidores/hom.ini");
  EXPECT_EQ(outra.DiretorioLog(), pasta + "logs/");
}

TEST_F(ComponentConfig, LoadFailuresTable) {
  struct Case {
    const char* name;
    std::string content;  // empty: the file does not exist
    std::string message;
  };
  const std::vector<Case> cases = {
      {"missing file", "", "Arquivo " + dir.file("caso.ini") + " não foi encontrado"},
      {"unknown UF", "[NFE]\nUF=XX\n", "Erro ao carregar configurações: a sigla da UF XX, é inválida."},
      {"unsupported manual", "[NFE]\nVersaoManual=5.0A\n",
       "Erro ao carregar configurações: Versão do Manual informada: 5.0A não é suportada. \rUtilize: 2.0.2a, 3.0, "
       "4.0, 5.0, 5.0a ou 6.0"},
      {"unknown operation mode", "[NFE]\nModoOperacao=DPEC\n",
       "Erro ao carregar configurações: Modo Operação informado: DPEC não é suportado. \rUtilize: Normal, EPEC, "
       "SVCAN ou SVCRS"},
      {"unknown mail protection", "[MAIL]\nSeguranca=ssl3\n",
       "Erro ao carregar configurações: Segurança do e-mail informada: ssl3 não é suportada. Utilize: automatica, "
       "nenhuma, starttls ou tls"},
      {"file cut in a key", "[NFE]\nUF=SP\nCNPJ=12345678000195\nAmbi",
       "Arquivo " + dir.file("caso.ini") + " incompleto ou inválido na linha: Ambi"},
      {"file cut in a section", "[NFE]\nUF=SP\n[MAI", "Arquivo " + dir.file("caso.ini") +
                                                       " incompleto ou inválido na linha: [MAI"},
      // Files that are not INI at all are refused before any of their lines is applied.
      {"an XML file", "<?xml version=\"1.0\"?>\n<NFe xmlns=\"http://www.portalfiscal.inf.br/nfe\">\n</NFe>\n",
       "Arquivo " + dir.file("caso.ini") + " não é um arquivo de configuração INI: o conteúdo é XML ou JSON, não INI."},
      {"XML on one line", "<NFe versao=\"4.00\"><UF>SP</UF></NFe>",
       "Arquivo " + dir.file("caso.ini") + " não é um arquivo de configuração INI: o conteúdo é XML ou JSON, não INI."},
      {"a JSON file", "{\n\"UF\": \"SP\"\n}\n",
       "Arquivo " + dir.file("caso.ini") + " não é um arquivo de configuração INI: o conteúdo é XML ou JSON, não INI."},
      {"keys before any section", "UF=SP\n[NFE]\nCNPJ=12345678000195\n",
       "Arquivo " + dir.file("caso.ini") +
           " não é um arquivo de configuração INI: a chave UF está fora de uma seção (como [NFE])."},
      {"PIN not written by this component", "[NFE]\nPinCode=1234\n",
       "Erro ao carregar configurações: Valor cifrado inválido ou cifrado com outra chave."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(dir.file("caso.ini"));
    if (!c.content.empty()) moxtest::WriteText(dir.file("caso.ini"), c.content);
    TmoxNFe n;
    EXPECT_EQ(moxtest::MensagemDe<EmoxException>([&] { n.LoadConfig(dir.file("caso.ini")); }), c.message);
  }
  TmoxNFe n;
  EXPECT_EQ(moxtest::MensagemDe<EmoxException>([&] { n.LoadConfig("/dev/null"); }),
            "Arquivo /dev/null não é um arquivo comum (dispositivo, pasta ou canal).");
  EXPECT_EQ(moxtest::MensagemDe<EmoxException>([&] { n.LoadConfig(static_cast<TmoxIniFile*>(nullptr)); }),
            "O parâmetro não pode ser nil para realizar o LoadConfig");
  EXPECT_EQ(moxtest::MensagemDe<EmoxException>([&] { n.SaveConfig(static_cast<TmoxIniFile*>(nullptr)); }),
            "O parâmetro não pode ser nil para realizar o SaveConfig");
}

TEST_F(ComponentConfig, CallerIniObjectIsUsedOnceAndNotTaken) {
  TmoxIniFile ini = TmoxIniFile::FromText("[NFE]\nUF=ba\nCNPJ=11222333000181\n");
  TmoxNFe n;
  n.LoadConfig(&ini);
  EXPECT_EQ(n.UF(), "BA");
  EXPECT_EQ(n.CNPJ(), "11222333000181");
  n.SetCNPJ("12345678000195");
  TmoxIniFile saida;
  n.SaveConfig(&saida);
  EXPECT_EQ(saida.ReadString("NFE", "CNPJ", ""), "12345678000195");
  EXPECT_EQ(ini.ReadString("NFE", "CNPJ", ""), "11222333000181") << "the caller's object keeps its content";
  EXPECT_FALSE(n.ConfigINI().SectionExists("NFE")) << "a new empty INI replaced the caller's";
}

TEST_F(ComponentConfig, IniPathRules) {
  TmoxNFe n;
  moxtest::WriteText(dir.file("existe.ini"), "");
  std::filesystem::create_directories(dir.file("sub"));
  struct Case {
    std::string input, expected;
  };
  // The per-user configuration folder takes the place of the program folder; a name that exists
  // or has a folder is taken from the current folder.
  const std::vector<Case> cases = {
      {"", config + "nfeConfig.ini"},
      {dir.file("existe.ini"), dir.file("existe.ini")},
      {"existe.ini", dir.file("existe.ini")},
      {"./existe.ini", dir.file("existe.ini")},
      {dir.str(), dir.str() + "nfeConfig.ini"},
      {"sub", dir.str() + "sub/nfeConfig.ini"},
      {dir.file("novo.ini"), dir.file("novo.ini")},
      {"sub/novo.ini", dir.file("sub/novo.ini")},
      {"outro.ini", config + "outro.ini"},
      {"/pasta/que/nao/existe/x.ini", "/pasta/que/nao/existe/x.ini"},
  };
  moxtest::InDir aqui(dir.path());
  for (const auto& c : cases) EXPECT_EQ(n.GetINIFilePath(c.input), c.expected) << c.input;
}

TEST_F(ComponentConfig, FoldersFollowTheManualVersion) {
  const std::string templates = dir.str() + "Templates/vm50/";
  std::filesystem::create_directories(templates);
  TmoxNFe n;
  n.SetDiretorioTemplates(templates);
  n.SetVersaoManual(TVersaoManual::vm40);
  EXPECT_EQ(n.DiretorioTemplates(), dir.str() + "Templates/vm40/");
  n.SetVersaoManual(TVersaoManual::vm50a);
  EXPECT_EQ(n.DiretorioTemplates(), dir.str() + "Templates/vm50a/");
  n.SetVersaoManual(TVersaoManual::vm202a);
  EXPECT_EQ(n.DiretorioTemplates(), dir.str() + "Templates/vm30/");
  n.SetUF("SP");
  EXPECT_EQ(n.GetTemplateFolder(), dir.str() + "Templates/vm30/SP/");

  n.SetDiretorioXmlDestinatario(dir.str() + "dest");
  EXPECT_EQ(n.DiretorioXmlDestinatario(), dir.str() + "dest/");
  EXPECT_TRUE(std::filesystem::is_directory(dir.str() + "dest"));
  n.SetDiretorioLogErro(dir.str() + "erros");
  EXPECT_TRUE(std::filesystem::is_directory(dir.str() + "erros"));
}

TEST_F(ComponentConfig, UfTableAndSchemaPackages) {
  TmoxNFe n;
  n.SetUF("sp");
  EXPECT_EQ(n.UF(), "SP");
  EXPECT_EQ(n.GetLocalCode(), "35");
  n.SetUF("AN");
  EXPECT_EQ(n.GetLocalCode(), "91");
  EXPECT_EQ(moxtest::MensagemDe<EmoxException>([&] { n.SetUF("XY"); }), "a sigla da UF XY, é inválida.");
  EXPECT_EQ(n.UF(), "AN");

  struct Case {
    TVersaoManual versao;
    const char* pacote;
    bool aceito;
  };
  const std::vector<Case> cases = {
      {TVersaoManual::vm30, "pl_005f", true},   {TVersaoManual::vm30, "pl_006e", false},
      {TVersaoManual::vm40, "PL_006J", true},   {TVersaoManual::vm40, "pl_006m", false},
      {TVersaoManual::vm50, "pl_006t", true},   {TVersaoManual::vm50, "pl_008a", false},
      {TVersaoManual::vm50a, "pl_008i1", true}, {TVersaoManual::vm50a, "pl_006v", false},
      {TVersaoManual::vm60, "pl_009", true},    {TVersaoManual::vm60, "PL_010", true},
      {TVersaoManual::vm60, "pl_008i1", false}, {TVersaoManual::vm60, "pl_006v", false},
      {TVersaoManual::vm202a, "qualquer", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pacote);
    n.SetVersaoManual(c.versao);
    const std::string msg = moxtest::MensagemDe<EmoxException>([&] { n.ChecarVersaoEsquema(c.pacote); });
    EXPECT_EQ(msg == "nenhuma exceção", c.aceito) << msg;
  }
  n.SetVersaoManual(TVersaoManual::vm50);
  EXPECT_EQ(moxtest::MensagemDe<EmoxException>([&] { n.ChecarVersaoEsquema("pl_008a"); }),
            "Versão esquema não condiz com a versão manual definida, utilize ( pl_006m, pl_006n, pl_006p, pl_006q, "
            "pl_006r, pl_006s, pl_006v ).");
  n.SetVersaoManual(TVersaoManual::vm60);
  EXPECT_EQ(moxtest::MensagemDe<EmoxException>([&] { n.ChecarVersaoEsquema("pl_008i1"); }),
            "Versão esquema não condiz com a versão manual definida, utilize ( pl_009, pl_010 ).");
}

TEST_F(ComponentConfig, CheckConfigMessagesInOrder) {
  const std::string hom = dir.file("hom.ini"), prod = dir.file("prod.ini");
  moxtest::WriteText(hom, "[SP]\n");
  struct Case {
    std::function<void(TmoxNFe&)> ajuste;
    std::string message;
  };
  const std::vector<Case> cases = {
      {[](TmoxNFe&) {}, "O campo UF está vazio."},
      {[](TmoxNFe& n) { n.SetUF("SP"); }, "O campo CNPJ está vazio."},
      {[](TmoxNFe& n) {
         n.SetUF("SP");
         n.SetCNPJ("1234567800019");
       },
       "O CNPJ não possui 14 digitos. 1234567800019"},
      {[&](TmoxNFe& n) {
         n.SetUF("SP");
         n.SetCNPJ("12345678000195");
         n.SetDiretorioLog(dir.str() + "a/b/c/");
       },
       "O diretório para salvar os Logs, é inválido. " + dir.str() + "a/b/c/"},
      {[&](TmoxNFe& n) {
         n.SetUF("SP");
         n.SetCNPJ("12345678000195");
         n.SetDiretorioLog(dir.str() + "log/");
         n.SetArquivoServidoresHom(dir.file("nao.ini"));
       },
       "Caminho dos servidores de Homologação inválido. " + dir.file("nao.ini")},
      {[&](TmoxNFe& n) {
         n.SetUF("SP");
         n.SetCNPJ("12345678000195");
         n.SetDiretorioLog(dir.str() + "log/");
         n.SetArquivoServidoresHom(hom);
         n.SetAmbiente(TAmbienteKind::akProducao);
         n.SetArquivoServidoresProd(prod);
       },
       "Caminho dos servidores de Produção inválido. " + prod},
      {[&](TmoxNFe& n) {
         n.SetUF("SP");
         n.SetCNPJ("12345678000195");
         n.SetDiretorioLog(dir.str() + "log/");
         n.SetArquivoServidoresHom(hom);
         n.SetMaxSizeLoteEnvio(0);
       },
       "O tamanho máximo para o lote está com valor menor que um."},
      {[&](TmoxNFe& n) {
         n.SetUF("SP");
         n.SetCNPJ("12345678000195");
         n.SetDiretorioLog(dir.str() + "log/");
         n.SetArquivoServidoresHom(hom);
       },
       "nenhuma exceção"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    TmoxNFe n;
    c.ajuste(n);
    EXPECT_EQ(moxtest::MensagemDe<EmoxException>([&] { n.CheckConfig(); }), c.message);
  }
}

TEST_F(ComponentConfig, TemplatesAndPrintParameters) {
  const std::string pasta = dir.str() + "Templates/vm50/SP/";
  std::filesystem::create_directories(pasta);
  TmoxNFe n;
  n.SetDiretorioTemplates(dir.str() + "Templates/");
  n.SetUF("SP");
  EXPECT_EQ(moxtest::MensagemDe<EmoxException>([&] { n.GetVersaoNota(); }),
            "Arquivo de template não encontrado: " + pasta + "pedido_enviarnota.xml");
  moxtest::WriteText(pasta + "pedido_enviarnota.xml", "<enviNFe xmlns=\"x\" versao=\"3.10\"><idLote>%s</idLote>");
  EXPECT_EQ(n.GetVersaoNota(), "3.10");
  moxtest::WriteText(pasta + "pedido_enviarnota.xml", "<enviNFe/>");
  EXPECT_EQ(moxtest::MensagemDe<EmoxException>([&] { n.GetVersaoNota(); }),
            "Não foi encontrado o atributo \"versao\" no template: pedido_enviarnota.xml");

  n.DanfeSettings().SetQtdeCopias(2);
  n.DanfeSettings().SetImprimirVolume(true);
  n.LoadDanfeSettings();
  const auto& p = n.PrintSettings();
  ASSERT_EQ(p.size(), 16u);
  EXPECT_EQ(p[0], "QtdeCopias=2");
  EXPECT_EQ(p[1], "Versao=5.0");
  EXPECT_EQ(p[2], "ModeloRetrato=" + dir.str() + "Templates/vm50/Danfe/retrato.rtm");
  EXPECT_EQ(p[11], "ImprimirVolume=-1");
  EXPECT_EQ(p[12], "ImprimirDuplicata=-1");
  EXPECT_EQ(p[14], "ImprimirUnidadeTributada=0");
}

TEST_F(ComponentConfig, ReadOnlyLoadCreatesNoFolderWhileTheOrdinaryOneStillDoes) {
  const std::string pasta = dir.str() + "cfg/";
  std::filesystem::create_directories(pasta);
  moxtest::WriteText(pasta + "nfe.ini",
                     "[NFE]\nUF=SP\nDiretorioLogErro=erros\nDiretorioTemporario=tmp/a\n"
                     "DiretorioXmlDestinatario=dest\nDiretorioDownloads=baixados\n");
  const std::vector<std::string> pastas = {pasta + "erros", pasta + "tmp/a", pasta + "dest", pasta + "baixados"};
  for (const bool somenteLeitura : {true, false}) {
    SCOPED_TRACE(somenteLeitura ? "read-only" : "ordinary");
    TmoxNFe n;
    n.SetSomenteLeitura(somenteLeitura);
    n.LoadConfig(pasta + "nfe.ini");
    EXPECT_EQ(n.DiretorioLogErro(), pasta + "erros/");
    EXPECT_EQ(n.DiretorioTemporario(), pasta + "tmp/a/");
    EXPECT_EQ(n.DiretorioXmlDestinatario(), pasta + "dest/");
    EXPECT_EQ(n.DiretorioDownloads(), pasta + "baixados/");
    for (const auto& p : pastas) EXPECT_EQ(std::filesystem::is_directory(p), !somenteLeitura) << p;
    if (somenteLeitura) {
      EXPECT_FALSE(std::filesystem::exists(dados)) << "no per-user data folder either";
    }
  }
}
