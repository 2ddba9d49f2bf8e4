#pragma once
// One libcurl transfer with what the SOAP poster and the mail sender share: the error text,
// time-out, TLS verification, a client certificate given from memory, and the answer's bytes.
#include <curl/curl.h>

#include <memory>
#include <string>

#include "external/CertificateCredential.h"

namespace mox {

struct TTlsOptions {
  bool IgnoreInvalidCertificates = false;
  std::string CABundle;  // a PEM file or a hashed folder of authorities; empty: the system's
  const CertificateCredential* ClientCertificate = nullptr;  // must outlive the transfer
};

class CurlSession {
 public:
  CurlSession();
  ~CurlSession();
  CurlSession(const CurlSession&) = delete;
  CurlSession& operator=(const CurlSession&) = delete;

  CURL* get() const { return curl_; }

  template <typename T>
  void Set(CURLoption aOption, T aValue) {
    Check(curl_easy_setopt(curl_, aOption, aValue));
  }
  void AddHeader(const std::string& aLine);
  const curl_slist* Headers() const { return headers_; }

  // aMs <= 0 takes aDefaultMs.
  void SetTimeout(long aMs, long aDefaultMs);
  void SetTls(const TTlsOptions& aOptions);
  // Keeps the answer's body, refusing more than aLimit bytes.
  void CaptureBody(size_t aLimit);

  // Runs the transfer; returns curl's code, the text of a failure in ErrorText().
  CURLcode Perform();
  std::string ErrorText(CURLcode aCode) const;
  long ResponseCode() const;
  // The proxy's answer to CONNECT (0 without a proxy tunnel).
  long ProxyConnectCode() const;
  const std::string& Body() const { return body_; }

 private:
  static size_t Write(char* aData, size_t aSize, size_t aCount, void* aSelf);
  static CURLcode SetupSsl(CURL* aCurl, void* aSslCtx, void* aSelf);
  void Check(CURLcode aCode) const;

  CURL* curl_;
  curl_slist* headers_ = nullptr;
  char error_[CURL_ERROR_SIZE] = {};
  std::string body_;
  size_t limit_ = 0;
  bool overflow_ = false;
  long timeoutMs_ = 0;
  const CertificateCredential* clientCertificate_ = nullptr;
};

// The standard reason phrase of an HTTP status ("Not Found"), or "HTTP" for an unknown one.
const char* HttpReasonPhrase(long aStatus);

}  // namespace mox
