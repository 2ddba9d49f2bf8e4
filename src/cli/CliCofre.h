#pragma once
// What "moxnfe cofre" and "moxnfe nfe enviar-destinatario" share: the configuration file a run
// reads and the custody archive folder.
#include <string>

#include "cli/CliCommand.h"

namespace moxcli {

// --config, else the user's nfeConfig.ini when there is one; empty when neither.
std::string ArquivoDeConfiguracao(const CliArgs& aArgs);

// The archive folder: --cofre, else "Pasta" of section [COFRE] of the configuration (relative to
// the file's folder), else "Cofre" under the user's data folder. Ends with "/".
std::string PastaDoCofre(const CliArgs& aArgs, const std::string& aArquivoConfiguracao);

}  // namespace moxcli
