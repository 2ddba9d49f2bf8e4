#pragma once
// The recipient's documents of a cancellation (the older request form, or the cancellation
// event) and of the recipient's manifestation: the request and SEFAZ's answer, checked against
// each other and put together in the recipient template.
#include <string>

namespace mox {

// Without the first XML declaration of each usual form and every CR LF pair.
std::string LimparXMLDestinatario(const std::string& aXml);

// Cancellation in the request form (cancNFe answered by retCancNFe, 101 or 151).
class TmoxNFeXmlCancelamentoDestinatario {
 public:
  const std::string& IdNFe() const { return FIdNFe; }
  void SetIdNFe(const std::string& aValue) { FIdNFe = aValue; }
  const std::string& LogPedCanc() const { return FLogPedCanc; }
  // Must hold "infCanc".
  void SetLogPedCanc(const std::string& aValue);
  const std::string& LogRetCanc() const { return FLogRetCanc; }
  // Must hold "retCancNFe".
  void SetLogRetCanc(const std::string& aValue);
  const std::string& Template() const { return FTemplate; }
  void SetTemplate(const std::string& aValue) { FTemplate = aValue; }

  // Checks the pair (Id, key, status) and fills the template.
  std::string GerarXmlCancelamentoDestinatario();
  std::string MontarXmlCancelamentoDestinatario();
  // "ID" + aIdNFe when the log's infCanc carries that Id; empty otherwise.
  std::string AchaIdLogPedCanc(const std::string& aIdNFe, const std::string& aLogPedCanc);

 private:
  std::string FIdNFe, FLogPedCanc, FLogRetCanc, FTemplate;
};

// Cancellation by event (tpEvento 110111 answered by retEvento, 135 or 155).
class TmoxNFeEventoXmlCancelamentoDestinatario {
 public:
  const std::string& IdNFe() const { return FIdNFe; }
  void SetIdNFe(const std::string& aValue) { FIdNFe = aValue; }
  const std::string& LogPedCanc() const { return FLogPedCanc; }
  // Must hold "infEvento" and the cancellation's tpEvento.
  void SetLogPedCanc(const std::string& aValue);
  const std::string& LogRetCanc() const { return FLogRetCanc; }
  // Must hold "retEvento".
  void SetLogRetCanc(const std::string& aValue);
  const std::string& Template() const { return FTemplate; }
  void SetTemplate(const std::string& aValue) { FTemplate = aValue; }

  std::string GerarXmlCancelamentoDestinatario();
  std::string MontarXmlCancelamentoDestinatario();
  std::string AchaIdLogPedCanc(const std::string& aIdNFe, const std::string& aLogPedCanc);
  // cStat of the first retEvento.
  static std::string GetStatus(const std::string& aXML);

 private:
  std::string FIdNFe, FLogPedCanc, FLogRetCanc, FTemplate;
};

// The recipient's manifestation event (answered 135 or 136).
class TmoxNFeEventoXmlManifestacaoDestinatario {
 public:
  const std::string& IdNFe() const { return FIdNFe; }
  void SetIdNFe(const std::string& aValue) { FIdNFe = aValue; }
  // Set before LogPedMan: the request must be of this event type.
  const std::string& TipoEvento() const { return FTipoEvento; }
  void SetTipoEvento(const std::string& aValue) { FTipoEvento = aValue; }
  const std::string& LogPedMan() const { return FLogPedMan; }
  void SetLogPedMan(const std::string& aValue);
  const std::string& LogRetMan() const { return FLogRetMan; }
  void SetLogRetMan(const std::string& aValue);
  const std::string& Template() const { return FTemplate; }
  void SetTemplate(const std::string& aValue) { FTemplate = aValue; }

  std::string GerarXmlManifestacaoDestinatario();
  std::string MontarXmlManifestacaoDestinatario();
  std::string AchaIdLogPedMan(const std::string& aIdNFe, const std::string& aLogPedMan);
  static std::string GetStatus(const std::string& aXML);

 private:
  std::string FIdNFe, FTipoEvento, FLogPedMan, FLogRetMan, FTemplate;
};

// The cancellation document of a key from its request and answer (each a file path or the XML
// text): the event form when the request holds an "evento", else the request form; written to
// aSalvarComo when given. Templates come from aDiretorioTemplates + aUF.
std::string GerarXMLCancelamentoDestinatario(const std::string& aIDNFe, const std::string& aContentLogPedCanc,
                                             const std::string& aContentLogRetCanc, const std::string& aDiretorioLog,
                                             const std::string& aDiretorioTemplates, const std::string& aUF,
                                             const std::string& aDiretorioXMLDestinatario,
                                             const std::string& aSalvarComo);

}  // namespace mox
