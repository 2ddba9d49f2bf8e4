#include "external/SoapClient.h"

#include <strings.h>

#include <cstring>

#include "external/EKivoException.h"
#include "external/Utf8Text.h"
#include "external/XmlDocument.h"
#include "external/XmlDsigNodes.h"
#include "external/XmlTreeWalk.h"
#include "external/TextSplit.h"

namespace mox {

namespace {

constexpr size_t kMaxResponse = 64u * 1024 * 1024;
constexpr long kDefaultTimeoutMs = 120000;
constexpr const char* kSoap12 = "http://www.w3.org/2003/05/soap-envelope";
constexpr const char* kSoap11 = "http://schemas.xmlsoap.org/soap/envelope/";

xmlNodePtr FindByLocalName(xmlNodePtr aRoot, std::string_view aName, const char* aNamespace = nullptr) {
  return FindElement(aRoot, [&](xmlNodePtr aNode) {
    return LocalName(aNode) == aName &&
           (!aNamespace || (aNode->ns && aNode->ns->href &&
                            std::strcmp(reinterpret_cast<const char*>(aNode->ns->href), aNamespace) == 0));
  });
}

// "code: reason" of a SOAP 1.2 or 1.1 fault; empty when the document holds none.
std::string FaultText(const XmlDocument& aDoc) {
  xmlNodePtr fault = FindByLocalName(aDoc.Root(), "Fault", kSoap12);
  if (fault) {
    std::string code = Trim(NodeText(ChildElement(ChildElement(fault, "Code", kSoap12), "Value", kSoap12)));
    std::string reason = Trim(NodeText(ChildElement(ChildElement(fault, "Reason", kSoap12), "Text", kSoap12)));
    return code.empty() ? reason : code + ": " + reason;
  }
  fault = FindByLocalName(aDoc.Root(), "Fault", kSoap11);
  if (!fault) return {};
  std::string code = Trim(NodeText(ChildElement(fault, "faultcode", nullptr)));
  std::string reason = Trim(NodeText(ChildElement(fault, "faultstring", nullptr)));
  return code.empty() ? reason : code + ": " + reason;
}

std::string StatusText(long aStatus) {
  return std::string(HttpReasonPhrase(aStatus)) + " (" + std::to_string(aStatus) + ")";
}

void ConfigureProxy(CurlSession& aSession, const TSoapPostOptions& aOptions) {
  if (aOptions.Proxy.empty()) return;
  aSession.Set(CURLOPT_PROXY, aOptions.Proxy.c_str());
  if (!aOptions.ProxyUser.empty()) {
    aSession.Set(CURLOPT_PROXYUSERNAME, aOptions.ProxyUser.c_str());
    aSession.Set(CURLOPT_PROXYPASSWORD, aOptions.ProxyPassword.c_str());
    aSession.Set(CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY));
  }
}

// What a user can do about a TLS failure, added to curl's own text.
std::string TransportHint(CURLcode aCode, bool aHttps) {
  if (!aHttps) return {};
  switch (aCode) {
    case CURLE_PEER_FAILED_VERIFICATION:
      return " - o certificado do servidor não foi reconhecido: informe as autoridades certificadoras que o emitiram";
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
      return " - a conexão segura foi recusada: o servidor pode não ter aceitado o certificado digital do cliente";
    default:
      return {};
  }
}

bool StartsWithNoCase(const std::string& aText, const char* aPrefix) {
  return strncasecmp(aText.c_str(), aPrefix, std::strlen(aPrefix)) == 0;
}

}  // namespace

