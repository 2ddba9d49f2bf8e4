#include "component/TmoxCustomNFe.h"

#include "base/EmoxException.h"
#include "danfe/TmoxNFeDanfe.h"
#include "external/EKivoException.h"
#include "external/TmoxIniFile.h"
#include "external/TmoxKivoUtils.h"
#include "external/TmoxKivoX.h"
#include "external/moxPaths.h"
#include "utils/moxCodigoUF.h"
#include "utils/moxNFePaths.h"
#include "external/AsciiCase.h"
#include "webservices/TmoxNFE60Intf.h"

namespace mox {

TmoxCustomNFe::TmoxCustomNFe()
    : FNomeCertificado(std::make_unique<TmoxCertStringNFe>()),
      FServersIni(std::make_unique<TmoxIniFile>()),
      FDanfeSettings(std::make_unique<TDanfeSettings>()) {
  fVersaoManual = TVersaoManual::vm50;
  FCaracteresRemoverAcentos = kCaracteresRemoverAcentos;
  FAmbiente = TAmbienteKind::akHomologacao;
  PopulaListaUF(FLocalList);
  FModoOperacao = TModoOperacao::moNormal;
  FSalvarLogsEmDisco = true;
}

TmoxCustomNFe::~TmoxCustomNFe() {
  // Owned collaborators go in a fixed order; host-assigned objects are left alone.
  FDanfeNFe.reset();
  FConfigINI.reset();
  FEmailSettings.reset();
  FServersIni.reset();
  FDanfeSettings.reset();
  FUtils.reset();
  FKivo.reset();
  FNomeCertificado.reset();
  fNFe.reset();
}

void TmoxCustomNFe::SetVersaoManual(TVersaoManual aValue) {
  fVersaoManual = aValue;
  if (FDanfeNFe) FDanfeNFe->SetVersao(aValue);
}

void TmoxCustomNFe::SetDanfeSettings(std::unique_ptr<TDanfeSettings> aValue) {
  if (aValue) FDanfeSettings = std::move(aValue);
}

void TmoxCustomNFe::SetUF(const std::string& aValue) {
  if (GetCodeUF(aValue).empty()) throw EmoxCheckParams::CreateFmt("a sigla da UF %s, é inválida.", {aValue});
  FUF = UpperAscii(aValue);
}

std::string TmoxCustomNFe::GetLocalCode() const { return GetCodeUF(FUF); }

TmoxEmailSettings& TmoxCustomNFe::EmailSettings() {
  if (!FEmailSettings) FEmailSettings = std::make_unique<TmoxEmailSettings>();
  return *FEmailSettings;
}

TmoxIniFile& TmoxCustomNFe::ConfigINI() {
  if (!FConfigINI) FConfigINI = std::make_unique<TmoxIniFile>(GetINIFilePath(""));
  return *FConfigINI;
}

TmoxIniFile& TmoxCustomNFe::IniEmUso() { return FIniEmUso ? *FIniEmUso : ConfigINI(); }

// ---------------------------------------------------------------- servers

TmoxKivoUtils& TmoxCustomNFe::GetKivoUtils() {
  if (!FUtils) FUtils = std::make_unique<TmoxKivoUtils>();
  return *FUtils;
}

TmoxKivoX& TmoxCustomNFe::GetKivo() {
  if (!FKivo) {
    FKivo = std::make_unique<TmoxKivoX>();
    FKivo->OnCheckCertificate = [this](TmoxKivoX&, const std::string& aText) { DoOnCheckCertificate(aText); };
    FKivo->SignerSettings.AllowedTransformations = 3;
    // The server reads certificates from files or its store folder, and verifies SEFAZ's
    // servers only when told which authorities to trust.
    FIgnoreInvalidCertificates = true;
    FTipoCertificado = TCertificadoKind::ckFile;
    FNomeCertificado->OnSetText = [this](const std::string& aText) { SetNomeCert(aText); };
  }
  ConfigurarEmailSettings();
  ConfigurarPropriedades();
  return *FKivo;
}

void TmoxCustomNFe::ConfigurarEmailSettings() {
  TmoxEmailSettings& e = EmailSettings();
  auto& s = FKivo->EmailSettings;
  s.SenderEmail = e.EmailRemetente;
  s.Server = e.ServidorSmtp;
  s.Login = e.Usuario;
  s.Password = e.Senha;
  s.Subject = e.Assunto;
  s.Message = e.Mensagem;
  s.Port = e.Porta;
  s.Authentication = e.Autenticacao;
  s.BCC = e.CCo;
  s.CC = e.CC;
  s.Timeout = e.TimeOut;
  s.isContentHTML = e.ConteudoHtml;
  s.Security = e.Seguranca;
  s.CABundle = e.ArquivoCA.empty() ? std::string() : Caminho(e.ArquivoCA);
}

namespace {

// The certificate name as one text: the list's lines without the final line break.
std::string NomeSemQuebraFinal(const std::string& aText) {
  std::string t = aText;
  while (!t.empty() && (t.back() == '\n' || t.back() == '\r')) t.pop_back();
  return t;
}

}  // namespace

void TmoxCustomNFe::ConfigurarPropriedades() {
  std::string templates = DiretorioTemplates();
  RemoveVersaoManualDoPath(templates);
  auto& http = FKivo->HttpSettings;
  auto& signer = FKivo->SignerSettings;
  http.Pincode = FPincode;
  signer.Pincode = FPincode;
  FKivo->SetPkcs11Modules(FModuloPKCS11);
  http.Proxy = FProxy;
  signer.CertificateType = static_cast<int>(FTipoCertificado);
  http.CertificateType = static_cast<int>(FTipoCertificado);
  signer.AllowedElementsFile = templates + "elementospermitidos.bin";
  http.IgnoreInvalidCertificates = FIgnoreInvalidCertificates;
  http.SecuredConnection = FConexaoSegura;
  http.Timeout = FTimeout;
  http.ProxyPassword = FSenha;
  http.ProxyUser = FUsuario;
  GetKivoUtils().OnLogContent = [this](const std::string& aName, const std::string& aId, const std::string& aFile,
                                       const std::string& aContent) {
    DoOnLogContent(nullptr, aName, aId, aFile, aContent);
  };
  GetKivoUtils().SetSaveLogToFile(FSalvarLogsEmDisco);
  if (!FCaminhoCertificado.empty()) {
    http.CertificatePath = Caminho(FCaminhoCertificado);
    signer.CertificatePath = http.CertificatePath;
  }
  const std::string nome = NomeSemQuebraFinal(FNomeCertificado->Text());
  if (!nome.empty()) {
    http.CertificateName = nome;
    signer.CertificateName = nome;
  }
  if (!FSenhaCertificado.empty()) {
    http.CertificatePassword = FSenhaCertificado;
    signer.CertificatePassword = FSenhaCertificado;
  }
  fNFe = CriarConstrutor();
}

std::unique_ptr<TmoxNFEInterface> TmoxCustomNFe::CriarConstrutor() {
  switch (fVersaoManual) {
    case TVersaoManual::vm202a:
    case TVersaoManual::vm30: return std::make_unique<TmoxNFE30Intf>(fNFeData, *FKivo, GetKivoUtils());
    case TVersaoManual::vm40: return std::make_unique<TmoxNFE40Intf>(fNFeData, *FKivo, GetKivoUtils());
    case TVersaoManual::vm50: return std::make_unique<TmoxNFE50Intf>(fNFeData, *FKivo, GetKivoUtils());
    case TVersaoManual::vm50a: return std::make_unique<TmoxNFE50aIntf>(fNFeData, *FKivo, GetKivoUtils());
    case TVersaoManual::vm60: return std::make_unique<TmoxNFE60Intf>(fNFeData, *FKivo, GetKivoUtils());
  }
  return nullptr;
}

TmoxNFEInterface& TmoxCustomNFe::GetNFE() {
  if (!fNFe) throw EmoxNFeConfigException("Versão do Manual não definida", DiretorioLogErro());
  const bool producao = FAmbiente == TAmbienteKind::akProducao;
  const std::string arquivo = producao ? ArquivoServidoresProd() : ArquivoServidoresHom();
  const char* ambiente = producao ? "produção" : "homologação";
  if (arquivo.empty())
    throw EmoxNFeConfigException::CreateFmt("Arquivo de servidores de %s não informado", {ambiente},
                                            DiretorioLogErro());
  if (!FileExists(arquivo))
    throw EmoxNFeConfigException::CreateFmt("Arquivo \"%s\" de servidores de %s não encontrado", {arquivo, ambiente},
                                            DiretorioLogErro());
  return *fNFe;
}

void TmoxCustomNFe::SetNomeCert(const std::string& aText) {
  const std::string nome = NomeSemQuebraFinal(aText);
  FKivo->SignerSettings.CertificateName = nome;
  FKivo->HttpSettings.CertificateName = nome;
  if (!nome.empty()) CheckCertificate();
}

void TmoxCustomNFe::LoadServers() {
  const std::string arquivo =
      FAmbiente == TAmbienteKind::akProducao ? ArquivoServidoresProd() : ArquivoServidoresHom();
  std::string pasta = arquivo.substr(0, arquivo.find_last_of('/') + 1);
  const std::string nome = arquivo.substr(arquivo.find_last_of('/') + 1);
  const std::string path = (pasta.empty() ? std::string() : WithTrailingSlash(GetKivoUtils().ExpandPath(pasta))) + nome;
  if (!FileExists(path))
    throw EmoxFileNotFoundException::CreateFmt("O arquivo de servidores informado não existe: %s", {path},
                                               DiretorioLogErro());
  if (FServersIni && FServersIni->FileName() == path) return;
  FServersIni = std::make_unique<TmoxIniFile>(path);
}

TmoxIniFile& TmoxCustomNFe::GetServersIni() {
  LoadServers();
  return *FServersIni;
}

// ---------------------------------------------------------------- certificates

namespace {

template <typename F>
auto ComoErroDoRepositorio(F&& aOperacao, const std::string& aPathLog) {
  try {
    return aOperacao();
  } catch (const EKivoException& e) {
    throw EmoxCertStoreException(e.what(), aPathLog);
  }
}

}  // namespace

void TmoxCustomNFe::ListarCertificados(std::vector<std::string>* aList) {
  if (!aList) throw EmoxCheckParams("A lista do certificado não foi instanciada. ");
  ComoErroDoRepositorio(
      [&] {
        for (const auto& line : GetKivo().ListCertificates()) aList->push_back(line);
        return 0;
      },
      DiretorioLogErro());
}

bool TmoxCustomNFe::RemoverCertificado(const std::string& aCertificateName) {
  return ComoErroDoRepositorio([&] { return GetKivo().RemoveCertificate(aCertificateName); }, DiretorioLogErro());
}

TDateTime TmoxCustomNFe::GetVencimentoCertificado() {
  return ComoErroDoRepositorio([&] { return GetKivo().CertificateExpiration(); }, DiretorioLogErro());
}

void TmoxCustomNFe::CheckCertificate() {
  ComoErroDoRepositorio(
      [&] {
        GetKivo().CheckCertificate();
        return 0;
      },
      DiretorioLogErro());
}

// ---------------------------------------------------------------- callbacks

void TmoxCustomNFe::DoOnCheckCertificate(const std::string& aText) {
  if (!OnCheckCertificate) return;
  std::string text = aText;
  OnCheckCertificate(text);
}

void TmoxCustomNFe::DoOnLog(const std::string& aNome, const std::string& aID, const std::string& aFileName) {
  if (OnLog) OnLog(aNome, aID, aFileName);
}

void TmoxCustomNFe::DoOnLogContent(void* aSender, const std::string& aNome, const std::string& aID,
                                   const std::string& aFileName, const std::string& aContent) {
  if (OnLogContent) OnLogContent(aSender, aNome, aID, aFileName, aContent);
}

void TmoxCustomNFe::DoOnLogKivo(void*, const std::string& aName, const std::string& aId, const std::string& aFilename) {
  DoOnLog(aName, aId, aFilename);
}

}  // namespace mox
