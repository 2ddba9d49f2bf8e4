#include "support/ClienteDoSandbox.h"

#include <filesystem>
#include <stdexcept>

namespace moxtest {

namespace fs = std::filesystem;

ClienteDoSandbox::ClienteDoSandbox(const SandboxDeTeste& aSandbox) {
  AtualizaServidores(aSandbox);
  WritePfx(pasta_.path() / "empresa.pfx", Pki().Company, "s");
  WriteCertificatePem(pasta_.path() / "ac.pem", Pki().Authority);
  for (const auto& [versao, pacote] : {std::pair{"vm50a", "PL_008i2"}, std::pair{"vm50", "PL_006v"}, std::pair{"vm60", "PL_010_V1.30"}}) {
    const fs::path pasta = pasta_.path() / "Esquemas" / versao;
    fs::create_directories(pasta);
    for (const auto& e : fs::directory_iterator(SchemasDir() / pacote)) fs::create_symlink(e.path(), pasta / e.path().filename());
    fs::copy_file(fs::path(MOXNFE_SOURCE_DIR) / "data/Esquemas" / versao / "Mapping.txt", pasta / "Mapping.txt");
  }
}

void ClienteDoSandbox::AtualizaServidores(const SandboxDeTeste& aSandbox) {
  const ProgramResult r =
      RunProgram(BuiltProgram("moxnfe-sandbox"), {"servidores", "--url", aSandbox.Url(), "--saida", Servidores()});
  if (r.status != 0) throw std::runtime_error("moxnfe-sandbox servidores: " + r.err);
}

std::vector<std::string> ClienteDoSandbox::Opcoes() const {
  return {"--servidores", Servidores(), "--pfx", Certificado(), "--senha", "s", "--ca", pasta_.file("ac.pem"),
          "--esquemas", Esquemas()};
}

}  // namespace moxtest
