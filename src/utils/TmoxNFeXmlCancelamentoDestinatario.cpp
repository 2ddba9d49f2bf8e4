#include "utils/TmoxNFeXmlCancelamentoDestinatario.h"


#include "base/EmoxException.h"
#include "base/moxFormat.h"
#include "external/AsciiCase.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"
#include "utils/TmoxNFeXMLLogs.h"
#include "utils/moxNFePaths.h"
#include "utils/moxXmlLookup.h"

namespace mox {

namespace {

bool Contem(const std::string& aTexto, const std::string& aParte, bool aIgnoraCaixa = false) {
  return aIgnoraCaixa ? LowerAscii(aTexto).find(LowerAscii(aParte)) != std::string::npos
                      : aTexto.find(aParte) != std::string::npos;
}

// The log as a file's text when it names an existing file, else as the text itself.
std::string ConteudoDoLog(const std::string& aLog) {
  if (!aLog.empty() && aLog.find('<') == std::string::npos && FileExists(aLog))
    return TmoxKivoUtils().LoadFromFileUTF8(aLog);
  return aLog;
}

std::string LeTemplate(const std::string& aPasta, const std::string& aArquivo) {
  const std::string caminho = WithTrailingSlash(ExpandPath(aPasta)) + aArquivo;
  if (!FileExists(caminho))
    throw EmoxTemplateNotFoundException::CreateFmt("Arquivo de template não encontrado: %s", {caminho});
  return TmoxKivoUtils().LoadFromFileUTF8(caminho);
}

}  // namespace

std::string LimparXMLDestinatario(const std::string& aXml) {
  std::string xml = aXml;
  for (const char* declaracao : {"<?xml version=\"1.0\"?>", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                                 "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>"})
    if (const auto p = xml.find(declaracao); p != std::string::npos) xml.erase(p, std::char_traits<char>::length(declaracao));
  for (auto p = xml.find("\r\n"); p != std::string::npos; p = xml.find("\r\n", p)) xml.erase(p, 2);
  return xml;
}

// ---------------------------------------------------------------- shared

std::string TmoxDocumentoDestinatario::AchaId(const std::string& aIdNFe, const std::string& aLogPedido) const {
  if (!aIdNFe.empty() && aIdNFe.front() == 'N') Falha("A Chave deve ser composta apenas por Números");
  std::string elemento;
  if (!TmoxKivoUtils().XPathSelectSingleNode(aLogPedido, std::string(".//nfx:") + ElementoPedido(), elemento,
                                             TmoxKivoUtils::kNfxDeclaration, false))
    return {};
  const std::string id = Contem(aIdNFe, "ID") ? aIdNFe : "ID" + aIdNFe;
  return Contem(elemento, id, true) ? id : std::string();
}

std::string TmoxDocumentoDestinatario::Gera() {
  std::string pedido = FPedido, resposta = FResposta;
  if (AchaId(FIdNFe, pedido).empty()) Falha("ID informado não confere com a chave do log de pedido de cancelamento.");
  if (Evento()) resposta = GetRetEvento(resposta);
  if (GetValueTag("chNFe", pedido) != GetValueTag("chNFe", resposta))
    Falha("A chave do log de pedido de cancelamento não confere com a chave do log de retorno de cancelamento.");
  if (!Aceito(Evento() ? TmoxNFeEventoXmlCancelamentoDestinatario::GetStatus(resposta) : GetValueTag("cStat", resposta)))
    Falha(NaoAceito());
  SetPedido(LimparXMLDestinatario(pedido));
  SetResposta(LimparXMLDestinatario(resposta));
  return Monta();
}

std::string TmoxDocumentoDestinatario::Monta() const {
  if (FTemplate.empty()) Falha("O arquivo de template não foi configurado.");
  return moxFormat(FTemplate, {FPedido, FResposta});
}

// ---------------------------------------------------------------- cancellation

void TmoxNFeXmlCancelamentoDestinatario::SetPedido(const std::string& aValue) {
  if (!Contem(aValue, "infCanc")) Falha("O conteúdo do Log de pedido de Cancelamento é inválido.");
  FPedido = aValue;
}

void TmoxNFeXmlCancelamentoDestinatario::SetResposta(const std::string& aValue) {
  if (!Contem(aValue, "retCancNFe")) Falha("O conteúdo do Log de Retorno de Cancelamento é inválido.");
  FResposta = aValue;
}

void TmoxNFeXmlCancelamentoDestinatario::Falha(const std::string& aMensagem) const {
  throw EmoxNFeNotaCanceladaDestinatario(aMensagem);
}

void TmoxNFeEventoXmlCancelamentoDestinatario::SetPedido(const std::string& aValue) {
  if (!Contem(aValue, "infEvento") || !Contem(LowerAscii(aValue), "<tpevento>110111</tpevento>"))
    Falha("O conteúdo do Log de pedido de Cancelamento é inválido.");
  FPedido = aValue;
}

void TmoxNFeEventoXmlCancelamentoDestinatario::SetResposta(const std::string& aValue) {
  if (!Contem(aValue, "retEvento")) Falha("O conteúdo do Log de Retorno de Cancelamento é inválido.");
  FResposta = aValue;
}

std::string TmoxNFeEventoXmlCancelamentoDestinatario::GetStatus(const std::string& aXML) {
  std::string cStat;
  TmoxKivoUtils().XPathSelectSingleNode(aXML, "//*[local-name()='retEvento']//*[local-name()='cStat']", cStat);
  return cStat;
}

// ---------------------------------------------------------------- manifestation

void TmoxNFeEventoXmlManifestacaoDestinatario::SetPedido(const std::string& aValue) {
  if (!Contem(aValue, "infEvento", true) || !Contem(aValue, "<tpevento>" + FTipoEvento + "</tpevento>", true))
    Falha("O conteúdo do Log de pedido de Manifestação é inválido.");
  FPedido = aValue;
}

void TmoxNFeEventoXmlManifestacaoDestinatario::SetResposta(const std::string& aValue) {
  if (!Contem(aValue, "retEvento", true)) Falha("O conteúdo do Log de Retorno de Manifestação é inválido.");
  FResposta = aValue;
}

void TmoxNFeEventoXmlManifestacaoDestinatario::Falha(const std::string& aMensagem) const {
  throw EmoxNFeEnviarManifestacaoDestinatario(aMensagem);
}

// ---------------------------------------------------------------- unit routine

std::string GerarXMLCancelamentoDestinatario(const std::string& aIDNFe, const std::string& aContentLogPedCanc,
                                             const std::string& aContentLogRetCanc, const std::string& aDiretorioLog,
                                             const std::string& aDiretorioTemplates, const std::string& aUF,
                                             const std::string&, const std::string& aSalvarComo) {
  const std::string pedido = ConteudoDoLog(aContentLogPedCanc), resposta = ConteudoDoLog(aContentLogRetCanc);
  TmoxKivoUtils utils;
  if (pedido.empty()) throw EmoxNFeNotaCanceladaDestinatario("O log de pedido de cancelamento não pode ser vazio.");
  if (!utils.IsValidXml(pedido))
    throw EmoxNFeNotaCanceladaDestinatario("O log de pedido de cancelamento deve ser um Xml válido.");
  if (resposta.empty()) throw EmoxNFeNotaCanceladaDestinatario("O log de pedido de cancelamento não pode ser vazio.");
  const std::string logPedido = TmoxNFeXMLLogs::LoadLog(pedido, aDiretorioLog);
  const std::string logResposta = TmoxNFeXMLLogs::LoadLog(resposta, aDiretorioLog);
  const std::string pasta = aDiretorioTemplates + aUF + "/";
  std::string evento, xml;
  if (utils.XPathSelectSingleNode(logPedido, "//*[local-name()=\"evento\"]", evento, {}, false)) {
    TmoxNFeEventoXmlCancelamentoDestinatario c;
    c.SetLogPedCanc(evento);
    c.SetLogRetCanc(logResposta);
    c.SetTemplate(LeTemplate(pasta, "cancxmlevento_dest.xml"));
    c.SetIdNFe("110111" + aIDNFe + "01");
    xml = c.GerarXmlCancelamentoDestinatario();
  } else {
    TmoxNFeXmlCancelamentoDestinatario c;
    c.SetLogPedCanc(logPedido);
    c.SetLogRetCanc(logResposta);
    c.SetTemplate(LeTemplate(pasta, "cancxml_dest.xml"));
    c.SetIdNFe(aIDNFe);
    xml = c.GerarXmlCancelamentoDestinatario();
  }
  if (!aSalvarComo.empty()) {
    const std::string destino = ExpandPath(aSalvarComo);
    CreateDirectories(destino.substr(0, destino.find_last_of('/') + 1));
    utils.SaveToFile(xml, destino);
  }
  return xml;
}

}  // namespace mox
