#pragma once
// A real SMTP server for tests (tests/support/smtp_capture.py, aiosmtpd) on a loopback port,
// with the options of its command line (TLS, authentication, a fault), and what it received
// read back as parsed by Python's own MIME parser.
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/BackgroundProcess.h"
#include "support/TestSupport.h"

namespace moxtest {

class ServidorSmtp {
 public:
  explicit ServidorSmtp(const std::vector<std::string>& aOpcoes = {});
  int Porta() const { return porta_; }
  // Each message accepted, in arrival order.
  std::vector<nlohmann::json> Recebidas() const;
  // The bytes of an attachment of a received message.
  static std::string Anexo(const nlohmann::json& aMensagem, size_t aIndice);

 private:
  TempDir caixa_;
  std::unique_ptr<BackgroundProcess> processo_;
  int porta_ = 0;
};

// The test authority's server certificate and key for the mail server's TLS, in aPasta:
// {certificate, key, authority} paths.
struct TlsDoServidor {
  std::string Certificado, Chave, Autoridade;
};
TlsDoServidor EscreveTlsDoServidor(const TempDir& aPasta);

}  // namespace moxtest
