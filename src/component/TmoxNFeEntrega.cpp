// Delivery of the recipient documents: the authorized note by e-mail (with its DANFE) or to the
// host's custody control, free attachments by e-mail, the cancellation document, and the event
// documents through the event object. Temporary copies serve one delivery and are removed
// whatever its outcome.
#include <stdlib.h>

#include <filesystem>

#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "external/TmoxCofralX.h"
#include "external/TmoxKivoUtils.h"
#include "external/TmoxKivoX.h"
#include "external/XmlDocument.h"
#include "external/moxPaths.h"
#include "utils/TmoxNFeXMLLogs.h"

namespace mox {

namespace {

namespace fs = std::filesystem;

// Copies unless the target exists (then silently nothing); true when it wrote the target.
bool CopiaSemSubstituir(const std::string& aOrigem, const std::string& aDestino) {
  std::error_code ec;
  return fs::copy_file(aOrigem, aDestino, fs::copy_options::skip_existing, ec) && !ec;
}

// A folder of one delivery's own inside the temporary folder, gone when the delivery ends however
// it ends: copies keep the names the recipient sees (the key), and another delivery of the same
// note at the same moment, in this process or another, has its own.
class PastaDaEntrega {
 public:
  PastaDaEntrega(const std::string& aTemporario, const std::string& aLogErro) {
    std::string modelo = aTemporario + "entrega-XXXXXX";
    if (!::mkdtemp(modelo.data()))
      throw EmoxNFeException::CreateFmt("Não foi possível criar a pasta %s.", {modelo}, aLogErro);
    pasta_ = modelo + "/";
  }
  ~PastaDaEntrega() {
    std::error_code ec;
    fs::remove_all(pasta_, ec);
  }
  PastaDaEntrega(const PastaDaEntrega&) = delete;
  PastaDaEntrega& operator=(const PastaDaEntrega&) = delete;
  const std::string& Caminho() const { return pasta_; }

