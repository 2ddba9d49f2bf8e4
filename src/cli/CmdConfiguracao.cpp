// moxnfe configuracao mostrar|verificar|criar: the component's configuration file.
#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <utility>
#include <vector>

#include "base/EmoxException.h"
#include "cli/CliCommand.h"
#include "component/TmoxNFe.h"
#include "base/moxEnumTexts.h"
#include "external/TmoxIniFile.h"
#include "external/moxPaths.h"

namespace moxcli {

namespace {

using Par = std::pair<std::string, std::string>;

const char* SimNao(bool aValor) { return aValor ? "sim" : "não"; }
std::string Segredo(const std::string& aValor) { return aValor.empty() ? "" : "(definida)"; }

// The settings as the component sees them after loading; secrets are only said to be set.
std::vector<Par> Configuracao(mox::TmoxNFe& n) {
  using namespace mox;
  const TmoxEmailSettings& m = n.EmailSettings();
  TDanfeSettings& d = n.DanfeSettings();
  return {
      {"VersaoManual", VersaoManualToStr(n.VersaoManual())},
      {"UF", n.UF()},
      {"CNPJ", n.CNPJ()},
      {"Ambiente", n.Ambiente() == TAmbienteKind::akProducao ? "1 (produção)" : "2 (homologação)"},
      {"ModoOperacao", ModoOperacaoToString(n.ModoOperacao())},
      {"TipoCertificado", TipoCertificadoToString(n.TipoCertificado())},
      {"NomeCertificado", n.NomeCertificado().Lines().empty() ? "" : n.NomeCertificado().Lines().front()},
      {"CaminhoCertificado", n.CaminhoCertificado()},
      {"SenhaCertificado", Segredo(n.SenhaCertificado())},
      {"PinCode", Segredo(n.PinCode())},
      {"ArquivoServidoresHom", n.ArquivoServidoresHom()},
      {"ArquivoServidoresProd", n.ArquivoServidoresProd()},
      {"DiretorioTemplates", n.DiretorioTemplates()},
      {"DiretorioEsquemas", n.DiretorioEsquemas()},
      {"DiretorioLog", n.DiretorioLog()},
      {"DiretorioLogErro", n.DiretorioLogErro()},
      {"DiretorioTemporario", n.DiretorioTemporario()},
      {"DiretorioXmlDestinatario", n.DiretorioXmlDestinatario()},
      {"DiretorioDownloads", n.DiretorioDownloads()},
      {"ValidarEsquema", SimNao(n.ValidarEsquemaAntesEnvio())},
      {"IgnoreInvalidCertificates", SimNao(n.IgnoreInvalidCertificates())},
      {"ConexaoSegura", SimNao(n.ConexaoSegura())},
      {"TimeOut", std::to_string(n.TimeOut())},
      {"Proxy", n.Proxy()},
      {"Usuario", n.Usuario()},
      {"Senha", Segredo(n.Senha())},
      {"SalvarLogsEmDisco", SimNao(n.SalvarLogsEmDisco())},
      {"MaxSizeLoteEnvio", std::to_string(n.MaxSizeLoteEnvio())},
      {"AnexarDanfePDF", SimNao(n.AnexarDanfePDF())},
      {"MAIL.Servidor", m.ServidorSmtp},
      {"MAIL.Porta", std::to_string(m.Porta)},
      {"MAIL.EmailRemetente", m.EmailRemetente},
      {"MAIL.Usuario", m.Usuario},
      {"MAIL.Senha", Segredo(m.Senha)},
      {"MAIL.Autenticacao", SimNao(m.Autenticacao)},
      {"MAIL.TimeOut", std::to_string(m.TimeOut)},
      {"MAIL.Seguranca", SegurancaEmailToStr(m.Seguranca)},
      {"MAIL.ArquivoCA", m.ArquivoCA},
      {"DANFE.FraseHomologacao", d.FraseHomologacao()},
      {"DANFE.QtdeCopias", std::to_string(d.QtdeCopias())},
      {"DANFE.ModeloRetrato", d.ModeloRetrato()},
      {"DANFE.ModeloPaisagem", d.ModeloPaisagem()},
      {"DANFE.DanfeSimplificado", SimNao(n.DanfeSimplificado())},
  };
}

std::unique_ptr<mox::TmoxNFe> Carrega(const CliArgs& aArgs) {
  if (aArgs.Positional().size() > 1) throw CliUsageError{"informe um só arquivo de configuração"};
  auto n = std::make_unique<mox::TmoxNFe>();
  // Showing or checking a configuration must not create the folders it names.
  n->SetSomenteLeitura(true);
  n->SetVersaoManual(mox::StrToVersaoManual(kVersaoManualPadrao));
  n->SetSectionINI(aArgs.OptionOr("secao", "NFE"));
  n->LoadConfig(aArgs.Positional().empty() ? std::string() : CaminhoDigitado(aArgs.Positional().front()));
  return n;
}

// A file the user typed, as the configuration file will name it: relative to the configuration's
// folder when it lies there (the two can move together), absolute otherwise.
std::string ArquivoReferido(const std::string& aDigitado, const std::string& aConfiguracao) {
  const std::filesystem::path arquivo = CaminhoDigitado(aDigitado);
  const std::filesystem::path relativo = arquivo.lexically_relative(std::filesystem::path(aConfiguracao).parent_path());
  if (!relativo.empty() && *relativo.begin() != "..") return relativo.string();
  return arquivo.string();
}

int Mostrar(const CliArgs& aArgs, CliIo& aIo) {
  auto n = Carrega(aArgs);
  const auto pares = Configuracao(*n);
  if (aArgs.Json()) {
    aIo.out << "{";
    for (size_t i = 0; i < pares.size(); ++i)
      aIo.out << (i ? "," : "") << "\"" << JsonEscape(pares[i].first) << "\":\"" << JsonEscape(pares[i].second) << "\"";
    aIo.out << "}\n";
    return 0;
  }
  aIo.out << "Arquivo: " << n->ConfigINI().FileName() << "\n";
  for (const auto& [chave, valor] : pares) aIo.out << chave << " = " << valor << "\n";
  return 0;
}

// The certificate file the configuration names must be there: signing would fail later.
void VerificaCertificado(mox::TmoxNFe& n) {
  const std::string certificado = n.CaminhoCertificadoCompleto();
  if (certificado.empty() || mox::FileExists(certificado)) return;
  const char* motivo = mox::DirectoryExists(certificado) ? "é uma pasta, não um arquivo" : "não existe";
  throw mox::EmoxNFeCheckParams::CreateFmt("O certificado informado em CaminhoCertificado %s: %s", {motivo, certificado},
                                           n.DiretorioLogErro());
}

int Verificar(const CliArgs& aArgs, CliIo& aIo) {
  auto n = Carrega(aArgs);
  n->CheckConfig();
  VerificaCertificado(*n);
  if (aArgs.Json())
    aIo.out << "{\"valida\":true,\"arquivo\":\"" << JsonEscape(n->ConfigINI().FileName()) << "\"}\n";
  else
    aIo.out << "Configuração válida: " << n->ConfigINI().FileName() << "\n";
  return 0;
}

int Criar(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().size() > 1) throw CliUsageError{"informe um só arquivo de configuração"};
  mox::TmoxNFe n;
  const std::string arquivo =
      n.GetINIFilePath(aArgs.Positional().empty() ? std::string() : CaminhoDigitado(aArgs.Positional().front()));
  if (mox::FileExists(arquivo) && !aArgs.Flag("substituir"))
    throw std::runtime_error("o arquivo " + arquivo + " já existe (use --substituir para gravar por cima)");
  n.SetVersaoManual(mox::StrToVersaoManual(aArgs.OptionOr("versao-manual", kVersaoManualPadrao)));
  n.SetUF(aArgs.OptionOr("uf", "SP"));
  n.SetCNPJ(aArgs.OptionOr("cnpj", ""));
  // Without these, the names the component looks up beside the file and then among the
  // installed data.
  auto servidores = [&](const char* aOpcao, const char* aPadrao) {
    auto v = aArgs.Option(aOpcao);
    return v ? ArquivoReferido(*v, arquivo) : std::string(aPadrao);
  };
  n.SetArquivoServidoresHom(servidores("servidores-hom", "nfeServidoresHom.ini"));
  n.SetArquivoServidoresProd(servidores("servidores-prod", "nfeServidoresProd.ini"));
  if (auto c = aArgs.Option("certificado")) n.SetCaminhoCertificado(ArquivoReferido(*c, arquivo));
  mox::CreateDirectories(std::filesystem::path(arquivo).parent_path().string());
  n.SaveConfig(arquivo);
  if (aArgs.Json())
    aIo.out << "{\"arquivo\":\"" << JsonEscape(n.ConfigINI().FileName()) << "\"}\n";
  else
    aIo.out << "Configuração gravada em " << n.ConfigINI().FileName() << "\n";
  return 0;
}

const std::string kArquivo =
    "ARQUIVO é o arquivo de configuração (INI), a partir da pasta atual. Sem ele, vale\n"
    "~/.config/moxnfe/nfeConfig.ini. Caminhos escritos dentro do arquivo valem a partir da pasta\n"
    "do arquivo; sem eles, os arquivos de servidores e os modelos instalados e, para o que o\n"
    "componente grava, ~/.local/share/moxnfe.";

CliRegistrar mostrar{{{"configuracao", "mostrar"},
                      "carrega um arquivo de configuração e mostra os valores em vigor",
                      "[opções] [ARQUIVO]",
                      kArquivo + "\nSenhas e PIN aparecem só como \"(definida)\".",
                      {{"secao", "SECAO", "seção principal do arquivo (padrão: NFE)"}},
                      Mostrar}};

CliRegistrar verificar{{{"configuracao", "verificar"},
                        "carrega um arquivo de configuração e confere UF, CNPJ, pastas, servidores e certificado",
                        "[opções] [ARQUIVO]",
                        kArquivo + "\nSó lê: as pastas que faltam são conferidas, não criadas.\n"
                                   "Termina com status 1 e a mensagem do primeiro problema encontrado.",
                        {{"secao", "SECAO", "seção principal do arquivo (padrão: NFE)"}},
                        Verificar}};

CliRegistrar criar{{{"configuracao", "criar"},
                    "grava um arquivo de configuração com os valores padrão do componente",
                    "[opções] [ARQUIVO]",
                    kArquivo + "\nNão grava por cima de um arquivo que já existe, a não ser com --substituir.",
                    {{"uf", "UF", "UF do emitente (padrão: SP)"},
                     {"cnpj", "CNPJ", "CNPJ do emitente"},
                     {"versao-manual", "VERSAO", "2.0.2a, 3.0, 4.0, 5.0, 5.0a ou 6.0 (padrão: 6.0, leiaute 4.00)"},
                     {"certificado", "ARQUIVO", "arquivo PKCS#12 do certificado"},
                     {"servidores-hom", "ARQUIVO", "arquivo de servidores de homologação (padrão: o instalado)"},
                     {"servidores-prod", "ARQUIVO", "arquivo de servidores de produção (padrão: o instalado)"},
                     {"substituir", "", "grava por cima de um arquivo existente"}},
                    Criar}};

}  // namespace

}  // namespace moxcli
