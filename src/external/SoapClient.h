#pragma once
// SOAP 1.2 over HTTP(S) with TLS client authentication, as the SEFAZ web services require.
#include <string>

#include "external/CurlSession.h"

namespace mox {

struct TSoapPostOptions {
  TTlsOptions Tls;
  long TimeoutMs = 0;           // <= 0: two minutes
  bool RequireTls = false;      // refuse plain http:// and anything older than TLS 1.2
  std::string Proxy;            // "host:port" or a proxy URL; empty: none
  std::string ProxyUser, ProxyPassword;
};

// Posts the envelope and returns the answer's envelope as text. Raises EKivoException naming
// the URL and the HTTP status for a transport or TLS failure, a time-out, an HTTP error
// (its text carries "Reason (code)", e.g. "Not Found (404)"), a SOAP fault, and an answer
// that is not well-formed XML.
std::string PostSoap12(const std::string& aUrl, const std::string& aEnvelope, const std::string& aAction,
                       const TSoapPostOptions& aOptions);

// The content of the first element named aResultTag, with any prefix (one in aNamespace is
// preferred, then any namespace): its child elements' XML, or its text when it holds text only
// (an escaped document). When the answer has no such element, the whole answer.
std::string SoapResultContent(const std::string& aResponse, const std::string& aResultTag,
                              const std::string& aNamespace = {});

}  // namespace mox
