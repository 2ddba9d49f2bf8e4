#include "cli/CliCofre.h"

#include "external/TmoxIniFile.h"
#include "external/moxPaths.h"

namespace moxcli {

std::string ArquivoDeConfiguracao(const CliArgs& aArgs) {
  if (auto config = aArgs.Option("config")) {
    if (!mox::FileExists(*config)) throw CliUsageError{"arquivo de configuração não encontrado: " + *config};
    return CaminhoDigitado(*config);
  }
  const std::string doUsuario = mox::UserConfigDir() + "nfeConfig.ini";
  return mox::FileExists(doUsuario) ? doUsuario : std::string();
}

std::string PastaDoCofre(const CliArgs& aArgs, const std::string& aArquivoConfiguracao) {
  if (auto pasta = aArgs.Option("cofre")) return mox::WithTrailingSlash(CaminhoDigitado(*pasta));
  if (!aArquivoConfiguracao.empty()) {
    const std::string pasta = mox::TmoxIniFile(aArquivoConfiguracao).ReadString("COFRE", "Pasta", "");
    if (!pasta.empty()) {
      const std::string base = aArquivoConfiguracao.substr(0, aArquivoConfiguracao.find_last_of('/') + 1);
      return mox::WithTrailingSlash(mox::AbsolutePath(pasta, base));
    }
  }
  return mox::UserDataDir() + "Cofre/";
}

}  // namespace moxcli
