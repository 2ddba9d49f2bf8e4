#pragma once
// The NF-e component's shell: its settings, the lazily created fiscal servers, configuration
// files and folders, and the certificate operations.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/TAuditorSettings.h"
#include "base/TDanfeSettings.h"
#include "base/TNFeData.h"
#include "base/TmoxCertStringNFe.h"
#include "base/TmoxEmailSettings.h"
#include "base/moxTypes.h"
#include "external/moxDateTime.h"

namespace mox {

class TmoxIniFile;
class TmoxKivoUtils;
class TmoxNFEInterface;
class TmoxKivoX;
class TmoxNFeDanfe;
class TmoxCofralX;

class TmoxCustomNFe {
 public:
  using TOnLogEventNFe =
      std::function<void(const std::string& aNome, const std::string& aID, const std::string& aFileName)>;
  using TOnLogContentEventNFe =
      std::function<void(void* aSender, const std::string& aNome, const std::string& aID,
                         const std::string& aFileName, const std::string& aContent)>;
  using TOnCheckCertificateEventNFe = std::function<void(std::string& aText)>;
  // Asks the host for the file an export goes to (aArquivo may hold a suggestion); false when the
  // user gives up, and then nothing is exported.
  using TOnSalvarComoEvent = std::function<bool(std::string& aArquivo)>;

  static constexpr const char* kVersao = "8.7.33.49873";
  static constexpr const char* kCaracteresRemoverAcentos =
      "áéíóúàèìòùâêîôûäëïöüãõñçÁÉÍÓÚÀÈÌÒÙÂÊÎÔÛÄËÏÖÜÃÕÑÇºª";

  TmoxCustomNFe();
  virtual ~TmoxCustomNFe();
  TmoxCustomNFe(const TmoxCustomNFe&) = delete;
  TmoxCustomNFe& operator=(const TmoxCustomNFe&) = delete;