 private:
  std::string pasta_;
};

std::string Juntos(const std::vector<std::string>& aLinhas) {
  std::string texto;
  for (const auto& l : aLinhas) texto += l + "\r\n";
  return texto;
}

bool TemEvento(const std::string& aXml) {
  try {
    std::vector<std::string> nos;
    return TmoxKivoUtils().XPathSelectNodes(aXml, "//*[local-name()=\"evento\"]", nos);
  } catch (const std::exception&) {
    return false;  // not XML: the assembly says so in its own words
  }
}

}  // namespace

void TmoxNFe::EnviaEmailAoDestinatario(const std::vector<std::string>& aAnexos) {
  try {
    EnviaEmail(EmailSettings().EmailDestinatario, aAnexos);
  } catch (const std::exception& e) {
    throw EmoxNFeEnviarNotaDestinatarioException("Erro ao enviar e-mail ao destinatário: " + std::string(e.what()),
                                                 DiretorioLogErro());
  }
}

// The id names files: a separator in it would reach outside the folders.
void TmoxNFe::ChecaIdNFe(const std::string& aIDNFe) {
  if (aIDNFe.find_first_of("/\\") != std::string::npos)
    throw EmoxNFeCheckParams::CreateFmt("Identificação da NF-e inválida: %s", {aIDNFe}, DiretorioLogErro());
}

void TmoxNFe::EntregaAoCofral(const std::string& aArquivo) {
  if (!ComponenteCofral()) throw EmoxNFeException("Componente Cofral não instanciado", DiretorioLogErro());
  ComponenteCofral()->EnviarXml(aArquivo);
}

void TmoxNFe::EnviaEmail(const std::string& aDestinatario, const std::vector<std::string>& aAnexos) {
  GetKivo().SendEmail(aDestinatario, Juntos(aAnexos));
}

void TmoxNFe::EnviarNotaDestinatario(const std::string& aIDNFe, const std::string& aLogEnvio,
                                     const std::string& aLogRecibo) {
  UpdateNFeData();
  ChecaIdNFe(aIDNFe);
  const PastaDaEntrega temporario(DiretorioTemporario(), DiretorioLogErro());
  const std::string xml = temporario.Caminho() + aIDNFe + "-nfe.xml";
  const std::string pdf = temporario.Caminho() + aIDNFe + ".pdf";

  if (!aLogEnvio.empty() || !aLogRecibo.empty()) {
    GerarXMLEnvioDestinatario(aIDNFe, aLogEnvio, aLogRecibo, xml);
  } else {
    std::string origem = DiretorioXmlDestinatario() + aIDNFe + ".xml";
    if (!FileExists(origem)) origem = DiretorioXmlDestinatario() + aIDNFe + "-nfe.xml";
    if (!FileExists(origem))
      throw EmoxNFeException::CreateFmt("Xml da NFe: %s na pasta XMLDestinatário não encontrado.", {aIDNFe},
                                        DiretorioLogErro());
    CopiaSemSubstituir(origem, xml);
  }

  // Whatever the road, only a document that was written is delivered (an unauthorized note's
  // assembly is saved under "Erro-" instead).
  if (!FileExists(xml))
    throw EmoxFileNotFoundException::CreateFmt("Arquivo não Encontrado: %s ", {xml}, DiretorioLogErro());
  if (EntregaXML() == TEntregaXML::exCofral) return EntregaAoCofral(xml);

  std::vector<std::string> anexos{xml};
  if (AnexarDanfePDF()) {
    ExportarDanfe("0000", GetKivoUtils().LoadFromFile(xml), "", 1, pdf);
    if (!FileExists(pdf))
      throw EmoxFileNotFoundException::CreateFmt("Arquivo não Encontrado: %s ", {pdf}, DiretorioLogErro());
    anexos.push_back(pdf);
  }
  EnviaEmailAoDestinatario(anexos);
}

void TmoxNFe::EnviarNotaDestinatarioAnexos(const std::string& aArquivoPDF, const std::string& aArquivoXML,
                                           const std::string& aOutros) {
  UpdateNFeData();
  std::vector<std::string> anexos;
  if (!aArquivoPDF.empty()) anexos.push_back(aArquivoPDF);
  if (!aArquivoXML.empty()) anexos.push_back(aArquivoXML);
  if (!aOutros.empty())
    for (const auto& outro : GetKivoUtils().ParseString(aOutros, ",")) {
      if (!FileExists(outro))
        throw EmoxNFeCheckParams::CreateFmt("Arquivo %s não encontrado para anexar ao email.", {outro},
                                            DiretorioLogErro());
      anexos.push_back(outro);
    }
  if (aArquivoPDF.empty() && aArquivoXML.empty())
    throw EmoxCheckParams("É necessário informar pelo menos um arquivo para Anexar no Email", DiretorioLogErro());
  if (!aArquivoPDF.empty() && !FileExists(aArquivoPDF))
    throw EmoxFileNotFoundException::CreateFmt("Arquivo: [%s] PDF da danfe não foi encontrado", {aArquivoPDF},
                                               DiretorioLogErro());
  if (!aArquivoXML.empty() && !FileExists(aArquivoXML))
    throw EmoxFileNotFoundException::CreateFmt("Arquivo: [%s] XML da NFe não foi encontrado", {aArquivoXML},
                                               DiretorioLogErro());
  EnviaEmailAoDestinatario(anexos);
}

void TmoxNFe::EnviarNotaCanceladaDestinatario(const std::string& aIDNFe, const std::string& aLogPedCanc,
                                              const std::string& aLogRetCanc, const std::string& aEmailDestinatario) {
  UpdateNFeData();
  ChecaIdNFe(aIDNFe);
  const std::string pasta = DiretorioXmlDestinatario();
  const PastaDaEntrega entrega(DiretorioTemporario(), DiretorioLogErro());
  const std::string& temporario = entrega.Caminho();
  std::string sufixo;

  if (!aLogPedCanc.empty() || !aLogRetCanc.empty()) {
    // A log name alone is looked up in the log folder.
    auto caminho = [&](const std::string& aLog) {
      if (aLog.empty() || IsAbsolutePath(aLog) || FileExists(aLog)) return aLog;
      return DiretorioLog() + aLog;
    };
    const std::string pedido = caminho(aLogPedCanc), resposta = caminho(aLogRetCanc);
    if (!FileExists(pedido) || !FileExists(resposta))
      throw EmoxNFeEnviarNotaCanceladaDestinatario("O Log informado está errado ou inválido.", DiretorioLogErro());
    const std::string textoPedido = TmoxNFeXMLLogs::LoadLog(pedido, DiretorioLog());
    sufixo = TemEvento(textoPedido) ? "-caneve.xml" : "-can.xml";
    GerarXMLCancelamentoDestinatario(aIDNFe, textoPedido, TmoxNFeXMLLogs::LoadLog(resposta, DiretorioLog()),
                                     temporario + aIDNFe + sufixo);
    if (CopiaSemSubstituir(temporario + aIDNFe + sufixo, pasta + aIDNFe + sufixo) && OnXmlCanDestinatario)
      OnXmlCanDestinatario(pasta + aIDNFe + sufixo);
  } else {
    sufixo = FileExists(pasta + aIDNFe + "-can.xml") ? "-can.xml" : "-caneve.xml";
    if (!FileExists(pasta + aIDNFe + sufixo))
      throw EmoxNFeException::CreateFmt(
          "Xml de Cancelamento da NFe: %s não foi encontrado na pasta XMLDestinatário.", {aIDNFe}, DiretorioLogErro());
    CopiaSemSubstituir(pasta + aIDNFe + sufixo, temporario + aIDNFe + sufixo);
  }

  if (EntregaXML() == TEntregaXML::exCofral) return EntregaAoCofral(temporario + aIDNFe + sufixo);
  const std::string destinatario =
      aEmailDestinatario.empty() ? EmailSettings().EmailDestinatario : aEmailDestinatario;
  if (destinatario.empty())
    throw EmoxNFeEnviarNotaCanceladaDestinatario(
        "O endereço de email do destinatário deve ser preenchido antes de executar o envio.", DiretorioLogErro());
  try {
    EnviaEmail(destinatario, {temporario + aIDNFe + sufixo});
  } catch (const std::exception& e) {
    throw EmoxNFeEnviarNotaCanceladaDestinatario("Erro ao enviar e-mail ao destinatário: " + std::string(e.what()),
                                                 DiretorioLogErro());
  }
}

std::string TmoxNFe::GerarXMLCCeDestinatario(const std::string& aIDEvento, const std::string& aLogEvento,
                                             const std::string& aLogRetEvento, const std::string& aSalvarComo) {
  AtualizaDadosNFeEventos();
  return FNFeEventos->GerarXMLCCeDestinatario(aIDEvento, aLogEvento, aLogRetEvento, aSalvarComo);
}

std::string TmoxNFe::GerarXMLManifestoDestinatario(const std::string& aIDEvento, const std::string& aLogEvento,
                                                   const std::string& aLogRetEvento, const std::string& aSalvarComo) {
  AtualizaDadosNFeEventos();
  return FNFeEventos->GerarXMLManifestoDestinatario(aIDEvento, aLogEvento, aLogRetEvento, aSalvarComo);
}

std::string TmoxNFe::GerarXMLEPECDestinatario(const std::string& aIDEvento, const std::string& aLogEvento,
                                              const std::string& aLogRetEvento, const std::string& aSalvarComo) {
  AtualizaDadosNFeEventos();
  return GetKivoUtils().RemoveBOM(
      FNFeEventos->GerarXMLEPECDestinatario(aIDEvento, aLogEvento, aLogRetEvento, aSalvarComo));
}

void TmoxNFe::EnviarCCeDestinatario(const std::string& aCCe) {
  AtualizaDadosNFeEventos();
  const std::string arquivo = FileExists(aCCe) ? aCCe : FNFeEventos->DiretorioXmlDestinatario + aCCe + "-cce.xml";
  if (EntregaXML() == TEntregaXML::exCofral && FileExists(arquivo)) return EntregaAoCofral(arquivo);
  FNFeEventos->EnviarCCeDestinatario(arquivo);
}

}  // namespace mox
