// The recipient XML of authorized notes, assembled from the transaction logs.
#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "external/AsciiCase.h"
#include "external/moxPaths.h"
#include "utils/TmoxNFeXMLLogs.h"
#include "utils/TmoxNFeXmlCancelamentoDestinatario.h"
#include "utils/TmoxNFeXmlDestinatario.h"

namespace mox {

std::unique_ptr<TmoxNFeXmlDestinatario> TmoxNFe::NovoXmlDestinatario() {
  auto x = std::make_unique<TmoxNFeXmlDestinatario>();
  x->SetTemplate(LoadTemplate("envioxml_dest.xml"));
  x->SetDiretorioXmlDestinatario(DiretorioXmlDestinatario());
  x->SetDiretorioLog(DiretorioLog());
  x->SetSalvarLogsEmDisco(SalvarLogsEmDisco());
  x->OnXmlDestinatario = [this](const std::string& aArquivo) {
    if (OnXmlDestinatario) OnXmlDestinatario(aArquivo);
  };
  return x;
}

void TmoxNFe::GerarXMLDestinatario(const std::string& aNotaID, const std::string& aLogConsNFName) {
  if (!FileExists(DiretorioXmlDestinatario() + aNotaID)) return;
  auto x = NovoXmlDestinatario();
  x->SetChaveNFe(aNotaID);
  x->SetLogConsChave(DiretorioLog() + aLogConsNFName);
  x->SetSalvarComo(DiretorioXmlDestinatario() + aNotaID + "-nfe.xml");
  x->GerarXmlDestinatario(aNotaID);
}

void TmoxNFe::GerarXmlDestinatarioNFsAprovadas(const std::string& aNumRecibo, const std::string& aLogConsRecibo) {
  CheckConfig();
  if (aLogConsRecibo.empty()) throw EmoxCheckParams("Log de consulta de Recibo não informado", DiretorioLogErro());
  auto x = NovoXmlDestinatario();
  x->SetLogConsRec(DiretorioLog() + aLogConsRecibo);
  x->GerarXmlDestinatario(aNumRecibo);
}

std::string TmoxNFe::GerarXMLEnvioDestinatario(const std::string& aIdNFe, const std::string& aLogEnvLote,
                                               const std::string& aLogConsReciboOuChave,
                                               const std::string& aSalvarComo) {
  UpdateNFeData();
  if (aLogConsReciboOuChave.empty())
    throw EmoxCheckParams("Log de consulta de Recibo não informado", DiretorioLogErro());
  const std::string envio = TmoxNFeXMLLogs::LoadLog(aLogEnvLote, DiretorioLog());
  const std::string consulta = TmoxNFeXMLLogs::LoadLog(aLogConsReciboOuChave, DiretorioLog());
  auto x = NovoXmlDestinatario();
  x->SetChaveNFe(aIdNFe);
  x->SetLogEnvio(envio);
  x->SetSalvarComo(aSalvarComo);
  const std::string tipo = UpperAscii(consulta);
  if (tipo.find("RETCONSRECINFE") != std::string::npos)
    x->SetLogConsRec(consulta);
  else if (tipo.find("RETCONSSITNFE") != std::string::npos || tipo.find("RETENVINFE") != std::string::npos)
    x->SetLogConsChave(consulta);
  std::string xml = x->GerarXmlDestinatario();
  if (xml.starts_with("\xEF\xBB\xBF")) xml.erase(0, 3);
  return xml;
}

std::string TmoxNFe::GerarXMLCancelamentoDestinatario(const std::string& aIDNFe, const std::string& aContentLogPedCanc,
                                                      const std::string& aContentLogRetCanc,
                                                      const std::string& aSalvarComo) {
  return mox::GerarXMLCancelamentoDestinatario(aIDNFe, aContentLogPedCanc, aContentLogRetCanc, DiretorioLog(),
                                               DiretorioTemplates(), UF(), DiretorioXmlDestinatario(), aSalvarComo);
}

}  // namespace mox
