#pragma once
// The NF-e component as hosts place it: the shell plus the recipient and download folders, the
// batch size limit and the settings snapshot for the request builders.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "component/TmoxCustomNFe.h"
#include "events/TmoxNFeEventos.h"
#include "webservices/moxLogsTransacao.h"

namespace mox {

class TmoxNFeXmlUtils;
class TmoxNFeConverter;
class TmoxNFeDataSets;
enum class TLayoutConvKind;
class TmoxNFeXmlDestinatario;
struct TContextoValidacao;
class TmoxValidadorClientX;

class TmoxNFe : public TmoxCustomNFe {
 public:
  using TOnXmlDestinatarioEvent = std::function<void(const std::string&)>;
  using TOnXmlCanDestinatarioEvent = std::function<void(const std::string&)>;
  using TOnDownloadNFeEvent = std::function<void(const std::string&)>;

  TmoxNFe();
  ~TmoxNFe() override;

  void SetVersaoManual(TVersaoManual aValue) override;

  // Absolute, with a trailing separator, created on demand; per-user data folder +
  // "XmlDestinatario/" while empty.
  std::string DiretorioXmlDestinatario();
  void SetDiretorioXmlDestinatario(const std::string& aValue);
  // Absolute and created; per-user data folder + "Downloads/" while empty.
  std::string DiretorioDownloads();
  void SetDiretorioDownloads(const std::string& aValue);
  // Kilobytes.
  int MaxSizeLoteEnvio() const { return fMaxSizeLoteEnvio; }
  void SetMaxSizeLoteEnvio(int aValue) { fMaxSizeLoteEnvio = aValue; }

  TOnXmlDestinatarioEvent OnXmlDestinatario;
  TOnXmlCanDestinatarioEvent OnXmlCanDestinatario;
  TOnDownloadNFeEvent OnDownloadNFe;

  void LoadConfig(const std::string& aConfigFile) override;
  void LoadConfig(TmoxIniFile* aIniContent) override;
  void SaveConfig(const std::string& aConfigFile) override;
  void SaveConfig(TmoxIniFile* aIniContent) override;
  void CheckConfig() override;

  // Refreshes the settings snapshot handed to the request builder.
  virtual void UpdateNFeData();
  // Raises unless the schema package belongs to the manual version.
  virtual void ChecarVersaoEsquema(const std::string& aVersaoEsquema);
  // The "versao" attribute of the batch template.
  std::string GetVersaoNota();
  // Signs every invoice of the text (at most 50); the signed NFe elements, concatenated.
  virtual std::string AssinarNota(const std::string& aXML);

  // Signs every aElemento ("infCanc", "infInut", "infEvento") of the document, or the one with
  // the Id aId, with the configured certificate; the signed text cleaned up.
  std::string AssinarDocumento(const std::string& aXML, const std::string& aElemento, const std::string& aId = {});
  // The batch document of the signed notes, checked (lot number, size, signature, schema).
  std::string ValidarLoteParaEnvio(const std::string& aNumLote, const std::string& aLoteNotas);
  // EmoxNFeMaxSizeException when the batch is empty or over MaxSizeLoteEnvio kilobytes.
  void ValidarTamanhoArquivoEnvio(const std::string& aLoteNotas);
  // Each note of a signed batch, its header and then each item, against the batch schema (when
  // ValidarEsquemaAntesEnvio); the failures, naming note and item, are in ErrosValidador.
  void ValidarLoteItem(const std::string& aNumLote, const std::string& aLoteNotas);
  // True when the recipient XML is signed, valid and its digest matches its protocol; the
  // messages go to aErrorList when given.
  bool ValidarArquivoXmlDestinatario(const std::string& aXml, std::vector<std::string>* aErrorList);

  // ---- Audit through the validator control the host assigns (not owned).
  TmoxValidadorClientX* ComponenteAuditor() const { return FComponenteAuditor; }
  void SetComponenteAuditor(TmoxValidadorClientX* aValue);
  // The control's audit of aXml in JSON (aParams is not used): window size from
  // "Auditor/AuditorConfig.ini" of the templates folder when the control has none, local mode,
  // its empty folders set under "Auditor/", and for an unsigned note the "Templates/" (or, for an
  // export, "TemplateExportacao/") sub-folder of its templates folder. With aExibirHtml the
  // answer is also shown through the control's ShowHtml.
  std::string AuditarXml(const std::string& aXml, const std::string& aDelimitador, const std::string& aServidor,
                         bool aExibirRegra, bool aExibirHtml, const std::string& aParams);

