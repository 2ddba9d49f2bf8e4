#pragma once
// Options shared by the subcommands that open a certificate: where it is, its password, and
// for an A3 certificate its token's PIN and PKCS#11 module.
#include <vector>

#include "cli/CliCommand.h"
#include "component/TmoxNFe.h"
#include "external/TmoxKivoX.h"

namespace moxcli {

// --senha, --senha-arquivo, --repositorio, --a3, --pin-arquivo and --modulo-pkcs11.
std::vector<CliOption> CertificatePasswordOptions();

// --senha, else the first line of --senha-arquivo, else $MOXNFE_SENHA_CERTIFICADO, else empty.
std::string CertificatePassword(const CliArgs& aArgs);

// The first line of --pin-arquivo, else $MOXNFE_PIN, else empty.
std::string TokenPin(const CliArgs& aArgs);

// A services server pointed at the store of --repositorio (or the default one), with the
// password of the options, and at the certificate a PKCS#12 file (aFile) or a name (aName)
// designates: of the store, or with --a3 of the tokens, logged in with the PIN. Without a file
// or a name, a usage error.
void ConfigureCertificate(mox::TmoxKivoX& aKivo, const CliArgs& aArgs, const std::string& aFile,
                          const std::string& aName);

// The component's certificate settings from the options (store folder, password, and with
// --a3 the token's kind, PIN and module). Call after the component's first GetKivo, which
// resets the certificate kind.
void ConfigureComponentCertificate(mox::TmoxNFe& aNFe, const CliArgs& aArgs);

}  // namespace moxcli
