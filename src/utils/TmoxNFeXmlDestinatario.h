#pragma once
// The authorized invoice handed to its recipient: the signed NFe of the batch-send log and its
// protocol from a receipt or invoice-query log, put together in the recipient template, saved
// and announced. The pending-send markers of the recipient folder find the batch of a key or
// a receipt.
#include <functional>
#include <memory>
#include <string>

namespace mox {

class TmoxKivoUtils;

class TmoxNFeXmlDestinatario {
 public:
  using TOnXmlDestinatario = std::function<void(const std::string& aFileName)>;

  TmoxNFeXmlDestinatario();
  ~TmoxNFeXmlDestinatario();
  TmoxNFeXmlDestinatario(const TmoxNFeXmlDestinatario&) = delete;
  TmoxNFeXmlDestinatario& operator=(const TmoxNFeXmlDestinatario&) = delete;

  // Logs are file names inside DiretorioLog, full paths or the XML itself.
  const std::string& LogConsRec() const { return FLogConsRec; }
  void SetLogConsRec(const std::string& aValue) { FLogConsRec = aValue; }
  const std::string& LogEnvio() const { return FLogEnvio; }
  void SetLogEnvio(const std::string& aValue) { FLogEnvio = aValue; }
  const std::string& LogConsChave() const { return FLogConsChave; }
  void SetLogConsChave(const std::string& aValue) { FLogConsChave = aValue; }
  const std::string& SalvarComo() const { return FSalvarComo; }
  void SetSalvarComo(const std::string& aValue) { FSalvarComo = aValue; }
  // A prefix of file names: ends with a separator.
  const std::string& DiretorioXmlDestinatario() const { return FDiretorioXmlDestinatario; }
  void SetDiretorioXmlDestinatario(const std::string& aValue) { FDiretorioXmlDestinatario = aValue; }
  const std::string& DiretorioLog() const { return FDiretorioLog; }
  void SetDiretorioLog(const std::string& aValue) { FDiretorioLog = aValue; }
  const std::string& ChaveNFe() const { return FChaveNFe; }
  void SetChaveNFe(const std::string& aValue) { FChaveNFe = aValue; }
  // The recipient template's text: "%s" for the signed NFe, then "%s" for its infProt.
  const std::string& Template() const { return FTemplate; }
  void SetTemplate(const std::string& aValue) { FTemplate = aValue; }
  bool SalvarLogsEmDisco() const { return FSalvarLogsEmDisco; }
  void SetSalvarLogsEmDisco(bool aValue) { FSalvarLogsEmDisco = aValue; }

  TOnXmlDestinatario OnXmlDestinatario;

  // The document of ChaveNFe, saved to SalvarComo and its key's marker deleted; an assembly
  // error comes back (and is saved) as its message.
  std::string GerarXmlDestinatario();
  // Every invoice of a receipt (15 characters) or one invoice by key (44), as files.
  void GerarXmlDestinatario(const std::string& aNumDoc);

  std::string MontarXmlDestinatario(const std::string& aChaveNFe);
  // The signed NFe of the key in LogEnvio.
  std::string GetXmlLogEnvio(const std::string& aChave);
  // The key's infProt from LogConsRec, or else rebuilt from LogConsChave.
  std::string GetXmlInfProtocolo(const std::string& aChave);
  // The NFe with its infNFe's Id before versao.
  static std::string TrataXmlAssinado(const std::string& aXMLAssinado);
  // DiretorioLog + the batch-send log the marker aFileName names; empty without the marker.
  std::string GetTempNameLogEnv(const std::string& aFileName);
  void SalvarEmArquivo(const std::string& aXml);
  void DeleteTempFile(const std::string& aFileName);
  void DoOnXmlDestinatario(const std::string& aFileName);

 private:
  // Assembles each key of LogConsRec whose protocol has one of the codes; true when any did.
  bool GeraChavesDoRecibo(std::initializer_list<int> aCodigos, const char* aSufixo);

  std::unique_ptr<TmoxKivoUtils> Utils;
  std::string FLogConsRec, FLogEnvio, FSalvarComo, FLogConsChave, FDiretorioXmlDestinatario, FDiretorioLog,
      FChaveNFe, FTemplate;
  bool FSalvarLogsEmDisco = true;
};

}  // namespace mox