  // ---- Batch submission and receipt query. Each logs request and answer and returns SEFAZ's
  // answer as it came; the recipient XML of authorized notes is written on the way.
  // Sends the signed notes (AssinarNota) as batch aNumLote; the answer carries the receipt.
  std::string EnviarNF(const std::string& aNumLote, const std::string& aLoteNotas, bool aCompactado);
  // One signed note, answered with its protocol (manual 5.0a).
  std::string EnviarNFSincrono(const std::string& aNumLote, const std::string& aLoteNota, bool aCompactado);
  // The processing result of a receipt (15 digits).
  std::string ConsultarRecibo(const std::string& aNumRecibo);

  // ---- Status, invoice query, cancellation, voiding and registry. Each checks its parameters
  // before anything is signed, logged or posted, logs request and answer and returns SEFAZ's
  // answer as it came; rejections are answers, not exceptions.
  std::string StatusDoServico();
  // The situation of a note by its access key; the recipient nfeProc is written when the note
  // is authorized and still pending.
  std::string ConsultarNF(const std::string& aNotaID);
  // Cancellation in the request form (signed infCanc); once accepted (101, 151) and with the
  // logs saved to disk, the recipient's aNotaID + "-can.xml" is written from the two logs.
  std::string CancelarNF(const std::string& aNotaID, const std::string& aNumProtocolo,
                         const std::string& aJustificativa);
  // Voids numbers aNFIni to aNFFin of the series; aNotaID is ignored (the voiding id is
  // computed).
  std::string InutilizarNF(const std::string& aNotaID, const std::string& aAno, const std::string& aCNPJ,
                           const std::string& aModelo, const std::string& aSerie, const std::string& aNFIni,
                           const std::string& aNFFin, const std::string& aJustificativa);
  // A taxpayer by "CNPJ", "CPF" or "IE" at the registry of aUF (the configured UF when empty).
  std::string ConsultarCadastro(const std::string& aDocumento, const std::string& aTpDocumento,
                                const std::string& aUF);
  // The access key in the layout of the manual version: with the emission type from manual 4.0
  // on, without it (cNF of 9 digits) before.
  std::string CalculaChaveNFe(const std::string& aDtEmissao, const std::string& aUF, const std::string& aCNPJ,
                              const std::string& aModelo, const std::string& aSerie, const std::string& aNRNota,
                              const std::string& aCodSistema, const std::string& aTpEmis);
  // The voiding id ("ID" not included) of the manual version; EmoxNFeIDInutilizacao when the
  // year is not two characters (manual 4.0 on).
  std::string FormaIDInutilizacao(const std::string& aAno, const std::string& aCNPJ, const std::string& aModelo,
                                  const std::string& aSerie, const std::string& aNFIni, const std::string& aNFFin);

  // ---- Recipient XML from the logs.
  // After an invoice query or a synchronous send: the key's document, when its marker exists.
  void GerarXMLDestinatario(const std::string& aNotaID, const std::string& aLogConsNFName);
  // After a receipt query: one document per authorized or denied note of the receipt.
  void GerarXmlDestinatarioNFsAprovadas(const std::string& aNumRecibo, const std::string& aLogConsRecibo);
  // The document of a key from a batch-send log and a receipt-query or invoice-query log,
  // saved to aSalvarComo when given.
  std::string GerarXMLEnvioDestinatario(const std::string& aIdNFe, const std::string& aLogEnvLote,
                                        const std::string& aLogConsReciboOuChave, const std::string& aSalvarComo);

  // The recipient's cancellation document (request form or event) of a key from the request
  // and answer logs (file paths or the XML), saved to aSalvarComo when given.
  std::string GerarXMLCancelamentoDestinatario(const std::string& aIDNFe, const std::string& aContentLogPedCanc,
                                               const std::string& aContentLogRetCanc, const std::string& aSalvarComo);

