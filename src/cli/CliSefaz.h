#pragma once
// What the "moxnfe sefaz" commands share: the component configured from a configuration INI and
// the command's options (servers file, UF, operation mode, manual version, certificate), and the
// printing of SEFAZ's answer. Requests are built, signed, validated and posted by the component.
#include <memory>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "component/TmoxNFe.h"

namespace moxcli {

// The command's own options followed by the shared ones.
std::vector<CliOption> OpcoesSefaz(std::vector<CliOption> aProprias);

// The component as the options (and --config) describe it, ready to post.
class ClienteSefaz {
 public:
  explicit ClienteSefaz(const CliArgs& aArgs);

  mox::TmoxNFe& NFe() { return *nfe_; }
  // "1" production, "2" homologation.
  std::string Ambiente() const { return nfe_->Ambiente() == mox::TAmbienteKind::akProducao ? "1" : "2"; }
  // CNPJ (or CPF) of the certificate.
  std::string DocumentoDoCertificado();
  // The issuer the component checks its configuration against (CNPJ): without one in the
  // configuration, the certificate's.
  void EmitenteDoCertificado();

 private:
  std::unique_ptr<mox::TmoxNFe> nfe_;
};

// "<CNPJ>...</CNPJ>" for 14 digits, "<CPF>...</CPF>" for 11.
std::string ElementoDocumento(const std::string& aDocumento);

// Configures a component from --config (or SP and manual 6.0 without one), then --uf,
// --versao-manual, --modo and the certificate options (--pfx, --nome, passwords, --repositorio):
// what the commands that sign or post share.
void ConfiguraComponente(mox::TmoxNFe& aNFe, const CliArgs& aArgs);

// Codes that mean the request did what was asked.
struct TSucesso {
  std::vector<std::string> Resposta;   // cStat of the ret document
  std::vector<std::string> Documentos = {"100", "101", "110", "135", "136", "140", "150", "151", "155", "301", "302"};
};

// Prints SEFAZ's answer: its code and text, the receipt, every protocol (protNFe), event
// (retEvento), cancellation and voiding it carries; with --json as an object. Returns 0 when
// the answer's code and every document's code are successes, 3 otherwise.
int MostraResposta(const std::string& aRet, const CliArgs& aArgs, CliIo& aIo, const TSucesso& aSucesso);

}  // namespace moxcli