  // ---- Properties.
  // On for programs that only read and show the configuration: the writable folders are
  // reported as configured but not created (they are created when the component writes).
  bool SomenteLeitura() const { return FSomenteLeitura; }
  void SetSomenteLeitura(bool aValue) { FSomenteLeitura = aValue; }
  TVersaoManual VersaoManual() const { return fVersaoManual; }
  virtual void SetVersaoManual(TVersaoManual aValue);
  bool AnexarDanfePDF() const { return fAnexarDanfe; }
  void SetAnexarDanfePDF(bool aValue) { fAnexarDanfe = aValue; }
  TDanfeSettings& DanfeSettings() { return *FDanfeSettings; }
  void SetDanfeSettings(std::unique_ptr<TDanfeSettings> aValue);
  TAuditorSettings* AuditorSettings() const { return FAuditorSettings; }
  void SetAuditorSettings(TAuditorSettings* aValue) { FAuditorSettings = aValue; }
  const std::string& UF() const { return FUF; }
  virtual void SetUF(const std::string& aValue);
  std::string Versao() const { return kVersao; }
  void SetVersao(const std::string&) {}
  const std::string& CaracteresRemoverAcentos() const { return FCaracteresRemoverAcentos; }
  void SetCaracteresRemoverAcentos(const std::string& aValue) { FCaracteresRemoverAcentos = aValue; }
  TCertificadoKind TipoCertificado() const { return FTipoCertificado; }
  void SetTipoCertificado(TCertificadoKind aValue) { FTipoCertificado = aValue; }
  // Absolute, with the current manual version's sub-folder; the installed templates while empty.
  std::string DiretorioTemplates();
  virtual void SetDiretorioTemplates(const std::string& aValue);
  bool IgnoreInvalidCertificates() const { return FIgnoreInvalidCertificates; }
  void SetIgnoreInvalidCertificates(bool aValue) { FIgnoreInvalidCertificates = aValue; }
  const std::string& CNPJ() const { return FCNPJ; }
  void SetCNPJ(const std::string& aValue) { FCNPJ = aValue; }
  // Absolute paths (see ArquivoDeDados); empty while not set.
  std::string ArquivoServidoresHom() const;
  void SetArquivoServidoresHom(const std::string& aValue) { FArquivoServidoresHom = aValue; }
  std::string ArquivoServidoresProd() const;
  void SetArquivoServidoresProd(const std::string& aValue) { FArquivoServidoresProd = aValue; }
  // Absolute; the per-user data folder + "Log/" while empty.
  std::string DiretorioLog() const;
  void SetDiretorioLog(const std::string& aValue) { FDiretorioLog = aValue; }
  TAmbienteKind Ambiente() const { return FAmbiente; }
  void SetAmbiente(TAmbienteKind aValue) { FAmbiente = aValue; }
  bool ValidarEsquemaAntesEnvio() const { return FValidarEsquemaAntesEnvio; }
  void SetValidarEsquemaAntesEnvio(bool aValue) { FValidarEsquemaAntesEnvio = aValue; }
  TmoxEmailSettings& EmailSettings();
  std::string DiretorioEsquemas();
  void SetDiretorioEsquemas(const std::string& aValue) { FDiretorioEsquemas = aValue; }
  bool ConexaoSegura() const { return FConexaoSegura; }
  void SetConexaoSegura(bool aValue) { FConexaoSegura = aValue; }
  TmoxCertStringNFe& NomeCertificado() { return *FNomeCertificado; }
  int TimeOut() const { return FTimeout; }
  void SetTimeOut(int aValue) { FTimeout = aValue; }
  const std::vector<std::string>& ErrosValidador() const { return FErrosValidador; }
  const std::string& SectionINI() const { return FSectionINI; }
  void SetSectionINI(const std::string& aValue) { FSectionINI = aValue; }
  // Created on first use at the default path (per-user configuration folder + "nfeConfig.ini").
  TmoxIniFile& ConfigINI();
  const std::string& Proxy() const { return FProxy; }
  void SetProxy(const std::string& aValue) { FProxy = aValue; }
  const std::string& Usuario() const { return FUsuario; }
  void SetUsuario(const std::string& aValue) { FUsuario = aValue; }
  const std::string& Senha() const { return FSenha; }
  void SetSenha(const std::string& aValue) { FSenha = aValue; }
  const std::string& PinCode() const { return FPincode; }
  void SetPinCode(const std::string& aValue) { FPincode = aValue; }
  // PKCS#11 modules of the A3 tokens and smart cards, separated by ";"; empty: the system's.
  const std::string& ModuloPKCS11() const { return FModuloPKCS11; }
  void SetModuloPKCS11(const std::string& aValue) { FModuloPKCS11 = aValue; }
  const std::string& CaminhoCertificado() const { return FCaminhoCertificado; }
  void SetCaminhoCertificado(const std::string& aValue) { FCaminhoCertificado = aValue; }
  // The certificate file as the component opens it (relative to the configuration's folder).
  std::string CaminhoCertificadoCompleto() const {
    return FCaminhoCertificado.empty() ? std::string() : Caminho(FCaminhoCertificado);
  }
  const std::string& SenhaCertificado() const { return FSenhaCertificado; }
  void SetSenhaCertificado(const std::string& aValue) { FSenhaCertificado = aValue; }
  // Absolute and created; the per-user data folder + "LogErro/" while empty.
  std::string DiretorioLogErro();
  void SetDiretorioLogErro(const std::string& aValue);
  // Expanded and created; the shared data folder while empty.
  std::string DiretorioTemporario();
  void SetDiretorioTemporario(const std::string& aValue);
  TModoOperacao ModoOperacao() const { return FModoOperacao; }
  void SetModoOperacao(TModoOperacao aValue) { FModoOperacao = aValue; }
  TEntregaXML EntregaXML() const { return FEntregaXML; }
  void SetEntregaXML(TEntregaXML aValue) { FEntregaXML = aValue; }
  // The host's custody control for EntregaXML exCofral; not owned.
  TmoxCofralX* ComponenteCofral() const { return FComponenteNS; }
  void SetComponenteCofral(TmoxCofralX* aValue) { FComponenteNS = aValue; }
  bool DanfeSimplificado() const { return FDanfeSimplificado; }
  void SetDanfeSimplificado(bool aValue) { FDanfeSimplificado = aValue; }
  bool SalvarLogsEmDisco() const { return FSalvarLogsEmDisco; }
  void SetSalvarLogsEmDisco(bool aValue) { FSalvarLogsEmDisco = aValue; }
  // The UF table, "AC=12" ... "AN=91".
  const std::vector<std::string>& LocalList() const { return FLocalList; }
  // Print parameters handed to the DANFE front.
  const std::vector<std::string>& PrintSettings() const { return FPrintSettings; }

