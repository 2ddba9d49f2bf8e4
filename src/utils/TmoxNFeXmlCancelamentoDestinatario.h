#pragma once
// The recipient's documents of a cancellation (the older request form, or the cancellation
// event) and of the recipient's manifestation: the request and SEFAZ's answer, checked against
// each other and put together in the recipient template.
#include <string>

namespace mox {

// Without the first XML declaration of each usual form and every CR LF pair.
std::string LimparXMLDestinatario(const std::string& aXml);

// What the three documents share: the Id, a request and its answer (each checked by the
// document's setter) and the template they fill, in the fixed order of checks.
class TmoxDocumentoDestinatario {
 public:
  virtual ~TmoxDocumentoDestinatario() = default;
  const std::string& IdNFe() const { return FIdNFe; }
  void SetIdNFe(const std::string& aValue) { FIdNFe = aValue; }
  const std::string& Template() const { return FTemplate; }
  void SetTemplate(const std::string& aValue) { FTemplate = aValue; }

 protected:
  // The Id and key of the request against the answer, the answer's status, then both cleaned
  // and stored again through the setters; the filled template.
  std::string Gera();
  std::string Monta() const;
  std::string AchaId(const std::string& aIdNFe, const std::string& aLogPedido) const;
  virtual void SetPedido(const std::string& aValue) = 0;
  virtual void SetResposta(const std::string& aValue) = 0;
  // The signed group whose Id names the document, the answer codes that mean success and the
  // message otherwise, and whether the answer is an event's.
  virtual const char* ElementoPedido() const = 0;
  virtual bool Aceito(const std::string& aCStat) const = 0;
  virtual const char* NaoAceito() const = 0;
  virtual bool Evento() const { return true; }
  [[noreturn]] virtual void Falha(const std::string& aMensagem) const = 0;

  std::string FIdNFe, FPedido, FResposta, FTemplate;
};

// Cancellation in the request form (cancNFe answered by retCancNFe, 101 or 151).
class TmoxNFeXmlCancelamentoDestinatario : public TmoxDocumentoDestinatario {
 public:
  const std::string& LogPedCanc() const { return FPedido; }
  // Must hold "infCanc".
  void SetLogPedCanc(const std::string& aValue) { SetPedido(aValue); }
  const std::string& LogRetCanc() const { return FResposta; }
  // Must hold "retCancNFe".
  void SetLogRetCanc(const std::string& aValue) { SetResposta(aValue); }
  std::string GerarXmlCancelamentoDestinatario() { return Gera(); }
  std::string MontarXmlCancelamentoDestinatario() const { return Monta(); }
  // "ID" + aIdNFe when the log's infCanc carries that Id; empty otherwise.
  std::string AchaIdLogPedCanc(const std::string& aIdNFe, const std::string& aLogPedCanc) const {
    return AchaId(aIdNFe, aLogPedCanc);
  }

 protected:
  void SetPedido(const std::string& aValue) override;
  void SetResposta(const std::string& aValue) override;
  const char* ElementoPedido() const override { return "infCanc"; }
  bool Aceito(const std::string& aCStat) const override { return aCStat == "101" || aCStat == "151"; }
  const char* NaoAceito() const override { return "Não se trata de cancelamento de NF-e homologado."; }
  bool Evento() const override { return false; }
  [[noreturn]] void Falha(const std::string& aMensagem) const override;
};

// Cancellation by event (tpEvento 110111 answered by retEvento, 135 or 155).
class TmoxNFeEventoXmlCancelamentoDestinatario : public TmoxNFeXmlCancelamentoDestinatario {
 public:
  // cStat of the first retEvento.
  static std::string GetStatus(const std::string& aXML);

 protected:
  // Must hold "infEvento" and the cancellation's tpEvento.
  void SetPedido(const std::string& aValue) override;
  // Must hold "retEvento".
  void SetResposta(const std::string& aValue) override;
  const char* ElementoPedido() const override { return "infEvento"; }
  bool Aceito(const std::string& aCStat) const override { return aCStat == "135" || aCStat == "155"; }
  bool Evento() const override { return true; }
};

// The recipient's manifestation event (answered 135 or 136).
class TmoxNFeEventoXmlManifestacaoDestinatario : public TmoxDocumentoDestinatario {
 public:
  // Set before LogPedMan: the request must be of this event type.
  const std::string& TipoEvento() const { return FTipoEvento; }
  void SetTipoEvento(const std::string& aValue) { FTipoEvento = aValue; }
  const std::string& LogPedMan() const { return FPedido; }
  void SetLogPedMan(const std::string& aValue) { SetPedido(aValue); }
  const std::string& LogRetMan() const { return FResposta; }
  void SetLogRetMan(const std::string& aValue) { SetResposta(aValue); }
  std::string GerarXmlManifestacaoDestinatario() { return Gera(); }
  std::string MontarXmlManifestacaoDestinatario() const { return Monta(); }
  std::string AchaIdLogPedMan(const std::string& aIdNFe, const std::string& aLogPedMan) const {
    return AchaId(aIdNFe, aLogPedMan);
  }
  static std::string GetStatus(const std::string& aXML) { return TmoxNFeEventoXmlCancelamentoDestinatario::GetStatus(aXML); }

 protected:
  void SetPedido(const std::string& aValue) override;
  void SetResposta(const std::string& aValue) override;
  const char* ElementoPedido() const override { return "infEvento"; }
  bool Aceito(const std::string& aCStat) const override { return aCStat == "135" || aCStat == "136"; }
  const char* NaoAceito() const override { return "Não se trata de um manifesto de destinatário."; }
  [[noreturn]] void Falha(const std::string& aMensagem) const override;

 private:
  std::string FTipoEvento;
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
