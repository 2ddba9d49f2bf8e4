#pragma once
// The event engine: what every NF-e event shares. Identifiers, templates of the manual version
// and UF, signing every infEvento of a lot, size and schema checks, the endpoint of the servers
// file, the SOAP post through the services server, request and answer logs and the event file
// handed to the recipient.
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "base/moxTypes.h"

namespace mox {

class TmoxKivoX;
class TmoxKivoUtils;
class TmoxIniFile;
struct TmoxEmailSettings;

class TmoxEventos {
 public:
  using TOnLog = std::function<void(const std::string& aNome, const std::string& aId, const std::string& aArquivo)>;

  TmoxEventos(TmoxKivoX& aKivo, TmoxKivoUtils& aUtils, TmoxEmailSettings* aEmailSettings);
  virtual ~TmoxEventos();
  TmoxEventos(const TmoxEventos&) = delete;
  TmoxEventos& operator=(const TmoxEventos&) = delete;

  // Settings copied in by the component before every event operation. Folders end with "/".
  std::string CNPJ, UF, UFWS, Orgao;
  int SeqEvento = 0;
  std::string DataHoraEvento;
  TAmbienteKind Ambiente = TAmbienteKind::akHomologacao;
  TVersaoManual VersaoManual = TVersaoManual::vm50a;
  TModoOperacao ModoOperacao = TModoOperacao::moNormal;
  std::string DiretorioEsquemas, DiretorioLog, DiretorioLogErro, DiretorioTemplates, DiretorioXmlDestinatario;
  std::string ArquivoServidoresProd, ArquivoServidoresHom;
  bool ValidarEsquemaAntesEnvio = false;
  TOnLog OnLog;  // kept for the host
  TmoxEmailSettings* EmailSettings() const { return FEmailSettings; }

  // "ID" + event type + key + the sequence in at least two digits.
  virtual std::string GerarIdEvento(const std::string& aChaveNFe, int aSeqEvento);
  // The event type of the kind being built (six digits).
  virtual std::string ObterTpEvento() = 0;
  // DiretorioTemplates + UF + "/".
  virtual std::string ObterPastaTemplate();
  // aXMLFileName itself when it exists, else in the template folder of the UF.
  std::string LoadTemplate(const std::string& aXMLFileName);

  // Every infEvento of the text signed in its own evento element, concatenated.
  virtual std::string AssinarEvento(const std::string& aXML);
  virtual std::string PrepararXMLAssinar(const std::string& aNota);
  virtual std::string LimparXMLAssinado(const std::string& aXmlSujo);
  virtual std::string RemoveEspacosAssinatura(const std::string& aXmlAssinado);
  virtual int ObterNumEventos(const std::string& aLote);
  virtual std::string ObterEvento(int aIndex, const std::string& aLote);
  // "#" + the 54 characters of the first infEvento's Id.
  virtual std::string ObterValorIdEvento(const std::string& aNota);

  void ValidarLoteParaEnvio(const std::string& aXmlEvento, const std::string& aCampoMapping);
  void ValidarLoteParaConsultaDestinadas(const std::string& aXml);
  void ValidarLoteParaDFe(const std::string& aXml);
  void ValidarLoteParaDownloadNFe(const std::string& aXml);
  virtual void ValidarXmlEvento(const std::string& aXML, const std::string& aMethodName);
  virtual std::string GetXSDFileName(const std::string& aMethodName);
  virtual std::string GetURIEsquema();
  // True, or EmoxEventoMaxSizeException when the text is over aTamanho thousand characters.
  virtual bool ValidarTamanhoArquivoEnvio(const std::string& aLoteEvento, int aTamanho);

  virtual std::string ObterEnderecoWS(const std::string& aNomeWS);
  virtual bool ChecarEnderecoWs(const std::string& aNomeWS);

  virtual std::string EnveloparSoapEnvio(const std::string& aXml);
  virtual std::string EnveloparConsultaSoap(const std::string& aXml);
  virtual std::string EnveloparConsultaDestSoap(const std::string& aXml);
  virtual std::string EnveloparConsultaDFeSoap(const std::string& aXml);
  virtual std::string EnveloparDownloadSoap(const std::string& aXml);
  virtual std::string EnviarPorSoap(const std::string& aXmlEvento);
  virtual std::string EnviarPorSoap(const std::string& aXmlEvento, const std::string& aNomeWS);
  virtual std::string EnviarConsultaSoap(const std::string& aXml);
  virtual std::string ConsultarPorSoap(const std::string& aXml);
  virtual std::string ConsultarDFePorSoap(const std::string& aXml);
  virtual std::string DistribuicaoDFePorSoap(const std::string& aXml);
  std::string DownloadNFeSoap(const std::string& aXml);

  // The lot of signed events in aTemplateEnvio, checked, logged and posted; SEFAZ's answer.
  std::string EnviarEvento(const std::string& aIdLote, const std::string& aTemplateEnvio,
                           const std::string& aCampoMapping, const std::string& aLoteEvento,
                           const std::string& aLogEnv, const std::string& aLogRet);
  std::string CancelarEvento(const std::string& aIdLote, const std::string& aIdNota, const std::string& aLoteEvento,
                             const std::string& aLogEnv, const std::string& aLogRet);
  virtual std::string ConsultarNFe(const std::string& aChaveNFe);
  std::string ConsultarEvento(const std::string& aXML, const std::string& aLogCons, const std::string& aLogRet);
  std::string ConsultarDFe(const std::string& aXML, const std::string& aLogCons, const std::string& aLogRet);
  std::string DownloadNFeEvento(const std::string& aXML, const std::string& aLogDown, const std::string& aLogRet);

  // The recipient's event file from the request and answer logs (names or texts).
  virtual std::string GerarXMLEventoDestinatario(const std::string& aIDEvento, const std::string& aLogEvento,
                                                 const std::string& aLogRetEvento, const std::string& aSalvarComo,
                                                 const std::string& aTemplate);
  void CheckCertificate();

 protected:
  TmoxKivoX& Kivo() { return FKivo; }
  TmoxKivoUtils& Utils() { return FUtils; }
  // Two-digit state code of the abbreviation from the engine's table; empty when unknown.
  std::string CodigoLocal(const std::string& aUF) const;
  std::string CodigoAmbiente() const;

 private:
  TmoxIniFile& GetServersIni();
  std::string SecaoDoModo() const;
  // The request logged, checked and posted, and the answer logged: the road of the queries.
  std::string ConsultaComLogs(const std::string& aXML, const std::string& aSufixoEnv, const std::string& aSufixoRet,
                              void (TmoxEventos::*aValida)(const std::string&),
                              std::string (TmoxEventos::*aPosta)(const std::string&));
  std::string Posta(const std::string& aChave, const std::string& aEnvelope, const std::string& aServico,
                    const std::string& aMetodo, const std::string& aResultado);

  TmoxKivoX& FKivo;
  TmoxKivoUtils& FUtils;
  TmoxEmailSettings* FEmailSettings;
  std::unique_ptr<TmoxIniFile> FServersIni;
  std::string FServersPath;
  std::map<std::string, std::string> FLocalList;
};

}  // namespace mox