  TOnLogEventNFe OnLog;
  TOnLogContentEventNFe OnLogContent;
  TOnCheckCertificateEventNFe OnCheckCertificate;
  // Without it an export needs its file name.
  TOnSalvarComoEvent OnSalvarComo;

  // The settings snapshot for the request builder (refreshed by UpdateNFeData).
  const TNFeData& NFeData() const { return fNFeData; }

  // ---- Servers.
  // Creates the services server on first use, then copies the e-mail, signer and HTTP settings.
  TmoxKivoX& GetKivo();
  TmoxKivoUtils& GetKivoUtils();
  // Loads the servers file of the current environment.
  void LoadServers();
  TmoxIniFile& GetServersIni();
  TmoxIniFile& ServersIni() { return *FServersIni; }
  // The request builder of VersaoManual (recreated by every GetKivo), once the servers file of
  // the environment is named and exists; EmoxNFeConfigException otherwise.
  TmoxNFEInterface& GetNFE();

  // ---- DANFE through the DANFE front (created on first use for the manual version). The print
  // parameters are rebuilt from DanfeSettings for every operation; a given model serves both
  // orientations; a cancellation event prints with Templates' "Danfe/RetratoCanc.rtm". The lot
  // number of the first four is not used.
  TmoxNFeDanfe* GetDanfeNFe();
  void ImprimirDanfe(const std::string& aNumLote, const std::string& aLoteNotas, const std::string& aArquivoModelo,
                     const std::string& aImpressora);
  void VisualizarDanfe(const std::string& aNumLote, const std::string& aLoteNotas, const std::string& aArquivoModelo);
  void EditarModeloDanfe(const std::string& aNumLote, const std::string& aLoteNotas,
                         const std::string& aArquivoModelo);
  // aFormato 1 PDF, 2 HTML; an empty file name is asked through OnSalvarComo.
  void ExportarDanfe(const std::string& aNumLote, const std::string& aLoteNotas, const std::string& aArquivoModelo,
                     int aFormato, const std::string& aExportarParaArquivo);
  // A preview of notes not yet authorized (no business checks, marked as without fiscal
  // value), and its export (failures as EmoxNFeExportarPreverDanfeException).
  void PreverDanfe(const std::string& aLoteNotas, const std::string& aArquivoModelo);
  void ExportarPreverDanfe(const std::string& aLoteNotas, const std::string& aArquivoModelo,
                           const std::string& aLocalNomeArquivo);
  // Every "*.xml" of the folder and its sub-folders printed, or exported as PDF into
  // aExportarArquivoPara when given. A file that fails is logged and the next follows; the
  // returned messages name each such file.
  std::vector<std::string> ImprimirDanfeXmlDiretorio(const std::string& aDiretorioXml,
                                                     const std::string& aArquivoModelo,
                                                     const std::string& aExportarArquivoPara,
                                                     const std::string& aImpressora);
  // A note issued in EPEC contingency, with the EPEC registration's protocol and date-time.
  void ImprimirEPEC(const std::string& aLoteNotas, const std::string& aProtEPEC, const std::string& aDataHoraEPEC,
                    const std::string& aArquivoModelo, const std::string& aImpressora);
  void VisualizarEPEC(const std::string& aLoteNotas, const std::string& aProtEPEC, const std::string& aDataHoraEPEC,
                      const std::string& aArquivoModelo);
  void ExportarEPEC(const std::string& aLoteNotas, const std::string& aProtEPEC, const std::string& aDataHoraEPEC,
                    const std::string& aArquivoModelo, int aFormato, const std::string& aExportarParaArquivo);
  // Always raises: the DANFE goes to the recipient with the note (EnviarNotaDestinatario).
  void EmailDanfe();

