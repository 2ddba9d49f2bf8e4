#pragma once
// The component's event object: each NF-e event kind (correction letter, cancellation, EPEC,
// the recipient's manifestation, ICMS-suspension extension requests and their cancellation)
// built from its template, signed and sent through the engine, and the DF-e queries and
// download of the recipient side.
#include <functional>
#include <string>
#include <vector>

#include "base/TmoxFrenteImpressao.h"
#include "base/TmoxImpressaoCCeSettings.h"
#include "events/TmoxEventos.h"

namespace mox {

// Items and quantities of the next extension request, in parallel lists.
struct TmoxAdicionaPedidoProrrogacao {
  std::vector<std::string> itens, quantidade;
  void AdicionarItens(const std::string& aPedido, const std::string& aQuantidade) {
    itens.push_back(aPedido);
    quantidade.push_back(aQuantidade);
  }
  void LimparLista() {
    itens.clear();
    quantidade.clear();
  }
};

enum class TNSUKind { nkUltimo = 0, nkEspecifico = 1 };

// The tax authority's answer carried by its event: to an extension request (411500, 411501)
// item by item, or to the cancellation of a request (411502, 411503).
struct TRespostaFisco {
  // respPedido: whether the request came within its term ("0" after, "1" within), and per item
  // (parallel lists) its number, the answer ("1" granted, "2" denied), the reason code (1 to 10)
  // and, optionally, a reason of its own.
  std::string StatPrazo;
  std::vector<std::string> NumItens, StatPedido, JustStatus, JustStaOutra;
  // respCancPedido: the answer ("1" granted, "2" denied), the reason code (1 to 5) and,
  // optionally, a reason of its own.
  std::string StatCancPedido, JustStatusResp, JustOutra;
};

class TmoxNFeEventos : public TmoxEventos {
 public:
  using TOnArquivo = std::function<void(const std::string& aArquivo)>;

  TmoxNFeEventos(TmoxKivoX& aKivo, TmoxKivoUtils& aUtils, TmoxEmailSettings* aEmailSettings,
                 const std::string& aDiretorioLogErro);

  std::string DiretorioDownloads;  // ends with "/"
  TOnArquivo OnDownloadNFe, OnXmlCanDestinatario, OnXmlManDestinatario;
  TmoxAdicionaPedidoProrrogacao ItensQuantidade;

  std::string ObterTpEvento() override { return FTpEvento; }

  // ---- Printing the correction letter through the component's DANFE front (not owned).
  TmoxFrenteImpressao* DanfeNFe = nullptr;
  TmoxImpressaoCCeSettings ImpressaoCCeSettings;
  // Asks the host for the export file (see TmoxCustomNFe::OnSalvarComo); without it an export
  // needs its file name.
  std::function<bool(std::string& aArquivo)> OnSalvarComo;
  // The front's parameters: copies, the model ("ArquivoRtm"), logo and line delimiter.
  virtual void LoadImpressaoCCeSettings();
  // Each needs a CC-e registered by SEFAZ (cStat 135 or 136 inside retEvento), as text or file.
  virtual void ImprimirCCe(const std::string& aXmlCCe, const std::string& aImpressora);
  virtual void VisualizarCCe(const std::string& aXmlCCe);
  virtual void EditarModeloCCe(const std::string& aXmlCCe);
  // To a file ending in ".htm" or ".html" the export is HTML, otherwise PDF.
  virtual void ExportarCCe(const std::string& aXmlCCe, const std::string& aSalvarComo);

