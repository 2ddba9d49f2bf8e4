#include "events/TmoxEventosXMLUtils.h"

#include <vector>

#include "base/EmoxException.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"

namespace mox {

namespace {
constexpr const char* kInfEvento = "//*[local-name()=\"infEvento\"]";
}

std::string PastaExpandida(const std::string& aPasta) {
  std::string pasta = TmoxKivoUtils().ExpandPath(aPasta);
  if (pasta.empty() || pasta.back() != '/') pasta.push_back('/');
  return pasta;
}

std::string TrocaTodos(const std::string& aTexto, const std::string& aDe, const std::string& aPara) {
  if (aDe.empty()) return aTexto;
  std::string resultado;
  resultado.reserve(aTexto.size());
  size_t inicio = 0;
  for (size_t pos = aTexto.find(aDe); pos != std::string::npos; pos = aTexto.find(aDe, inicio)) {
    resultado.append(aTexto, inicio, pos - inicio).append(aPara);
    inicio = pos + aDe.size();
  }
  return resultado.append(aTexto, inicio, std::string::npos);
}

int TmoxEventosXMLUtils::ObterNumEventos(const std::string& aLote) {
  TmoxKivoUtils utils;
  std::vector<std::string> eventos;
  utils.XPathSelectNodes(aLote, kInfEvento, eventos);
  return static_cast<int>(eventos.size());
}

std::string TmoxEventosXMLUtils::ObterEvento(int aIndex, const std::string& aLote) {
  TmoxKivoUtils utils;
  std::vector<std::string> eventos;
  utils.XPathSelectNodes(aLote, kInfEvento, eventos);
  if (aIndex < 0 || aIndex >= static_cast<int>(eventos.size())) return {};
  return eventos[static_cast<size_t>(aIndex)];
}

std::string TmoxEventosXMLUtils::GetValueTag(const std::string& aTag, const std::string& aTxt) {
  const std::string abre = "<" + aTag + ">";
  const size_t inicio = aTxt.find(abre);
  if (inicio == std::string::npos) return {};
  const size_t conteudo = inicio + abre.size();
  const size_t fim = aTxt.find("</" + aTag + ">", conteudo);
  if (fim == std::string::npos) return {};
  return aTxt.substr(conteudo, fim - conteudo);
}

std::string TmoxEventosXMLUtils::RemoveHeaderXml(const std::string& aXml) {
  TmoxKivoUtils utils;
  std::string raiz;
  if (!utils.IsValidXml(aXml)) return {};
  utils.XPathSelectSingleNode(aXml, "*", raiz, {}, false);
  return raiz;
}

std::string TmoxEventosXMLUtils::Eventos_DesenveloparSOAP(const std::string& aXML) {
  try {
    TmoxKivoUtils utils;
    const std::string ns = utils.GetNodeNamespaceURI(aXML);
    std::string corpo;
    if (utils.XPathSelectSingleNode(aXML, "./soap:Envelope/soap:Body/*", corpo, "xmlns:soap='" + ns + "'", false) &&
        !corpo.empty())
      return corpo;
  } catch (const std::exception&) {
  }
  return aXML;
}

bool TmoxEventosXMLUtils::SeguePadrao(const std::string& aStr, const std::string& aPadrao) {
  if (aStr.size() != aPadrao.size()) return false;
  for (size_t i = 0; i < aStr.size(); ++i) {
    const char c = aStr[i];
    switch (aPadrao[i]) {
      case '#': if (c < '0' || c > '9') return false; break;
      case '&': if (c < 'a' || c > 'z') return false; break;
      case '@': if (c < 'A' || c > 'Z') return false; break;
      default: if (c != aPadrao[i]) return false;
    }
  }
  return true;
}

std::string TmoxEventosXMLUtils::LoadTemplate(const std::string& aXMLFileName) {
  TmoxKivoUtils utils;
  const std::string caminho = utils.ExpandPath(aXMLFileName);
  if (!FileExists(caminho))
    throw EmoxTemplateNotFoundException::CreateFmt("Arquivo de template não encontrado: %s", {caminho});
  return utils.RemoveAccents(utils.LoadFromFileUTF8(caminho));
}

}  // namespace mox
