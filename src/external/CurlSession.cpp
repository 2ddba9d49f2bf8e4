#include "external/CurlSession.h"

#include <openssl/ssl.h>

#include <mutex>

#include "external/EKivoException.h"
#include "external/moxPaths.h"
#include "external/SystemErrorText.h"

namespace mox {

CurlSession::CurlSession() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  curl_ = curl_easy_init();
  if (!curl_) throw EKivoException("Falha ao iniciar a biblioteca de rede (libcurl).");
  Set(CURLOPT_ERRORBUFFER, error_);
  Set(CURLOPT_NOSIGNAL, 1L);
}

CurlSession::~CurlSession() {
  curl_easy_cleanup(curl_);
  curl_slist_free_all(headers_);
}

void CurlSession::Check(CURLcode aCode) const {
  if (aCode != CURLE_OK) throw EKivoException("Opção de rede não suportada: " + CurlErrorText(aCode, ""));
}

void CurlSession::AddHeader(const std::string& aLine) {
  curl_slist* next = curl_slist_append(headers_, aLine.c_str());
  if (!next) throw EKivoException("Falha ao montar os cabeçalhos.");
  headers_ = next;
}

void CurlSession::SetTimeout(long aMs, long aDefaultMs) {
  timeoutMs_ = aMs > 0 ? aMs : aDefaultMs;
  Set(CURLOPT_TIMEOUT_MS, timeoutMs_);
  Set(CURLOPT_CONNECTTIMEOUT_MS, timeoutMs_);
}

void CurlSession::SetTls(const TTlsOptions& aOptions) {
  Set(CURLOPT_SSL_VERIFYPEER, aOptions.IgnoreInvalidCertificates ? 0L : 1L);
  Set(CURLOPT_SSL_VERIFYHOST, aOptions.IgnoreInvalidCertificates ? 0L : 2L);
  if (!aOptions.CABundle.empty()) {
    std::string path = NormalizeSeparators(aOptions.CABundle);
    if (DirectoryExists(path)) Set(CURLOPT_CAPATH, path.c_str());
    else if (FileExists(path)) Set(CURLOPT_CAINFO, path.c_str());
    else throw EKivoException("Arquivo de autoridades certificadoras não encontrado: " + aOptions.CABundle);
  }
  clientCertificate_ = aOptions.ClientCertificate;
  if (clientCertificate_) {
    Set(CURLOPT_SSL_CTX_FUNCTION, &CurlSession::SetupSsl);
    Set(CURLOPT_SSL_CTX_DATA, this);
  }
}

// The key never leaves memory: it is handed to the TLS context directly.
CURLcode CurlSession::SetupSsl(CURL*, void* aSslCtx, void* aSelf) {
  auto* self = static_cast<CurlSession*>(aSelf);
  auto* ctx = static_cast<SSL_CTX*>(aSslCtx);
  const CertificateCredential& c = *self->clientCertificate_;
  if (SSL_CTX_use_certificate(ctx, c.Certificate.get()) != 1 || !c.PrivateKey ||
      SSL_CTX_use_PrivateKey(ctx, c.PrivateKey.get()) != 1 || SSL_CTX_check_private_key(ctx) != 1)
    return CURLE_SSL_CERTPROBLEM;
  for (const auto& issuer : c.Chain)
    if (SSL_CTX_add1_chain_cert(ctx, issuer.get()) != 1) return CURLE_SSL_CERTPROBLEM;
  if (c.RsaPkcs1Only && (SSL_CTX_set_max_proto_version(ctx, TLS1_2_VERSION) != 1 ||
                         SSL_CTX_set1_client_sigalgs_list(ctx, "RSA+SHA256:RSA+SHA384:RSA+SHA512:RSA+SHA1") != 1))
    return CURLE_SSL_CERTPROBLEM;
  return CURLE_OK;
}

size_t CurlSession::Write(char* aData, size_t aSize, size_t aCount, void* aSelf) {
  auto* self = static_cast<CurlSession*>(aSelf);
  size_t n = aSize * aCount;
  if (self->body_.size() + n > self->limit_) {
    self->overflow_ = true;
    return 0;
  }
  self->body_.append(aData, n);
  return n;
}

void CurlSession::CaptureBody(size_t aLimit) {
  limit_ = aLimit;
  Set(CURLOPT_WRITEFUNCTION, &CurlSession::Write);
  Set(CURLOPT_WRITEDATA, this);
}

CURLcode CurlSession::Perform() {
  if (headers_) Set(CURLOPT_HTTPHEADER, headers_);
  error_[0] = '\0';
  body_.clear();
  overflow_ = false;
  return curl_easy_perform(curl_);
}

std::string CurlSession::ErrorText(CURLcode aCode) const {
  if (aCode == CURLE_OPERATION_TIMEDOUT) return "tempo esgotado após " + std::to_string(timeoutMs_) + " ms";
  if (overflow_) return "resposta maior que " + std::to_string(limit_ / (1024 * 1024)) + " MB";
  return CurlErrorText(aCode, error_);
}

long CurlSession::ResponseCode() const {
  long code = 0;
  curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &code);
  return code;
}

long CurlSession::ProxyConnectCode() const {
  long code = 0;
  curl_easy_getinfo(curl_, CURLINFO_HTTP_CONNECTCODE, &code);
  return code;
}

const char* HttpReasonPhrase(long aStatus) {
  switch (aStatus) {
    case 200: return "OK";
    case 201: return "Created";
    case 202: return "Accepted";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 304: return "Not Modified";
    case 307: return "Temporary Redirect";
    case 308: return "Permanent Redirect";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 406: return "Not Acceptable";
    case 407: return "Proxy Authentication Required";
    case 408: return "Request Timeout";
    case 409: return "Conflict";
    case 410: return "Gone";
    case 411: return "Length Required";
    case 413: return "Content Too Large";
    case 414: return "URI Too Long";
    case 415: return "Unsupported Media Type";
    case 429: return "Too Many Requests";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    case 504: return "Gateway Timeout";
    case 505: return "HTTP Version Not Supported";
    default: return "HTTP";
  }
}

}  // namespace mox