  // ---- Certificates.
  // Fills aList with one line per installed certificate; a null list raises EmoxCheckParams.
  void ListarCertificados(std::vector<std::string>* aList);
  bool RemoverCertificado(const std::string& aCertificateName);
  TDateTime GetVencimentoCertificado();
  void CheckCertificate();

  // ---- Configuration.
  virtual void LoadConfig(const std::string& aConfigFile);
  virtual void LoadConfig(TmoxIniFile* aIniContent);
  virtual void SaveConfig(const std::string& aConfigFile);
  virtual void SaveConfig(TmoxIniFile* aIniContent);
  virtual void CarregarConfiguracoes();
  virtual void SalvarConfiguracoes();
  virtual void CheckConfig();
  // The resolved path of a configuration file name (see the rules in the source).
  std::string GetINIFilePath(const std::string& aFile);

  // ---- Folders and templates.
  virtual void UpdatePathVersaoManual(std::string& aPath);
  virtual std::string GetTemplateFolder();
  std::string LoadTemplate(const std::string& aXMLFileName);
  virtual std::string GetURIEsquema();

  // ---- Schema validation.
  // DiretorioEsquemas + the XSD that "Mapping.txt" names for the command.
  std::string GetXSDFileName(const std::string& aMethodName);
  // Validates by the document's schemaLocation or by the command's XSD; on failure the
  // validator's errors are in ErrosValidador and EmoxSchemaValidationException is raised.
  void ValidarXMLNFe(const std::string& aXML, const std::string& aMethodName);
  std::string GetLocalCode() const;
  virtual void LoadDanfeSettings();
  // The print parameters as the DANFE front reads them.
  std::string PrintParams() const;

  // ---- Transaction logs.
  // Writes aConteudo as the log aLogFileName (a name drawn from aNome and aID when empty) into
  // DiretorioLog when SalvarLogsEmDisco, telling OnLog; tells OnLogContent in every case.
  // Returns the file name without folder.
  std::string Log(const std::string& aConteudo, const std::string& aNome, const std::string& aID,
                  const std::string& aLogFileName = {});

  // ---- Callback forwarding.
  void DoOnCheckCertificate(const std::string& aText);
  void DoOnLog(const std::string& aNome, const std::string& aID, const std::string& aFileName);
  void DoOnLogContent(void* aSender, const std::string& aNome, const std::string& aID, const std::string& aFileName,
                      const std::string& aContent);
  void DoOnLogKivo(void* aSender, const std::string& aName, const std::string& aId, const std::string& aFilename);

 protected:
  // The INI that CarregarConfiguracoes and SalvarConfiguracoes use: a caller's object during
  // LoadConfig/SaveConfig with an object, otherwise ConfigINI.
  TmoxIniFile& IniEmUso();
  // Every key of the configuration, read from or written to aIni (descendants add theirs).
  virtual void LerConfiguracoes(TmoxIniFile& aIni);
  virtual void EscreverConfiguracoes(TmoxIniFile& aIni);
  void SetNomeCert(const std::string& aText);
  void ConfigurarEmailSettings();
  void ConfigurarPropriedades();
  std::unique_ptr<TmoxNFEInterface> CriarConstrutor();
  // A read-only data folder (the installed one while the setting is empty) with the current
  // manual version's sub-folder.
  std::string PastaDaVersao(const std::string& aField, const char* aDefault);
  // A setting's path made absolute against the configuration file's folder (or the current folder).
  std::string Caminho(const std::string& aValor) const;
  // A read-only data file named in the settings: a relative name beside the configuration file (or
  // in the current folder) when it is there, else the user's or the installed data file of that
  // name; empty stays empty.
  std::string ArquivoDeDados(const std::string& aValor) const;
  // A writable folder: the setting made absolute, or the per-user data folder + aPadrao while empty.
  std::string PastaGravavel(const std::string& aValor, const char* aPadrao) const;
  // The writable folder with a trailing separator, created when missing unless SomenteLeitura;
  // returned even when it cannot be created, so the operation that uses it reports the failure
  // in its own words.
  std::string PastaCriada(const std::string& aPath) const;
  // Folder of the configuration file last loaded or saved by name; empty before.
  const std::string& PastaConfiguracao() const { return FPastaConfiguracao; }

  std::vector<std::string>& ErrosValidadorEmUso() { return FErrosValidador; }

