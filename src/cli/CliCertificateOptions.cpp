#include "cli/CliCertificateOptions.h"

#include <cstdlib>

#include "external/FileIO.h"

namespace moxcli {

std::vector<CliOption> CertificatePasswordOptions() {
  return {
      {"senha", "SENHA", "senha do certificado (prefira --senha-arquivo ou MOXNFE_SENHA_CERTIFICADO)"},
      {"senha-arquivo", "ARQUIVO", "lê a senha da primeira linha do arquivo"},
      {"repositorio", "PASTA", "pasta do repositório de certificados (padrão: ~/.local/share/moxnfe/certificados)"},
  };
}

std::string CertificatePassword(const CliArgs& aArgs) {
  if (auto p = aArgs.Option("senha")) return *p;
  if (auto file = aArgs.Option("senha-arquivo")) {
    std::string text = mox::ReadFileBytes(*file);
    return text.substr(0, text.find_first_of("\r\n"));
  }
  const char* env = std::getenv("MOXNFE_SENHA_CERTIFICADO");
  return env ? env : "";
}

void ConfigureCertificate(mox::TmoxKivoX& aKivo, const CliArgs& aArgs, const std::string& aFile,
                          const std::string& aName) {
  aKivo.SetCertificateStoreFolder(aArgs.OptionOr("repositorio", ""));
  auto& s = aKivo.SignerSettings;
  s.CertificatePassword = CertificatePassword(aArgs);
  if (!aFile.empty()) {
    s.CertificateType = mox::kCertFile;
    s.CertificatePath = aFile;
  } else if (!aName.empty()) {
    s.CertificateType = mox::kCertMemory;
    s.CertificateName = aName;
  } else {
    throw CliUsageError{"informe o arquivo PKCS#12 do certificado ou --nome NOME de um certificado do repositório"};
  }
}

}  // namespace moxcli