  // ---- Delivery to the recipient: by e-mail (EmailSettings) or to ComponenteCofral. Temporary
  // copies live in DiretorioTemporario for one delivery only.
  // The note's nfeProc (from the two logs when either is named, else from
  // DiretorioXmlDestinatario), with the DANFE PDF when AnexarDanfePDF.
  void EnviarNotaDestinatario(const std::string& aIDNFe, const std::string& aLogEnvio, const std::string& aLogRecibo);
  // The given files by e-mail; aOutros: further files separated by commas.
  void EnviarNotaDestinatarioAnexos(const std::string& aArquivoPDF, const std::string& aArquivoXML,
                                    const std::string& aOutros);
  // The cancellation document (request form "-can.xml" or event "-caneve.xml") by e-mail, to
  // aEmailDestinatario or else EmailSettings.EmailDestinatario; with exCofral into custody.
  void EnviarNotaCanceladaDestinatario(const std::string& aIDNFe, const std::string& aLogPedCanc,
                                       const std::string& aLogRetCanc, const std::string& aEmailDestinatario);
  // The recipient files of events, through the event object.
  std::string GerarXMLCCeDestinatario(const std::string& aIDEvento, const std::string& aLogEvento,
                                      const std::string& aLogRetEvento, const std::string& aSalvarComo);
  std::string GerarXMLManifestoDestinatario(const std::string& aIDEvento, const std::string& aLogEvento,
                                            const std::string& aLogRetEvento, const std::string& aSalvarComo);
  std::string GerarXMLEPECDestinatario(const std::string& aIDEvento, const std::string& aLogEvento,
                                       const std::string& aLogRetEvento, const std::string& aSalvarComo);
  // The correction letter by e-mail (or into custody with exCofral): aCCe is its file, or a key
  // whose "-cce.xml" the event object's recipient folder holds.
  void EnviarCCeDestinatario(const std::string& aCCe);

  // ---- Transaction logs and pending-send markers.
  // One marker per access key of the batch-send log aNomeLogEnv (in DiretorioLog), when
  // SalvarLogsEmDisco.
  void SaveFileChavesTemporario(const std::string& aNomeLogEnv);
  // The marker DiretorioXmlDestinatario + aFileName naming the batch-send log; replaces one.
  void SaveFileTemporario(const std::string& aFileName, const std::string& aNomeLogEnv);
  // Fills aList with the full paths of the log files the filter selects, sorted by name.
  void ListarLogs(std::vector<std::string>* aList, TLogFilter aFilter, const std::string& aCustomFilter = {});
  // A log's text; a relative name is taken from DiretorioLog.
  std::string LerLog(const std::string& aPathArquivoLog);

  TmoxNFeXmlUtils& XmlUtil() { return *FXmlUtil; }
  // The converter front, created on first use; its templates folder follows the component's.
  TmoxNFeConverter& GetConversor();

  // ---- Conversions through the converter front.
  // The batch of infNFe texts of a text file in the layout aLayoutConv, for a schema package of
  // the manual version.
  std::string ConverterLoteParaXml(const std::string& ArquivoLoteTxt, TLayoutConvKind aLayoutConv,
                                   TVersaoEsquema aVersaoEsquema, bool aExportacao);
  // The notes of an NF-e XML (text or file) in new data sets owned by the caller; a 3.10 note
  // asked as pl_006s is read as pl_008i1.
  std::unique_ptr<TmoxNFeDataSets> ConverteXmlparaDataSet(const std::string& aXml, TVersaoEsquema aVersaoEsquema);
  // The XML of a base64 gzip text (as DF-e distribution answers carry it).
  std::string DescompactarXMLZip(const std::string& aXML);
  // Always raises: random notes are no longer made by the component.
  void GerarNotasAleatorias(int Qtde, const std::string& CNPJ);

  // ---- The correction letter: its event id, and printing a registered letter.
  // "ID110110" + key + the sequence in at least two digits.
  virtual std::string GerarIdCCe(const std::string& aChaveNFe, int aSeqEvento);
  virtual void ImprimirCCe(const std::string& aXmlCCe, const std::string& aImpressora);
  virtual void VisualizarCCe(const std::string& aXmlCCe);
  virtual void EditarModeloCCe(const std::string& aXmlCCe);
  // An empty file name is asked through OnSalvarComo; ".htm"/".html" export HTML.
  virtual void ExportarCCe(const std::string& aXmlCCe, const std::string& aSalvarComo);

