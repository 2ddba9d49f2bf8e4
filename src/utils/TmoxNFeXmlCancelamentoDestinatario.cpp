#include "utils/TmoxNFeXmlCancelamentoDestinatario.h"

#include <algorithm>
#include <initializer_list>

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

// What tells the three documents apart; the checks and the assembly are the same.
struct TRegras {
  const char* ElementoPedido;  // the signed group whose Id names the document
  std::initializer_list<const char*> CodigosAceitos;
  const char* NaoHomologado;
  bool Evento;  // status and answer are the retEvento's
};

const TRegras kCancelamento{"infCanc", {"101", "151"}, "Não se trata de cancelamento de NF-e homologado.", false};
const TRegras kCancelamentoEvento{"infEvento", {"135", "155"}, "Não se trata de cancelamento de NF-e homologado.", true};
const TRegras kManifestacao{"infEvento", {"135", "136"}, "Não se trata de um manifesto de destinatário.", true};

bool Contem(const std::string& aTexto, const std::string& aParte, bool aIgnoraCaixa = false) {
  return aIgnoraCaixa ? LowerAscii(aTexto).find(LowerAscii(aParte)) != std::string::npos
                      : aTexto.find(aParte) != std::string::npos;
}

template <typename E>
std::string AchaId(const TRegras& aRegras, const std::string& aIdNFe, const std::string& aLog) {
  if (!aIdNFe.empty() && aIdNFe.front() == 'N') throw E("A Chave deve ser composta apenas por Números");
  std::string elemento;
  if (!TmoxKivoUtils().XPathSelectSingleNode(aLog, std::string(".//nfx:") + aRegras.ElementoPedido, elemento,
                                             TmoxKivoUtils::kNfxDeclaration, false))
    return {};
  const std::string id = Contem(aIdNFe, "ID") ? aIdNFe : "ID" + aIdNFe;
  return Contem(elemento, id, true) ? id : std::string();
}

std::string StatusDoEvento(const std::string& aXml) {
  std::string cStat;
  TmoxKivoUtils().XPathSelectSingleNode(aXml, "//*[local-name()='retEvento']//*[local-name()='cStat']", cStat);
  return cStat;
}

// The checks of a request and its answer in order, then both cleaned for the template.
template <typename E>
void Confere(const TRegras& aRegras, const std::string& aIdNFe, std::string& aPedido, std::string& aResposta) {
  if (AchaId<E>(aRegras, aIdNFe, aPedido).empty())
    throw E("ID informado não confere com a chave do log de pedido de cancelamento.");
  if (aRegras.Evento) aResposta = GetRetEvento(aResposta);
  if (GetValueTag("chNFe", aPedido) != GetValueTag("chNFe", aResposta))
    throw E("A chave do log de pedido de cancelamento não confere com a chave do log de retorno de cancelamento.");
  const std::string cStat = aRegras.Evento ? StatusDoEvento(aResposta) : GetValueTag("cStat", aResposta);
  if (std::none_of(aRegras.CodigosAceitos.begin(), aRegras.CodigosAceitos.end(),
                   [&](const char* c) { return cStat == c; }))
    throw E(aRegras.NaoHomologado);
  aPedido = LimparXMLDestinatario(aPedido);
  aResposta = LimparXMLDestinatario(aResposta);
}

