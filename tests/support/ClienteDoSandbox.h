#pragma once
// What a client of the sandbox keeps on disk: the servers file pointing at it, the company's
// certificate (password "s"), the test authority, and the component's schemas folder with each
// manual version's mapping beside its official package.
#include <memory>
#include <string>
#include <vector>

#include "component/TmoxNFe.h"
#include "support/SandboxDeTeste.h"

namespace moxtest {

class ClienteDoSandbox {
 public:
  explicit ClienteDoSandbox(const SandboxDeTeste& aSandbox);
  // Rewrites the servers file for the sandbox's address (it changes with a restart).
  void AtualizaServidores(const SandboxDeTeste& aSandbox);

  std::string Servidores() const { return pasta_.file("hom.ini"); }
  std::string Certificado() const { return pasta_.file("empresa.pfx"); }
  // With the manual-version sub-folders vm50a (PL_008i2, with PL_006v's request-form
  // cancellation), vm50 (PL_006v), vm40 (PL_006j) and vm30 (PL_005f).
  std::string Esquemas() const { return pasta_.str() + "Esquemas/"; }
  // A component of the test company for the sandbox under the manual version: these files, the
  // built templates, and its log, error-log and recipient folders in aPasta.
  std::unique_ptr<mox::TmoxNFe> Componente(mox::TVersaoManual aVersao, const TempDir& aPasta) const;
  // The options of "moxnfe nfe emitir" that name these files.
  std::vector<std::string> Opcoes() const;

 private:
  TempDir pasta_;
};

// A suite sharing one sandbox and one client's files.
class TesteComCliente : public TesteComSandbox {
 protected:
  static void SetUpTestSuite() {
    TesteComSandbox::SetUpTestSuite();
    cliente_ = new ClienteDoSandbox(*sandbox_);
  }
  static void TearDownTestSuite() {
    delete cliente_;
    cliente_ = nullptr;
    TesteComSandbox::TearDownTestSuite();
  }

  static inline ClienteDoSandbox* cliente_ = nullptr;
};

}  // namespace moxtest