  // ---- Fiscal events and DF-e: each refreshes the event object's settings first.
  TmoxNFeEventos& GetNFeEventos();
  virtual void AtualizaDadosNFeEventos();
  std::string MontarXmlCCe(const std::string& aChaveNFe, const std::string& aTextoCorrecao,
                           const std::string& aDataHoraEvento, const std::string& aOrgao, int aSequenciaEvento,
                           const std::string& aFusoHorario);
  std::string AssinarCCe(const std::string& aXmlCCe);
  std::string EnviarCCe(const std::string& aNotaID, const std::string& aTextoCorrecao,
                        const std::string& aDataHoraEvento, const std::string& aOrgao, const std::string& aIdLote,
                        int aSequenciaEvento, const std::string& aFusoHorario);
  std::string EnviarCCe(const std::string& aIdLote, const std::string& aXmlCCe);
  std::string CancelarNFeEvento(const std::string& aNotaID, const std::string& aNumProtocolo,
                                const std::string& aJustificativa, const std::string& aDataHoraEvento,
                                int aSequenciaEvento, const std::string& aFusoHorario, const std::string& aIdLote);
  // aCOrgao "91" sends to the national environment.
  std::string EnviarManifestacaoDestinatario(int aTpEvento, const std::string& aNotaID, const std::string& aCNPJCPF,
                                             const std::string& aJustificativa, const std::string& aDataHoraEvento,
                                             int aSequenciaEvento, const std::string& aFusoHorario,
                                             const std::string& aCOrgao);
  std::string MontarEPEC(const std::string& aIdLote, const std::string& aXmlEnvio, const std::string& aDHEvento,
                         const std::string& aFusoHorario);
  std::string AssinarEPEC(const std::string& aXMLEpec);
  std::string EnviarEPEC(const std::string& aXMLEpecAssinado);
  void AdicionarItens(const std::string& aNumItens, const std::string& aQtdeItens);
  std::string EnviarPedidoProrrogacao(const std::string& aIdLote, const std::string& aXmlPedProrrogacao);
  std::string EnviarPedidoProrrogacao(const std::string& aIdLote, const std::string& aChaveNFe,
                                      const std::string& aNumProtocolo, const std::string& aDataHoraEvento,
                                      const std::string& aOrgao, TTipoPedidoProrrogacao aTpEvento,
                                      int aSequenciaEvento, const std::string& aFusoHorario);
  std::string CancelarPedidoProrrogacao(const std::string& aIdLote, const std::string& aChaveNFe,
                                        const std::string& aNumProtocolo, const std::string& aDataHoraEvento,
                                        TTipoCancelamentoPedidoProrrogacao aTpEvento, int aSequenciaEvento,
                                        const std::string& aFusoHorario);
  // The tax authority's answer (411500 to 411503) to the request aIdPedido, signed by the
  // configured certificate on behalf of CNPJ.
  std::string EnviarEventoFisco(const std::string& aIdLote, const std::string& aChaveNFe, const std::string& aIdPedido,
                                const TRespostaFisco& aResposta, const std::string& aDataHoraEvento,
                                const std::string& aOrgao, const std::string& aTpEvento, int aSequenciaEvento,
                                const std::string& aFusoHorario);
  std::string ConsultarDistribuicaoDFe(const std::string& aCodigoUF, const std::string& aCNPJCPF,
                                       const std::string& aNSU, TNSUKind aTipoNSU);
  std::string ConsultarNFeDestinadas(int aIndNFe, int aIndEmi, const std::string& aUltNSU);
  std::string DownloadNFe(const std::string& aChaves, const std::string& aCOrgao);

 protected:
  void LerConfiguracoes(TmoxIniFile& aIni) override;
  void EscreverConfiguracoes(TmoxIniFile& aIni) override;

 private:
  void SecaoPadrao();
  // Posts through the request builder made for this call; any failure becomes
  // EmoxNFeException with aPrefixo before its message.
  std::string Posta(const char* aPrefixo, const std::function<std::string(TmoxNFEInterface&)>& aPost);
  // The recipient assembler with the component's folders, template and callback.
  std::unique_ptr<TmoxNFeXmlDestinatario> NovoXmlDestinatario();
  TContextoValidacao ContextoValidacao();
  // Sends to EmailSettings.EmailDestinatario; failures as EmoxNFeEnviarNotaDestinatarioException.
  void EnviaEmailAoDestinatario(const std::vector<std::string>& aAnexos);
  // EmoxNFeCheckParams when the id holds a path separator.
  void ChecaIdNFe(const std::string& aIDNFe);
  // Hands the file to ComponenteCofral (EntregaXML exCofral).
  void EntregaAoCofral(const std::string& aArquivo);
  // Sends EmailSettings' message with the attachments through the services server.
  void EnviaEmail(const std::string& aDestinatario, const std::vector<std::string>& aAnexos);
  // The recipient's "-can.xml" of an accepted request-form cancellation.
  void GerarCancelamentoDestinatario(const std::string& aNotaID, const std::string& aLogPedido,
                                     const std::string& aLogResposta);

  std::unique_ptr<TmoxNFeXmlUtils> FXmlUtil;
  std::unique_ptr<TmoxNFeConverter> FConversor;
  std::unique_ptr<TmoxNFeEventos> FNFeEventos;
  std::string fDiretorioXmlDestinatario;
  std::string FDiretorioDownloads;
  int fMaxSizeLoteEnvio = 500;
  TmoxValidadorClientX* FComponenteAuditor = nullptr;
  // The control's templates folder before AuditarXml added its sub-folder, and the folder it
  // set, so the next audit starts again from the first.
  std::string FAuditorTemplatesBase, FAuditorTemplatesDefinida;
};

}  // namespace mox