  // ---- Correction letter (110110).
  std::string MontarXmlCCe(const std::string& aChaveNFe, const std::string& aTextoCorrecao,
                           const std::string& aDataHoraEvento, const std::string& aOrgao, int aSequenciaEvento,
                           const std::string& aFusoHorario);
  std::string AssinarCCe(const std::string& aXmlCCe);
  std::string EnviarCCe(const std::string& aChaveNFe, const std::string& aTextoCorrecao,
                        const std::string& aDataHoraEvento, const std::string& aOrgao, const std::string& aIdLote,
                        int aSequenciaEvento, const std::string& aFusoHorario);
  std::string EnviarCCe(const std::string& aIdLote, const std::string& aXmlCCe);
  std::string GerarXMLCCeDestinatario(const std::string& aIDEvento, const std::string& aLogEvento,
                                      const std::string& aLogRetEvento, const std::string& aSalvarComo);
  // The letter's file to EmailSettings' recipient, with its PDF when AnexarDanfePDF; failures
  // as EmoxNFeException "Erro ao enviar CCe ao destinatario: ".
  void EnviarCCeDestinatario(const std::string& aFileName);
  bool AnexarDanfePDF = false;
  std::string DiretorioTemporario;  // ends with "/"; the letter's PDF for one delivery

  // ---- Cancellation by event (110111).
  std::string CancelarNFeEvento(const std::string& aIdLote, const std::string& aNotaID,
                                const std::string& aNumProtocolo, const std::string& aJustificativa,
                                const std::string& aDataHoraEvento, int aSequenciaEvento,
                                const std::string& aFusoHorario);

  // ---- EPEC (110140), sent to the national environment.
  std::string MontarXmlEPEC(const std::string& aIdLote, const std::string& aXmlEnvio, const std::string& aDHEvento,
                            const std::string& aFusoHorario);
  std::string AssinarEPEC(const std::string& aXmlEPEC);
  std::string EnviarEPEC(const std::string& aXmlEPECAssinado);
  std::string GerarXMLEPECDestinatario(const std::string& aIDEvento, const std::string& aLogEvento,
                                       const std::string& aLogRetEvento, const std::string& aSalvarComo);

  // ---- The recipient's manifestation (kinds 1 to 4: 210200, 210210, 210220, 210240).
  std::string ManifestacaoDestinatario(int aTpEvento, const std::string& aChaveNFe, const std::string& aCNPJCPF,
                                       const std::string& aJustificativa, const std::string& aDHEvento,
                                       const std::string& aFusoHorario, int aSequenciaEvento);
  std::string GerarXMLManifestoDestinatario(const std::string& aIDEvento, const std::string& aLogEvento,
                                            const std::string& aLogRetEvento, const std::string& aSalvarComo);

  // ---- ICMS-suspension extension requests (111500, 111501) and their cancellation (111502,
  // 111503); the items come from ItensQuantidade.
  std::string MontarXmlPedidoProrrogacao(const std::string& aChaveNFe, const std::string& aNumProtocolo,
                                         const std::string& aDataHoraEvento, const std::string& aOrgao,
                                         const std::string& aTpEvento, int aSequenciaEvento,
                                         const std::string& aFusoHorario);
  std::string EnviarPedidoProrrogacao(const std::string& aIdLote, const std::string& aChaveNFe,
                                      const std::string& aNumProtocolo, const std::string& aDataHoraEvento,
                                      const std::string& aOrgao, const std::string& aTpEvento, int aSequenciaEvento,
                                      const std::string& aFusoHorario);
  std::string EnviarPedidoProrrogacao(const std::string& aIdLote, const std::string& aXmlPedProrrogacao);
  std::string CancelarPedidoProrrogacao(const std::string& aIdLote, const std::string& aChaveNFe,
                                        const std::string& aNumProtocolo, const std::string& aDataHoraEvento,
                                        const std::string& aTpEvento, int aSequenciaEvento,
                                        const std::string& aFusoHorario);
  std::string CancelarPedidoProrrogacao(const std::string& aIdLote, const std::string& aXmlCancelamentoPedProrrogacao);