  // ---- Print parameters and model choice.
  // Replaces the key's line of the print parameters, or adds it.
  void SetPrintParam(const std::string& aChave, const std::string& aValor);
  // A given model for both orientations; the simplified model (normal or SCAN emission only)
  // when DanfeSimplificado; then the cancellation model for a cancellation event, the CC-e
  // model for a correction letter.
  void GetParametroArquivoModeloRTM(const std::string& aArquivoModelo, const std::string& aXml);
  // The first tpEvento inside evento; empty for a note.
  std::string TipoEvento(const std::string& aXml);
  // The first tpEvento inside evento is 110111.
  bool isXMLCancelamento(const std::string& aXml);
  // The export file: aArquivo, or the host's choice; empty when the host's choice was cancelled.
  std::string ArquivoExportacao(const std::string& aArquivo);
  // The print parameters rebuilt with the model chosen for the lot; the lot without byte-order mark.
  std::string PreparaDanfe(const std::string& aLoteNotas, const std::string& aArquivoModelo);
  // PreparaDanfe after the EPEC checks, with the EPEC protocol and date-time.
  std::string PreparaEPEC(const std::string& aLoteNotas, const std::string& aProtEPEC,
                          const std::string& aDataHoraEPEC, const std::string& aArquivoModelo);
  void CheckParamsPrint(const std::string& aProtEPEC, const std::string& aDataHoraEPEC);
  // EmoxCheckParams unless 1 (PDF) or 2 (HTML).
  void CheckFormato(int aFormato);
  // The preview's text: the lot without accents inside a root element of the NF-e namespace.
  std::string TextoPrevia(const std::string& aLoteNotas);
  // The parameters and the XML handed to the front, then aOperacao.
  void ExecutaDanfe(const std::string& aXml, void (TmoxNFeDanfe::*aOperacao)());

  TmoxIniFile* FIniEmUso = nullptr;
  TNFeData fNFeData;
  std::string FPastaConfiguracao;

 private:
  bool FSomenteLeitura = false;
  std::unique_ptr<TmoxCertStringNFe> FNomeCertificado;
  std::unique_ptr<TmoxEmailSettings> FEmailSettings;
  bool FValidarEsquemaAntesEnvio = false;
  std::unique_ptr<TmoxIniFile> FConfigINI;
  std::string FCNPJ;
  TAmbienteKind FAmbiente = TAmbienteKind::akHomologacao;
  std::string FArquivoServidoresHom, FArquivoServidoresProd;
  std::string FUF;
  std::unique_ptr<TmoxIniFile> FServersIni;
  std::string FDiretorioLog;
  std::vector<std::string> FErrosValidador;
  std::string FSectionINI;
  std::vector<std::string> FLocalList;
  std::string fDirTemp;
  std::string FDiretorioLogErro;
  bool fAnexarDanfe = false;
  TVersaoManual fVersaoManual = TVersaoManual::vm50;
  bool FDanfeSimplificado = false;
  std::string FDiretorioTemplates, FDiretorioEsquemas;
  std::string FCaracteresRemoverAcentos;
  TModoOperacao FModoOperacao = TModoOperacao::moNormal;
  std::string FPincode, FProxy;
  std::string FModuloPKCS11;
  TCertificadoKind FTipoCertificado = TCertificadoKind::ckMemory;
  bool FIgnoreInvalidCertificates = false, FConexaoSegura = false;
  int FTimeout = 0;
  std::string FSenha, FCaminhoCertificado, FSenhaCertificado, FUsuario;
  bool FSalvarLogsEmDisco = true;
  TAuditorSettings* FAuditorSettings = nullptr;
  TEntregaXML FEntregaXML = TEntregaXML::exEmail;
  TmoxCofralX* FComponenteNS = nullptr;
  std::vector<std::string> FPrintSettings;
  std::unique_ptr<TmoxKivoX> FKivo;
  std::unique_ptr<TmoxKivoUtils> FUtils;
  std::unique_ptr<TDanfeSettings> FDanfeSettings;
  std::unique_ptr<TmoxNFEInterface> fNFe;
  std::unique_ptr<TmoxNFeDanfe> FDanfeNFe;
};

}  // namespace mox
