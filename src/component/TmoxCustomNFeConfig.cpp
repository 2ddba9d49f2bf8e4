// Loading and saving the component's configuration INI.
#include <sys/stat.h>

#include "base/EmoxException.h"
#include "component/TmoxCustomNFe.h"
#include "base/moxEnumTexts.h"
#include "external/TmoxIniFile.h"
#include "external/TmoxKivoUtils.h"
#include "external/TmoxKivoX.h"
#include "external/moxPaths.h"
#include "utils/moxNFePaths.h"

namespace mox {

namespace {

const char* kMail = "MAIL";
const char* kDanfe = "DANFE";

std::string NomeDoArquivo(const std::string& aPath) { return aPath.substr(aPath.find_last_of('/') + 1); }
std::string PastaDoArquivo(const std::string& aPath) {
  auto slash = aPath.find_last_of('/');
  return slash == std::string::npos ? std::string() : aPath.substr(0, slash + 1);
}

const char* Repositorio(TCertificadoKind aTipo) {
  switch (aTipo) {
    case TCertificadoKind::ckMemory: return "MEMORY_STORE";
    case TCertificadoKind::ckLocalMachine: return "LOCAL_MACHINE_STORE";
    case TCertificadoKind::ckFile: return "CURRENT_USER_STORE";
    case TCertificadoKind::ckActiveDiretory: return "ACTIVE_DIRECTORY_USER_STORE";
    case TCertificadoKind::ckSmartCard: return "SMART_CARD_USER_STORE";
  }
  return "CURRENT_USER_STORE";
}

// Restores the INI in use when a load or save with a caller's object ends.
class IniDoChamador {
 public:
  IniDoChamador(TmoxIniFile*& aSlot, TmoxIniFile* aIni) : slot_(aSlot) { slot_ = aIni; }
  ~IniDoChamador() { slot_ = nullptr; }
  IniDoChamador(const IniDoChamador&) = delete;
  IniDoChamador& operator=(const IniDoChamador&) = delete;

