#include "sandbox/MensagemSoap.h"

#include <strings.h>

#include <cstring>

#include "external/EKivoException.h"
#include "external/TextSplit.h"
#include "external/XmlDocument.h"
#include "external/XmlDsigNodes.h"
#include "external/XmlEscape.h"

namespace mox::sandbox {

namespace {

constexpr const char* kSoap12 = "http://www.w3.org/2003/05/soap-envelope";
constexpr const char* kSoap11 = "http://schemas.xmlsoap.org/soap/envelope/";

std::string NamespaceDe(xmlNodePtr aNode) {
  return aNode && aNode->ns && aNode->ns->href ? reinterpret_cast<const char*>(aNode->ns->href) : "";
}

xmlNodePtr PrimeiroElemento(xmlNodePtr aPai) {
  for (xmlNodePtr c = aPai ? aPai->children : nullptr; c; c = c->next)
    if (c->type == XML_ELEMENT_NODE) return c;
  return nullptr;
}

// The value of the "action" parameter of a content type, without quotes.
std::string AcaoDoTipoConteudo(const std::string& aTipoConteudo) {
  for (const auto& parte : SplitTrimmed(aTipoConteudo, ";")) {
    if (strncasecmp(parte.c_str(), "action", 6) != 0) continue;
    std::string valor = Trim(std::string_view(parte).substr(6));
    if (valor.empty() || valor[0] != '=') continue;
    valor = Trim(std::string_view(valor).substr(1));
    if (valor.size() >= 2 && valor.front() == '"' && valor.back() == '"') valor = valor.substr(1, valor.size() - 2);
    return valor;
  }
  return {};
}

std::string SemAspas(std::string aTexto) {
  aTexto = Trim(aTexto);
  if (aTexto.size() >= 2 && aTexto.front() == '"' && aTexto.back() == '"') return aTexto.substr(1, aTexto.size() - 2);
  return aTexto;
}

void LeCabecalho(xmlNodePtr aEnvelope, const char* aSoap, TPedidoSoap& aPedido) {
  xmlNodePtr cabecalho = ChildElement(aEnvelope, "Header", aSoap);
  xmlNodePtr cabec = cabecalho ? ChildElement(cabecalho, "nfeCabecMsg", nullptr) : nullptr;
  if (!cabec) return;
  aPedido.TemCabecalho = true;
  if (xmlNodePtr cuf = ChildElement(cabec, "cUF", nullptr)) {
    aPedido.TemCUF = true;
    aPedido.CUF = Trim(NodeText(cuf));
  }
  if (xmlNodePtr versao = ChildElement(cabec, "versaoDados", nullptr)) {
    aPedido.TemVersaoDados = true;
    aPedido.VersaoDados = Trim(NodeText(versao));
  }
}

// The document inside nfeDadosMsg: an element, or the escaped text of one.
std::string DadosDe(xmlNodePtr aDadosMsg) {
  if (xmlNodePtr documento = PrimeiroElemento(aDadosMsg)) return NodeXml(documento);
  return NodeText(aDadosMsg);
}

// The first generation's operation element: the header and the request as texts. The header's
// versaoDados is read when it can be; PreparaDocumento checks the header against its schema.
bool LePrimeiraGeracao(xmlNodePtr aOperacao, TPedidoSoap& aPedido) {
  xmlNodePtr dados = ChildElement(aOperacao, "nfeDadosMsg", nullptr);
  if (!dados) return false;
  aPedido.PrimeiraGeracao = true;
  aPedido.Dados = DadosDe(dados);
  xmlNodePtr cabec = ChildElement(aOperacao, "nfeCabecMsg", nullptr);
  if (!cabec) return true;
  aPedido.TemCabecalho = true;
  aPedido.CabecMsg = Trim(DadosDe(cabec));
  try {
    XmlDocument documento = XmlDocument::Parse(aPedido.CabecMsg);
    if (xmlNodePtr versao = ChildElement(documento.Root(), "versaoDados", nullptr)) {
      aPedido.TemVersaoDados = true;
      aPedido.VersaoDados = Trim(NodeText(versao));
    }
  } catch (const EKivoException&) {
  }
  return true;
}

}  // namespace

TPedidoSoap LePedidoSoap(const std::string& aCorpo, const std::string& aTipoConteudo, const std::string& aSoapAction) {
  TPedidoSoap pedido;
  pedido.Acao = AcaoDoTipoConteudo(aTipoConteudo);
  if (pedido.Acao.empty()) pedido.Acao = SemAspas(aSoapAction);

  XmlDocument doc = [&] {
    try {
      return XmlDocument::Parse(aCorpo);
    } catch (const EKivoException& e) {
      throw ESoapInvalido(std::string("a mensagem não é XML bem formado: ") + e.what());
    }
  }();
  xmlNodePtr envelope = doc.Root();
  const std::string ns = NamespaceDe(envelope);
  if (LocalName(envelope) != "Envelope" || (ns != kSoap12 && ns != kSoap11))
    throw ESoapInvalido("a mensagem não é um envelope SOAP");
  pedido.Soap12 = ns == kSoap12;
  const char* soap = pedido.Soap12 ? kSoap12 : kSoap11;
  LeCabecalho(envelope, soap, pedido);

  xmlNodePtr elemento = PrimeiroElemento(ChildElement(envelope, "Body", soap));
  if (!elemento) throw ESoapInvalido("o corpo SOAP está vazio");
  pedido.ElementoCorpo = std::string(LocalName(elemento));
  pedido.NamespaceCorpo = NamespaceDe(elemento);
  if (pedido.ElementoCorpo == "nfeDadosMsg") {
    pedido.Dados = DadosDe(elemento);
  } else if (pedido.ElementoCorpo == "nfeDadosMsgZip") {
    pedido.Compactado = true;
    pedido.Dados = Trim(NodeText(elemento));
  } else if (pedido.ElementoCorpo == "nfeDistDFeInteresse") {
    xmlNodePtr dados = ChildElement(elemento, "nfeDadosMsg", nullptr);
    if (!dados) throw ESoapInvalido("nfeDistDFeInteresse sem nfeDadosMsg");
    pedido.Dados = DadosDe(dados);
  } else if (!LePrimeiraGeracao(elemento, pedido)) {
    throw ESoapInvalido("elemento do corpo SOAP não reconhecido: " + pedido.ElementoCorpo);
  }
  return pedido;
}

std::string RespostaSoap(const std::string& aNamespace, const std::string& aElementoResultado,
                         const std::string& aCUF, const std::string& aVersaoDados, const std::string& aRet,
                         bool aSoap12, const std::string& aElementoResposta) {
  const std::string soap = aSoap12 ? kSoap12 : kSoap11;
  std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope xmlns:soap=\"" + soap + "\">";
  if (!aCUF.empty())
    xml += "<soap:Header><nfeCabecMsg xmlns=\"" + aNamespace + "\"><cUF>" + aCUF + "</cUF><versaoDados>" +
           aVersaoDados + "</versaoDados></nfeCabecMsg></soap:Header>";
  xml += "<soap:Body>";
  if (!aElementoResposta.empty()) xml += "<" + aElementoResposta + " xmlns=\"" + aNamespace + "\">";
  xml += "<" + aElementoResultado + (aElementoResposta.empty() ? " xmlns=\"" + aNamespace + "\"" : "") + ">" + aRet +
         "</" + aElementoResultado + ">";
  if (!aElementoResposta.empty()) xml += "</" + aElementoResposta + ">";
  return xml + "</soap:Body></soap:Envelope>";
}

std::string FalhaSoap(const std::string& aMotivo, bool aRemetente, bool aSoap12) {
  const std::string motivo = EscapeXmlText(aMotivo);
  if (!aSoap12)
    return std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope xmlns:soap=\"") + kSoap11 +
           "\"><soap:Body><soap:Fault><faultcode>soap:" + (aRemetente ? "Client" : "Server") +
           "</faultcode><faultstring>" + motivo + "</faultstring></soap:Fault></soap:Body></soap:Envelope>";
  return std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope xmlns:soap=\"") + kSoap12 +
         "\"><soap:Body><soap:Fault><soap:Code><soap:Value>soap:" + (aRemetente ? "Sender" : "Receiver") +
         "</soap:Value></soap:Code><soap:Reason><soap:Text xml:lang=\"pt-BR\">" + motivo +
         "</soap:Text></soap:Reason></soap:Fault></soap:Body></soap:Envelope>";
}

}  // namespace mox::sandbox
