#pragma once
// The HTTPS server: TLS 1.2 or newer with the sandbox's certificate, and a client certificate
// issued by the configured authority required in the handshake, as SEFAZ requires. A client
// without one, or with one of another authority, is refused before any HTTP is exchanged.
#include <memory>
#include <string>

#include "external/CertificateCredential.h"
#include "sandbox/ServicosSefaz.h"

namespace httplib {
class SSLServer;
}

namespace mox::sandbox {

struct TConfiguracaoServidor {
  std::string Endereco = "127.0.0.1";
  int Porta = 0;  // 0: a free port
  CertificateCredential Autoridade;
  CertificateCredential Servidor;  // with its private key
};

class ServidorSandbox {
 public:
  ServidorSandbox(TConfiguracaoServidor aConfiguracao, TRecursos& aRecursos);
  ~ServidorSandbox();
  ServidorSandbox(const ServidorSandbox&) = delete;
  ServidorSandbox& operator=(const ServidorSandbox&) = delete;

  // Binds the address; returns the port. Raises std::runtime_error when it cannot.
  int Liga();
  // Serves until Para(); returns then.
  void Atende();
  // May be called from any thread; a call that comes before Atende() has started serving
  // waits for it, so a stop is never lost.
  void Para();

 private:
  TConfiguracaoServidor configuracao_;
  TRecursos& recursos_;
  std::unique_ptr<httplib::SSLServer> servidor_;
};

}  // namespace mox::sandbox