 private:
  TmoxIniFile*& slot_;
};

// Why the file read is not a configuration INI at all (an XML, a JSON, a text), or empty when it
// may be one. Every setting lives in a section, so a key before the first section is not ours.
std::string NaoEIni(const TmoxIniFile& aIni) {
  const std::vector<std::string> foraDeSecao = aIni.ReadSection("");
  const std::string primeira = !foraDeSecao.empty()        ? foraDeSecao.front()
                               : !aIni.InvalidLines().empty() ? aIni.InvalidLines().front()
                                                              : std::string();
  if (!primeira.empty() && (primeira[0] == '<' || primeira[0] == '{'))
    return "o conteúdo é XML ou JSON, não INI";
  if (!foraDeSecao.empty()) return "a chave " + foraDeSecao.front() + " está fora de uma seção (como [NFE])";
  return {};
}

}  // namespace

// The rules of the original program folder, with the per-user configuration folder in its place;
// a name with a folder is taken from the current folder.
std::string TmoxCustomNFe::GetINIFilePath(const std::string& aFile) {
  const std::string pastaConfig = UserConfigDir();
  const std::string file = NormalizeSeparators(aFile);
  const std::string nome = NomeDoArquivo(file), pasta = PastaDoArquivo(file);
  if (file.empty()) return pastaConfig + "nfeConfig.ini";
  if (FileExists(file)) return AbsolutePath(file);
  if (DirectoryExists(file)) return WithTrailingSlash(AbsolutePath(file)) + "nfeConfig.ini";
  if (!pasta.empty() && DirectoryExists(pasta) && !nome.empty()) return AbsolutePath(file);
  if (!nome.empty() && FileExists(pastaConfig + nome)) return pastaConfig + nome;
  if (!nome.empty() && pasta.empty()) return pastaConfig + nome;
  // A name in a folder that does not exist stays as given: falling back to the user's own
  // nfeConfig.ini would load another configuration, or overwrite it on save.
  return nome.empty() ? pastaConfig + "nfeConfig.ini" : AbsolutePath(file);
}

void TmoxCustomNFe::LoadConfig(const std::string& aConfigFile) {
  const std::string path = GetINIFilePath(aConfigFile);
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    throw EmoxConfigINIException::CreateFmt("Arquivo %s não foi encontrado", {path}, DiretorioLogErro());
  // A device or a pipe exists: saying it was not found would send the user looking elsewhere.
  if (!S_ISREG(st.st_mode))
    throw EmoxConfigINIException::CreateFmt("Arquivo %s não é um arquivo comum (dispositivo, pasta ou canal).", {path},
                                            DiretorioLogErro());
  std::unique_ptr<TmoxIniFile> ini;
  try {
    ini = std::make_unique<TmoxIniFile>(path);
  } catch (const std::exception& e) {
    throw EmoxNFeConfigException(std::string("Erro ao carregar configurações: ") + e.what(), DiretorioLogErro());
  }
  if (const std::string motivo = NaoEIni(*ini); !motivo.empty())
    throw EmoxConfigINIException::CreateFmt("Arquivo %s não é um arquivo de configuração INI: %s.", {path, motivo},
                                            DiretorioLogErro());
  // A file cut short (or being written) would leave the component half configured without
  // a word; such a file is refused before anything is applied.
  if (!ini->InvalidLines().empty())
    throw EmoxConfigINIException::CreateFmt("Arquivo %s incompleto ou inválido na linha: %s",
                                            {path, ini->InvalidLines().front()}, DiretorioLogErro());
  FConfigINI = std::move(ini);
  FPastaConfiguracao = PastaDoArquivo(path);
  CarregarConfiguracoes();
}

void TmoxCustomNFe::LoadConfig(TmoxIniFile* aIniContent) {
  if (!aIniContent) throw EmoxConfigINIException("O parâmetro não pode ser nil para realizar o LoadConfig");
  {
    IniDoChamador uso(FIniEmUso, aIniContent);
    CarregarConfiguracoes();
  }
  FConfigINI = std::make_unique<TmoxIniFile>();
}

void TmoxCustomNFe::SaveConfig(const std::string& aConfigFile) {
  if (!aConfigFile.empty()) {
    const std::string path = GetINIFilePath(aConfigFile);
    FConfigINI = std::make_unique<TmoxIniFile>(path);
    FPastaConfiguracao = PastaDoArquivo(path);
  }
  // The per-user configuration folder may not exist yet on a fresh account.
  if (PastaDoArquivo(ConfigINI().FileName()) == UserConfigDir()) CreateDirectories(UserConfigDir());
  SalvarConfiguracoes();
}

void TmoxCustomNFe::SaveConfig(TmoxIniFile* aIniContent) {
  if (!aIniContent) throw EmoxConfigINIException("O parâmetro não pode ser nil para realizar o SaveConfig");
  {
    IniDoChamador uso(FIniEmUso, aIniContent);
    SalvarConfiguracoes();
  }
  FConfigINI = std::make_unique<TmoxIniFile>();
}

void TmoxCustomNFe::CarregarConfiguracoes() {
  try {
    LerConfiguracoes(IniEmUso());
  } catch (const std::exception& e) {
    throw EmoxNFeConfigException(std::string("Erro ao carregar configurações: ") + e.what(), DiretorioLogErro());
  }
}

void TmoxCustomNFe::SalvarConfiguracoes() {
  try {
    TmoxIniFile& ini = IniEmUso();
    EscreverConfiguracoes(ini);
    ini.UpdateFile();
  } catch (const std::exception& e) {
    throw EmoxNFeConfigException(std::string("Erro ao salvar configurações: ") + e.what(), DiretorioLogErro());
  }
}

void TmoxCustomNFe::LerConfiguracoes(TmoxIniFile& ini) {
  {
    const std::string& S = FSectionINI;
    // A missing folder key means the default place of its kind (installed data or per-user data),
    // never a folder beside the file; the servers files keep their names, looked up beside the
    // file and then among the installed data (docs/caminhos.md).
    SetVersaoManual(StrToVersaoManual(ini.ReadString(S, "VersaoManual", VersaoManualToStr(fVersaoManual))));
    FTipoCertificado = StrToTipoCertificado(ini.ReadString(S, "TipoCertificado", ""));
    SetDiretorioTemplates(ini.ReadString(S, "DiretorioTemplates", ""));
    FDiretorioEsquemas = ini.ReadString(S, "DiretorioEsquemas", "");
    FCNPJ = ini.ReadString(S, "CNPJ", "");
    FArquivoServidoresHom = ini.ReadString(S, "ArquivoServidoresHom", "nfeServidoresHom.ini");
    FArquivoServidoresProd = ini.ReadString(S, "ArquivoServidoresProd", "nfeServidoresProd.ini");
    FDiretorioLog = ini.ReadString(S, "DiretorioLog", "");
    FAmbiente = ini.ReadInteger(S, "Ambiente", 2) == 1 ? TAmbienteKind::akProducao : TAmbienteKind::akHomologacao;
    FValidarEsquemaAntesEnvio = ini.ReadBool(S, "ValidarEsquema", false);
    FIgnoreInvalidCertificates = ini.ReadBool(S, "IgnoreInvalidCertificates", false);
    // The PIN and the token modules before the name: naming an A3 certificate checks it at
    // once, logging in to its token, which must not happen with the previous PIN.
    // An empty entry stands for no PIN: there is nothing to decrypt.
    const std::string pin = ini.ReadString(S, "PinCode", "");
    FPincode = pin.empty() ? std::string() : GetKivoUtils().Decrypt(pin);
    FModuloPKCS11 = ini.ReadString(S, "ModuloPKCS11", "");
    FNomeCertificado->SetText(ini.ReadString(S, "NomeCertificado", ""));
    FConexaoSegura = ini.ReadBool(S, "ConexaoSegura", true);
    FProxy = ini.ReadString(S, "Proxy", "");
    FSenha = ini.ReadString(S, "Senha", "");
    FUsuario = ini.ReadString(S, "Usuario", "");
    FTimeout = static_cast<int>(ini.ReadInteger(S, "TimeOut", 0));
    FCaracteresRemoverAcentos = ini.ReadString(S, "CaracteresRemoverAcentos", kCaracteresRemoverAcentos);
    SetUF(ini.ReadString(S, "UF", "SP"));
    FCaminhoCertificado = ini.ReadString(S, "CaminhoCertificado", "");
    FSenhaCertificado = ini.ReadString(S, "SenhaCertificado", "");
    SetDiretorioLogErro(ini.ReadString(S, "DiretorioLogErro", ""));
    SetDiretorioTemporario(ini.ReadString(S, "DiretorioTemporario", ""));
    FModoOperacao = StrToModoOperacao(ini.ReadString(S, "ModoOperacao", "Normal"));
    FSalvarLogsEmDisco = ini.ReadBool(S, "SalvarLogsEmDisco", true);

    TmoxEmailSettings& mail = EmailSettings();
    mail.ServidorSmtp = ini.ReadString(kMail, "Servidor", "");
    mail.EmailRemetente = ini.ReadString(kMail, "EmailRemetente", "");
    mail.EmailDestinatario = ini.ReadString(kMail, "EmailDestinatario", "");
    mail.Assunto = ini.ReadString(kMail, "Assunto", "");
    mail.Mensagem = ini.ReadString(kMail, "Mensagem", "");
    mail.Usuario = ini.ReadString(kMail, "Usuario", "");
    mail.Senha = ini.ReadString(kMail, "Senha", "");
    mail.Porta = static_cast<int>(ini.ReadInteger(kMail, "Porta", 0));
    mail.Autenticacao = ini.ReadBool(kMail, "Autenticacao", false);
    mail.TimeOut = static_cast<int>(ini.ReadInteger(kMail, "TimeOut", 30000));
    mail.CCo = ini.ReadString(kMail, "CCo", "");
    mail.CC = ini.ReadString(kMail, "CC", "");
    mail.ConteudoHtml = ini.ReadBool(kMail, "ConteudoHtml", false);
    mail.Seguranca = StrToSegurancaEmail(ini.ReadString(kMail, "Seguranca", ""));
    mail.ArquivoCA = ini.ReadString(kMail, "ArquivoCA", "");

    fAnexarDanfe = ini.ReadBool(S, "AnexarDanfePDF", true);
    TDanfeSettings& d = *FDanfeSettings;
    d.SetFraseHomologacao(ini.ReadString(kDanfe, "FraseHomologacao", d.FraseHomologacao()));
    d.SetLogotipoEmitente(ini.ReadString(kDanfe, "LogotipoEmitente", ""));
    d.SetFraseContingencia(ini.ReadString(kDanfe, "FraseContingencia", d.FraseContingencia()));
    d.SetModeloRetrato(ini.ReadString(kDanfe, "ModeloRetrato", d.ModeloRetratoArmazenado()));
    d.SetModeloPaisagem(ini.ReadString(kDanfe, "ModeloPaisagem", d.ModeloPaisagemArmazenado()));
    d.SetModeloDanfeSimplificado(ini.ReadString(kDanfe, "ModeloDanfeSimplificado", d.ModeloDanfeSimplificado()));
    d.SetLineDelimiter(ini.ReadString(kDanfe, "LineDelimiter", d.LineDelimiter()));
    d.SetQtdeCopias(static_cast<int>(ini.ReadInteger(kDanfe, "QtdeCopias", 1)));
    d.SetInfCplMaxCol(static_cast<int>(ini.ReadInteger(kDanfe, "InfCplMaxCol", 68)));
    d.SetInfCplMaxRow(static_cast<int>(ini.ReadInteger(kDanfe, "InfCplMaxRow", 7)));
    d.SetImprimirVolume(ini.ReadBool(kDanfe, "ImprimirVolume", false));
    d.SetImprimirDuplicata(ini.ReadBool(kDanfe, "ImprimirDuplicata", true));
    d.SetMensagemPartilhaAutomatica(ini.ReadBool(kDanfe, "mensagemPartilhaAutomatica", true));
    d.SetImprimirUnidadeTributada(ini.ReadBool(kDanfe, "ImprimirUnidadeTributada", false));
    FDanfeSimplificado = ini.ReadBool(kDanfe, "DanfeSimplificado", false);
    d.SetModeloRTMCCe(ini.ReadString(kDanfe, "ModeloRTMCCe", d.ModeloRTMCCe()));
  }
}

void TmoxCustomNFe::EscreverConfiguracoes(TmoxIniFile& ini) {
  {
    const std::string& S = FSectionINI;
    ini.WriteString(S, "Repositorio", Repositorio(FTipoCertificado));
    ini.WriteBool(S, "IgnoreInvalidCertificates", FIgnoreInvalidCertificates);
    ini.WriteString(S, "CNPJ", FCNPJ);
    ini.WriteString(S, "ArquivoServidoresHom", FArquivoServidoresHom);
    ini.WriteString(S, "ArquivoServidoresProd", FArquivoServidoresProd);
    ini.WriteInteger(S, "Ambiente", FAmbiente == TAmbienteKind::akProducao ? 1 : 2);
    ini.WriteString(S, "DiretorioLog", FDiretorioLog);
    ini.WriteBool(S, "ValidarEsquema", FValidarEsquemaAntesEnvio);
    ini.WriteString(S, "DiretorioTemplates", FDiretorioTemplates);
    ini.WriteString(S, "DiretorioEsquemas", FDiretorioEsquemas);
    std::string nome = FNomeCertificado->Text();
    if (auto lf = nome.find('\n'); lf != std::string::npos) nome.erase(lf, 1);
    ini.WriteString(S, "NomeCertificado", nome);
    ini.WriteString(S, "PinCode", FPincode.empty() ? std::string() : GetKivoUtils().Encrypt(FPincode));
    ini.WriteString(S, "DiretorioLogErro", DiretorioLogErro());
    ini.WriteString(S, "DiretorioTemporario", DiretorioTemporario());
    ini.WriteString(S, "ModoOperacao", ModoOperacaoToString(FModoOperacao));
    ini.WriteBool(S, "SalvarLogsEmDisco", FSalvarLogsEmDisco);
    ini.WriteString(S, "TipoCertificado", TipoCertificadoToString(FTipoCertificado));
    ini.WriteString(S, "ModuloPKCS11", FModuloPKCS11);
    const auto& http = GetKivo().HttpSettings;
    if (!http.CertificatePath.empty()) {
      ini.WriteString(S, "CaminhoCertificado", http.CertificatePath);
      ini.WriteString(S, "SenhaCertificado", http.CertificatePassword);
    }
    ini.WriteBool(S, "ConexaoSegura", FConexaoSegura);
    ini.WriteString(S, "Proxy", FProxy);
    ini.WriteString(S, "Senha", FSenha);
    ini.WriteString(S, "Usuario", FUsuario);
    ini.WriteInteger(S, "TimeOut", FTimeout);
    ini.WriteString(S, "CaracteresRemoverAcentos", FCaracteresRemoverAcentos);
    ini.WriteString(S, "VersaoManual", VersaoManualToStr(fVersaoManual));
    ini.WriteString(S, "UF", FUF);

    TDanfeSettings& d = *FDanfeSettings;
    ini.WriteString(kDanfe, "LogotipoEmitente", d.LogotipoEmitente());
    ini.WriteString(kDanfe, "FraseContingencia", d.FraseContingencia());
    ini.WriteString(kDanfe, "FraseHomologacao", d.FraseHomologacao());
    ini.WriteString(kDanfe, "ModeloRetrato", d.ModeloRetratoArmazenado());
    ini.WriteString(kDanfe, "ModeloPaisagem", d.ModeloPaisagemArmazenado());
    ini.WriteString(kDanfe, "ModeloDanfeSimplificado", d.ModeloDanfeSimplificado());
    ini.WriteString(kDanfe, "LineDelimiter", d.LineDelimiter());
    ini.WriteInteger(kDanfe, "QtdeCopias", d.QtdeCopias());
    ini.WriteInteger(kDanfe, "InfCplMaxCol", d.InfCplMaxCol());
    ini.WriteInteger(kDanfe, "InfCplMaxRow", d.InfCplMaxRow());
    ini.WriteBool(kDanfe, "ImprimirVolume", d.ImprimirVolume());
    ini.WriteBool(kDanfe, "ImprimirDuplicata", d.ImprimirDuplicata());
    ini.WriteBool(kDanfe, "mensagemPartilhaAutomatica", d.MensagemPartilhaAutomatica());
    ini.WriteBool(kDanfe, "ImprimirUnidadeTributada", d.ImprimirUnidadeTributada());
    ini.WriteBool(kDanfe, "DanfeSimplificado", FDanfeSimplificado);
    ini.WriteString(kDanfe, "ModeloRTMCCe", d.ModeloRTMCCe());

    TmoxEmailSettings& mail = EmailSettings();
    ini.WriteString(kMail, "Servidor", mail.ServidorSmtp);
    ini.WriteString(kMail, "EmailRemetente", mail.EmailRemetente);
    ini.WriteString(kMail, "Assunto", mail.Assunto);
    ini.WriteString(kMail, "Mensagem", mail.Mensagem);
    ini.WriteString(kMail, "Usuario", mail.Usuario);
    ini.WriteString(kMail, "Senha", mail.Senha);
    ini.WriteInteger(kMail, "TimeOut", mail.TimeOut);
    ini.WriteString(kMail, "EmailDestinatario", mail.EmailDestinatario);
    ini.WriteString(kMail, "CCo", mail.CCo);
    ini.WriteString(kMail, "CC", mail.CC);
    ini.WriteBool(kMail, "Autenticacao", mail.Autenticacao);
    ini.WriteInteger(kMail, "Porta", mail.Porta);
    ini.WriteBool(kMail, "ConteudoHtml", mail.ConteudoHtml);
    ini.WriteString(kMail, "Seguranca", SegurancaEmailToStr(mail.Seguranca));
    ini.WriteString(kMail, "ArquivoCA", mail.ArquivoCA);
    ini.WriteBool(S, "AnexarDanfePDF", fAnexarDanfe);
  }
}

void TmoxCustomNFe::CheckConfig() {
  const std::string log = DiretorioLogErro();
  if (FUF.empty()) throw EmoxNFeException("O campo UF está vazio.", log);
  if (FCNPJ.empty()) throw EmoxNFeException("O campo CNPJ está vazio.", log);
  if (FCNPJ.size() != 14) throw EmoxNFeException::CreateFmt("O CNPJ não possui 14 digitos. %s", {FCNPJ}, log);
  const std::string pastaLog = DiretorioLog();
  // One level only: the parent of the log folder must already exist. Read-only programs check
  // that it could be made instead of making it; the default one lies in the per-user data folder,
  // which the component makes whole when it first writes there.
  const bool pastaLogValida =
      DirectoryExists(pastaLog) ||
      (SomenteLeitura() ? CanCreateDirectories(pastaLog, FDiretorioLog.empty() ? -1 : 1)
                        : ::mkdir(NormalizeSeparators(pastaLog).c_str(), 0755) == 0);
  if (!pastaLogValida)
    throw EmoxNFeException::CreateFmt("O diretório para salvar os Logs, é inválido. %s", {pastaLog}, log);
  if (!FileExists(ArquivoServidoresHom()))
    throw EmoxNFeException::CreateFmt("Caminho dos servidores de Homologação inválido. %s", {ArquivoServidoresHom()}, log);
  if (FAmbiente == TAmbienteKind::akProducao && !FileExists(ArquivoServidoresProd()))
    throw EmoxNFeException::CreateFmt("Caminho dos servidores de Produção inválido. %s", {ArquivoServidoresProd()}, log);
}

}  // namespace mox
