#pragma once
// The sandbox as the tests meet it: the built program started on a free port with the test
// authority, and clients that post hand-written SOAP requests with a certificate of their own.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "external/CertificateCredential.h"
#include "external/TmoxKivoX.h"
#include "support/BackgroundProcess.h"
#include "support/TestCertificates.h"
#include "support/TestSupport.h"

namespace moxtest {

inline constexpr const char* kWsdl = "http://www.portalfiscal.inf.br/nfe/wsdl/";
inline constexpr const char* kNomeHomologacao = "NF-E EMITIDA EM AMBIENTE DE HOMOLOGACAO - SEM VALOR FISCAL";

// The recipient of the test notes.
inline constexpr const char* kCnpjDestinatario = "11222333000181";

// An e-CNPJ of the test authority for the recipient's company.
const mox::CertificateCredential& OutraEmpresa();

class SandboxDeTeste {
 public:
  // Started with the extra options of its command line (faults, ...).
  explicit SandboxDeTeste(std::vector<std::string> aOpcoes = {});
  // Stops the sandbox with SIGTERM and starts it again on the same state folder; aParado runs
  // while it is stopped.
  void Reinicia(const std::function<void()>& aParado = {});
  // Kills the sandbox with SIGKILL, wherever it is, and starts it again on the same state folder.
  void Derruba();
  // Options added to the sandbox's command line from its next start on.
  void DefineOpcoes(std::vector<std::string> aOpcoes) { opcoes_ = std::move(aOpcoes); }
  // "https://127.0.0.1:PORT/ws/SP/NfeStatusServico2"
  std::string Endereco(const std::string& aSecao, const std::string& aServico) const;
  const std::string& Url() const { return url_; }
  const TempDir& Pasta() const { return pasta_; }

 private:
  void Inicia();

  TempDir pasta_;
  std::unique_ptr<BackgroundProcess> processo_;
  std::vector<std::string> opcoes_;
  std::string url_;
};

// A suite of tests that share one sandbox, started before its first test and stopped after its
// last. The sandbox remembers what each test did, so tests use numbers of their own.
class TesteComSandbox : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sandbox_ = new SandboxDeTeste; }
  static void TearDownTestSuite() {
    delete sandbox_;
    sandbox_ = nullptr;
  }

  static inline SandboxDeTeste* sandbox_ = nullptr;
};

// A client of the sandbox with a certificate (none when null) that trusts the test authority.
class ClienteDeTeste {
 public:
  explicit ClienteDeTeste(const mox::CertificateCredential* aCertificado = &Pki().Company);
  // Posts a SOAP 1.2 envelope with the action WSDL + aServico + "/" + aMetodo (aMetodo empty:
  // the namespace alone) and returns the content of aResultado in the answer.
  std::string Posta(const std::string& aEndereco, const std::string& aServico, const std::string& aMetodo,
                    const std::string& aResultado, const std::string& aEnvelope);
  // How long a post may take before the client gives up (30 s unless told).
  void DefineTempoLimite(int aMilissegundos) { kivo_.HttpSettings.Timeout = aMilissegundos; }

 private:
  TempDir pasta_;
  mox::TmoxKivoX kivo_;
};

// Hand-written requests of layout 3.10 to the SP services of manual 5.0a; each returns the
// ret document.
std::string LoteNFe(const std::vector<std::string>& aNotas, const std::string& aIndSinc = "0");
std::string EnviaLote(ClienteDeTeste& aCliente, const SandboxDeTeste& aSandbox, const std::vector<std::string>& aNotas,
                      const std::string& aIndSinc = "0");
std::string ConsultaRecibo(ClienteDeTeste& aCliente, const SandboxDeTeste& aSandbox, const std::string& aRecibo);
std::string ConsultaNota(ClienteDeTeste& aCliente, const SandboxDeTeste& aSandbox, const std::string& aChave);
// The DF-e distribution of the party aCnpj after NSU aUltimoNSU (retDistDFeInt).
std::string DistribuicaoDFe(ClienteDeTeste& aCliente, const SandboxDeTeste& aSandbox, const std::string& aCnpj,
                            unsigned long long aUltimoNSU);
// Sends the signed note in a batch of its own and returns its protocol (protNFe) from the
// receipt query.
std::string Autoriza(ClienteDeTeste& aCliente, const SandboxDeTeste& aSandbox, const std::string& aNota);

// An event of the national layout, unsigned; the Id is made from the type, key and sequence.
struct EventoDeTeste {
  std::string Tipo, Chave, Detalhe;
  int Sequencia = 1;
  std::string Orgao = "35", Autor = kCompanyCnpj, Ambiente = "2";
  std::string DataHora = {};  // empty: now
  std::string Xml() const;
};
// The detail of a cancellation and of a correction letter.
std::string DetalheCancelamento(const std::string& aProtocolo);
std::string DetalheCCe(const std::string& aCorrecao);
// Posts the lot of signed events to RecepcaoEvento of the section; returns retEnvEvento.
std::string EnviaEventos(ClienteDeTeste& aCliente, const SandboxDeTeste& aSandbox, const std::string& aSecao,
                         const std::vector<std::string>& aEventos);

// A SOAP 1.2 request of the service with header cUF and versaoDados and aDados in nfeDadosMsg.
std::string Envelope(const std::string& aServico, const std::string& aCUF, const std::string& aVersao,
                     const std::string& aDados);

// An NF-e of the test company in layout 3.10 (or 2.00, or 1.10), issued now in SP with number
// aNumero and its access key, unsigned. aAjuste changes the text before the key is computed from
// it.
std::string NotaDeTeste(int aNumero, const std::function<void(std::string&)>& aAjuste = {},
                        const std::string& aLeiaute = "3.10");
// The key of a note made by NotaDeTeste.
std::string ChaveDe(const std::string& aNota);

// Signs the element (infNFe, infCanc, infInut, infEvento) of the document.
std::string Assina(const std::string& aXml, const std::string& aElemento,
                   const mox::CertificateCredential& aCertificado = Pki().Company);

// Valid against the official schema (path below the schemas folder, e.g.
// "PL_008i2/retConsStatServ_v3.10.xsd"), else the validation errors.
::testing::AssertionResult ValidaContraEsquema(const std::string& aXml, const std::string& aEsquema);

// The text of the first element aTag (inside aPai when given).
std::string Campo(const std::string& aXml, const std::string& aTag, const std::string& aPai = {});
// The XML of every element named aTag.
std::vector<std::string> Elementos(const std::string& aXml, const std::string& aTag);

// Replaces the first occurrence; fails the test when there is none.
void Troca(std::string& aTexto, const std::string& aDe, const std::string& aPara);

// The current Brasília time as "yyyy-mm-ddThh:mm:ss-03:00".
std::string AgoraBrasilia();

}  // namespace moxtest
