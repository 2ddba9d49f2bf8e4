#include "cli/CliCertificateOptions.h"

#include <cstdlib>

#include "external/FileIO.h"

namespace moxcli {

namespace {

std::string FirstLineOf(const std::string& aFile) {
  std::string text = mox::ReadFileBytes(aFile);
  return text.substr(0, text.find_first_of("\r\n"));
}

std::string Env(const char* aName) {
  const char* value = std::getenv(aName);
  return value ? value : "";
}

}  // namespace

std::vector<CliOption> CertificatePasswordOptions() {
  return {
      {"senha", "SENHA", "senha do certificado (prefira --senha-arquivo ou MOXNFE_SENHA_CERTIFICADO)"},
      {"senha-arquivo", "ARQUIVO", "lê a senha da primeira linha do arquivo"},
      {"repositorio", "PASTA", "pasta do repositório de certificados (padrão: ~/.local/share/moxnfe/certificados)"},
      {"a3", "", "certificado A3, em token ou cartão inteligente: --nome escolhe entre os certificados dos tokens"},
      {"pin-arquivo", "ARQUIVO", "lê o PIN do token da primeira linha do arquivo (ou use MOXNFE_PIN)"},
      {"modulo-pkcs11", "ARQUIVO",
       "módulo PKCS#11 do token (padrão: MOXNFE_MODULO_PKCS11, o proxy do p11-kit ou o do OpenSC)"},
  };
}

std::string CertificatePassword(const CliArgs& aArgs) {
  if (auto p = aArgs.Option("senha")) return *p;
  if (auto file = aArgs.Option("senha-arquivo")) return FirstLineOf(*file);
  return Env("MOXNFE_SENHA_CERTIFICADO");
}

std::string TokenPin(const CliArgs& aArgs) {
  if (auto file = aArgs.Option("pin-arquivo")) return FirstLineOf(*file);
  return Env("MOXNFE_PIN");
}

void ConfigureCertificate(mox::TmoxKivoX& aKivo, const CliArgs& aArgs, const std::string& aFile,
                          const std::string& aName) {
  aKivo.SetCertificateStoreFolder(aArgs.OptionOr("repositorio", ""));
  aKivo.SetPkcs11Modules(aArgs.OptionOr("modulo-pkcs11", ""));
  auto& s = aKivo.SignerSettings;
  s.CertificatePassword = CertificatePassword(aArgs);
  if (aArgs.Flag("a3")) {
    if (aName.empty() || !aFile.empty())
      throw CliUsageError{"com --a3, informe --nome NOME de um certificado do token (nome, CNPJ ou série)"};
    s.CertificateType = mox::kCertSmartCard;
    s.CertificateName = aName;
    s.Pincode = TokenPin(aArgs);
  } else if (!aFile.empty()) {
    s.CertificateType = mox::kCertFile;
    s.CertificatePath = aFile;
  } else if (!aName.empty()) {
    s.CertificateType = mox::kCertMemory;
    s.CertificateName = aName;
  } else {
    throw CliUsageError{"informe o arquivo PKCS#12 do certificado ou --nome NOME de um certificado do repositório"};
  }
}

void ConfigureComponentCertificate(mox::TmoxNFe& aNFe, const CliArgs& aArgs) {
  aNFe.GetKivo().SetCertificateStoreFolder(aArgs.OptionOr("repositorio", ""));
  aNFe.SetSenhaCertificado(CertificatePassword(aArgs));
  aNFe.SetModuloPKCS11(aArgs.OptionOr("modulo-pkcs11", ""));
  if (!aArgs.Flag("a3")) return;
  aNFe.SetTipoCertificado(mox::TCertificadoKind::ckSmartCard);
  aNFe.SetPinCode(TokenPin(aArgs));
}

}  // namespace moxcli
