#pragma once
// Options shared by the subcommands that open a certificate: where it is and its password.
#include <vector>

#include "cli/CliCommand.h"
#include "external/TmoxKivoX.h"

namespace moxcli {

// --senha, --senha-arquivo and --repositorio.
std::vector<CliOption> CertificatePasswordOptions();

// --senha, else the first line of --senha-arquivo, else $MOXNFE_SENHA_CERTIFICADO, else empty.
std::string CertificatePassword(const CliArgs& aArgs);

// A services server pointed at the store of --repositorio (or the default one), with the
// password of the options, and at the certificate a PKCS#12 file (aFile) or a store name
// (aName) designates; with neither, a usage error.
void ConfigureCertificate(mox::TmoxKivoX& aKivo, const CliArgs& aArgs, const std::string& aFile,
                          const std::string& aName);

}  // namespace moxcli
