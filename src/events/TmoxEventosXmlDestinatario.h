#pragma once
// The event file handed to the recipient (procEventoNFe): the signed event of the request log
// and SEFAZ's retEvento of the answer, put together in the recipient template.
#include <functional>
#include <string>

namespace mox {

class TmoxEventosXmlDestinatario {
 public:
  using TOnGenerate = std::function<void(const std::string& aFileName, const std::string& aXml)>;

  std::string LogConsRec;               // the answer, as XML text
  std::string LogEnvio;                 // the request log: XML text or file name
  std::string SalvarComo;               // output file; empty: not written
  std::string LogConsChave;
  std::string DiretorioXmlDestinatario;
  std::string DiretorioLog;
  std::string IdEvento;                 // only for the error message
  std::string Template;                 // two "%s": the evento, the retEvento
  TOnGenerate OnGenerateXMLDestinatario;

  // Builds, writes (when SalvarComo is set) and returns the recipient XML.
  std::string GerarXmlDestinatario();

 private:
  std::string MontarXmlDestinatario(const std::string& aIdEvento) const;
  void SalvarEmArquivo(const std::string& aXml);
};

// UTF-8 with a byte-order mark and CR LF line ends, replacing the file whole.
void GravaXmlComBom(const std::string& aArquivo, const std::string& aXml);

}  // namespace mox