  // ---- The tax authority's answer to an extension request or to its cancellation (411500 to
  // 411503); aIdPedido is the Id of the request answered.
  std::string MontarXmlEventoFisco(const TRespostaFisco& aResposta, const std::string& aChaveNFe,
                                   const std::string& aIdPedido, const std::string& aDataHoraEvento,
                                   const std::string& aOrgao, const std::string& aTpEvento, int aSequenciaEvento,
                                   const std::string& aFusoHorario);
  std::string EnviarEventoFisco(const std::string& aIdLote, const std::string& aChaveNFe, const std::string& aIdPedido,
                                const TRespostaFisco& aResposta, const std::string& aDataHoraEvento,
                                const std::string& aOrgao, const std::string& aTpEvento, int aSequenciaEvento,
                                const std::string& aFusoHorario);

  // ---- DF-e.
  std::string ConsultarDistribuicaoDFe(const std::string& aCodigoUF, const std::string& aCNPJCPF,
                                       const std::string& aNSU, TNSUKind aTipoNSU);
  std::string ConsultarNFeDestinadas(int aIndNFe, int aIndEmi, const std::string& aUltNSU);
  // Up to 10 keys separated by commas or blanks; with status 139 each authorized note becomes
  // DiretorioDownloads + key + "-NFe.xml".
  std::string DownloadNFe(const std::string& aChavesNFe);

 protected:
  // EmoxEventoCheckParams with the message when the condition holds.
  void ValidarParams(bool aCondicaoErro, const std::string& aMsgException) const;
  void CheckParamsEventos(const std::string& aDHEvento, const std::string& aFusoHorario, const std::string& aChaveNFe);
  void CheckChave(const std::string& aChaveNFe) const;
  void CheckOrgao(const std::string& aOrgao) const;
  void CheckCNPJ() const;
  // The cStat inside retEvento of the text (or of the file it names) is 135 or 136.
  bool CheckXmlAutorizado(const std::string& aXMLRet);
  // The CC-e templates live outside the manual version: DiretorioTemplates without it + "cce/" + UF.
  std::string PastaCCe() const;
  std::string LoadTemplateCCe(const std::string& aXMLFileName);
  // The sending road of the CC-e and of the extension request: lot template, checks, logs, post.
  std::string EnviaLoteComLogs(const std::string& aIdLote, const std::string& aTemplate, const std::string& aLoteEventos,
                               const std::string& aSufixoEnv, const std::string& aSufixoRet,
                               const std::function<void(const std::string&)>& aValida, std::string* aLogEnv,
                               std::string* aLogRet);
  std::string RecipientFile(const std::string& aIDEvento, const std::string& aLogEvento,
                            const std::string& aLogRetEvento, const std::string& aSalvarComo,
                            const std::string& aTemplate, const char* aNaoAutorizado);

  // Each authorized note (140) of a download answer as DiretorioDownloads + key + "-NFe.xml".
  void GravaNotasBaixadas(const std::string& aResposta);

  std::string FTpEvento;

 private:
  void CheckXmlImpressao(const std::string& aXml);
  void ImprimeCCe(const std::string& aXmlCCe, void (TmoxFrenteImpressao::*aOperacao)());
  std::vector<std::string> FPrintSettings;
};

// The correction letter's report model: aModeloRTM, or the installed one beside the manual
// versions' template folders while it is blank.
std::string ArquivoModeloCCe(const std::string& aModeloRTM, const std::string& aDiretorioTemplates);

// Date-time helpers shared by the kinds.
bool ValidaFusoHorario(const std::string& aHora);
bool ValidaDataHoraEvento(const std::string& aDataHora);
// "yyyy-mm-ddThh:nn:ss"; empty gives the current time in the zone aFusoHorario ("-03:00").
std::string FormataDataHoraEvento(const std::string& aDataHoraEvento, const std::string& aFusoHorario);
bool ValidaOrgao(int aCodOrgao);
bool SomenteNumero(const std::string& aString);
std::string Aparar(const std::string& aTexto);

}  // namespace mox