template <typename E>
std::string Monta(const std::string& aTemplate, const std::string& aPedido, const std::string& aResposta) {
  if (aTemplate.empty()) throw E("O arquivo de template não foi configurado.");
  return moxFormat(aTemplate, {aPedido, aResposta});
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

// ---------------------------------------------------------------- request form

void TmoxNFeXmlCancelamentoDestinatario::SetLogPedCanc(const std::string& aValue) {
  if (!Contem(aValue, "infCanc"))
    throw EmoxNFeNotaCanceladaDestinatario("O conteúdo do Log de pedido de Cancelamento é inválido.");
  FLogPedCanc = aValue;
}

void TmoxNFeXmlCancelamentoDestinatario::SetLogRetCanc(const std::string& aValue) {
  if (!Contem(aValue, "retCancNFe"))
    throw EmoxNFeNotaCanceladaDestinatario("O conteúdo do Log de Retorno de Cancelamento é inválido.");
  FLogRetCanc = aValue;
}

std::string TmoxNFeXmlCancelamentoDestinatario::AchaIdLogPedCanc(const std::string& aIdNFe,
                                                                 const std::string& aLogPedCanc) {
  return AchaId<EmoxNFeNotaCanceladaDestinatario>(kCancelamento, aIdNFe, aLogPedCanc);
}

std::string TmoxNFeXmlCancelamentoDestinatario::GerarXmlCancelamentoDestinatario() {
  std::string pedido = FLogPedCanc, resposta = FLogRetCanc;
  Confere<EmoxNFeNotaCanceladaDestinatario>(kCancelamento, FIdNFe, pedido, resposta);
  SetLogPedCanc(pedido);
  SetLogRetCanc(resposta);
  return MontarXmlCancelamentoDestinatario();
}

std::string TmoxNFeXmlCancelamentoDestinatario::MontarXmlCancelamentoDestinatario() {
  return Monta<EmoxNFeNotaCanceladaDestinatario>(FTemplate, FLogPedCanc, FLogRetCanc);
}

// ---------------------------------------------------------------- cancellation event

void TmoxNFeEventoXmlCancelamentoDestinatario::SetLogPedCanc(const std::string& aValue) {
  if (!Contem(aValue, "infEvento") || !Contem(LowerAscii(aValue), "<tpevento>110111</tpevento>"))
    throw EmoxNFeNotaCanceladaDestinatario("O conteúdo do Log de pedido de Cancelamento é inválido.");
  FLogPedCanc = aValue;
}

void TmoxNFeEventoXmlCancelamentoDestinatario::SetLogRetCanc(const std::string& aValue) {
  if (!Contem(aValue, "retEvento"))
    throw EmoxNFeNotaCanceladaDestinatario("O conteúdo do Log de Retorno de Cancelamento é inválido.");
  FLogRetCanc = aValue;
}

std::string TmoxNFeEventoXmlCancelamentoDestinatario::AchaIdLogPedCanc(const std::string& aIdNFe,
                                                                       const std::string& aLogPedCanc) {
  return AchaId<EmoxNFeNotaCanceladaDestinatario>(kCancelamentoEvento, aIdNFe, aLogPedCanc);
}

std::string TmoxNFeEventoXmlCancelamentoDestinatario::GetStatus(const std::string& aXML) { return StatusDoEvento(aXML); }

std::string TmoxNFeEventoXmlCancelamentoDestinatario::GerarXmlCancelamentoDestinatario() {
  std::string pedido = FLogPedCanc, resposta = FLogRetCanc;
  Confere<EmoxNFeNotaCanceladaDestinatario>(kCancelamentoEvento, FIdNFe, pedido, resposta);
  SetLogPedCanc(pedido);
  SetLogRetCanc(resposta);
  return MontarXmlCancelamentoDestinatario();
}

std::string TmoxNFeEventoXmlCancelamentoDestinatario::MontarXmlCancelamentoDestinatario() {
  return Monta<EmoxNFeNotaCanceladaDestinatario>(FTemplate, FLogPedCanc, FLogRetCanc);
}

// ---------------------------------------------------------------- manifestation

void TmoxNFeEventoXmlManifestacaoDestinatario::SetLogPedMan(const std::string& aValue) {
  if (!Contem(aValue, "infEvento", true) || !Contem(aValue, "<tpevento>" + FTipoEvento + "</tpevento>", true))
    throw EmoxNFeEnviarManifestacaoDestinatario("O conteúdo do Log de pedido de Manifestação é inválido.");
  FLogPedMan = aValue;
}

void TmoxNFeEventoXmlManifestacaoDestinatario::SetLogRetMan(const std::string& aValue) {
  if (!Contem(aValue, "retEvento", true))
    throw EmoxNFeEnviarManifestacaoDestinatario("O conteúdo do Log de Retorno de Manifestação é inválido.");
  FLogRetMan = aValue;
}

std::string TmoxNFeEventoXmlManifestacaoDestinatario::AchaIdLogPedMan(const std::string& aIdNFe,
                                                                      const std::string& aLogPedMan) {
  return AchaId<EmoxNFeEnviarManifestacaoDestinatario>(kManifestacao, aIdNFe, aLogPedMan);
}

std::string TmoxNFeEventoXmlManifestacaoDestinatario::GetStatus(const std::string& aXML) { return StatusDoEvento(aXML); }

std::string TmoxNFeEventoXmlManifestacaoDestinatario::GerarXmlManifestacaoDestinatario() {
  std::string pedido = FLogPedMan, resposta = FLogRetMan;
  Confere<EmoxNFeEnviarManifestacaoDestinatario>(kManifestacao, FIdNFe, pedido, resposta);
  SetLogPedMan(pedido);
  SetLogRetMan(resposta);
  return MontarXmlManifestacaoDestinatario();
}

std::string TmoxNFeEventoXmlManifestacaoDestinatario::MontarXmlManifestacaoDestinatario() {
  return Monta<EmoxNFeEnviarManifestacaoDestinatario>(FTemplate, FLogPedMan, FLogRetMan);
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