std::string PostSoap12(const std::string& aUrl, const std::string& aEnvelope, const std::string& aAction,
                       const TSoapPostOptions& aOptions) {
  bool https = StartsWithNoCase(aUrl, "https://");
  if (!https && !StartsWithNoCase(aUrl, "http://"))
    throw EKivoException("Endereço de serviço inválido (use http:// ou https://): " + aUrl);
  if (aOptions.RequireTls && !https)
    throw EKivoException("Conexão segura exigida: o endereço do serviço deve começar com https://: " + aUrl);
  if (aAction.find_first_of("\"\r\n") != std::string::npos)
    throw EKivoException("Ação SOAP inválida: " + aAction);

  CurlSession s;
  s.Set(CURLOPT_URL, aUrl.c_str());
  s.Set(CURLOPT_PROTOCOLS_STR, "http,https");
  s.Set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  s.Set(CURLOPT_POST, 1L);
  s.Set(CURLOPT_POSTFIELDS, aEnvelope.data());
  s.Set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(aEnvelope.size()));
  s.Set(CURLOPT_ACCEPT_ENCODING, "");
  s.AddHeader("Content-Type: application/soap+xml; charset=utf-8; action=\"" + aAction + "\"");
  s.AddHeader("Expect:");  // no 100-continue round trip before the body
  s.SetTimeout(aOptions.TimeoutMs, kDefaultTimeoutMs);
  if (https) {
    s.SetTls(aOptions.Tls);
    if (aOptions.RequireTls) s.Set(CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
  }
  ConfigureProxy(s, aOptions);
  s.CaptureBody(kMaxResponse);

  CURLcode rc = s.Perform();
  if (long proxyStatus = s.ProxyConnectCode(); rc != CURLE_OK && proxyStatus >= 300)
    throw EKivoException("Falha ao acessar " + aUrl + ": o proxy " + aOptions.Proxy + " recusou a conexão: " +
                         StatusText(proxyStatus));
  if (rc != CURLE_OK)
    throw EKivoException("Falha ao acessar " + aUrl + " (sem resposta HTTP): " + s.ErrorText(rc) +
                         TransportHint(rc, https));

  long status = s.ResponseCode();
  std::string body = DecodeToUtf8(s.Body());
  std::string fault;
  bool wellFormed = false;
  bool envelope = false;
  try {
    XmlDocument doc = XmlDocument::Parse(body);
    wellFormed = true;
    envelope = doc.Root() && LocalName(doc.Root()) == "Envelope";
    fault = FaultText(doc);
  } catch (const EKivoException&) {
  }
  if (status < 200 || status > 299) {
    std::string message = "Erro HTTP em " + aUrl + ": " + StatusText(status);
    if (!fault.empty()) message += " - falha SOAP " + fault;
    throw EKivoException(message);
  }
  if (!fault.empty()) throw EKivoException("Falha SOAP em " + aUrl + " (HTTP " + std::to_string(status) + "): " + fault);
  if (!wellFormed)
    throw EKivoException("Resposta inválida de " + aUrl + " (HTTP " + std::to_string(status) +
                         "): o conteúdo não é XML bem formado.");
  // A proxy or portal page can be well-formed XML too; it is no answer from the service.
  if (!envelope)
    throw EKivoException("Resposta inválida de " + aUrl + " (HTTP " + std::to_string(status) +
                         "): o conteúdo não é um envelope SOAP.");
  return body;
}

std::string SoapResultContent(const std::string& aResponse, const std::string& aResultTag,
                              const std::string& aNamespace) {
  XmlDocument doc = XmlDocument::Parse(aResponse);
  xmlNodePtr result = nullptr;
  if (!aResultTag.empty() && !aNamespace.empty()) result = FindByLocalName(doc.Root(), aResultTag, aNamespace.c_str());
  if (!result && !aResultTag.empty()) result = FindByLocalName(doc.Root(), aResultTag);
  if (!result) return RemoveUtf8Bom(aResponse);
  std::string content;
  bool hasElements = false;
  for (xmlNodePtr c = result->children; c; c = c->next) {
    if (c->type != XML_ELEMENT_NODE) continue;
    hasElements = true;
    content += NodeXml(c);
  }
  return hasElements ? content : Trim(NodeText(result));
}

}  // namespace mox
