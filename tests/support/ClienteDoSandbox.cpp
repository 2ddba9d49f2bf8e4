#include "support/ClienteDoSandbox.h"

#include <filesystem>
#include <utility>
#include <vector>
#include <stdexcept>

namespace moxtest {

namespace fs = std::filesystem;

ClienteDoSandbox::ClienteDoSandbox(const SandboxDeTeste& aSandbox) {
  AtualizaServidores(aSandbox);
  WritePfx(pasta_.path() / "empresa.pfx", Pki().Company, "s");
  WriteCertificatePem(pasta_.path() / "ac.pem", Pki().Authority);
  // Each manual version's folder holds its layout's package, then the event and DF-e packages
  // the mapping names, then what else it needs (manual 5.0a keeps the request-form cancellation of
  // layout 2.00, from PL_006v). A file already there stays: the packages share file names with
  // different contents, and this order keeps each schema with the types it was written for.
  struct Pasta {
    const char* versao;
    std::vector<const char*> pacotes;
    std::vector<const char*> depois;
  };
  const Pasta pastas[] = {{"vm60", {"PL_010_V1.30"}, {}}, {"vm50a", {"PL_008i2"}, {"PL_006v"}},
                          {"vm50", {"PL_006v"}, {}},      {"vm40", {"PL_006j"}, {}},
                          {"vm30", {"PL_005f"}, {}}};
  const std::vector<const char*> eventos{"Evento_CCe_PL_v1.01",           "Evento_Canc_PL_v1.01",
                                         "Evento_Generico_PL_v1.01",      "Evento_ManifestaDest_PL_v1.01",
                                         "PL_v1.01b",                     "PL_NFeDistDFe_100"};
  for (const Pasta& p : pastas) {
    const fs::path pasta = pasta_.path() / "Esquemas" / p.versao;
    fs::create_directories(pasta);
    for (const auto* grupo : {&p.pacotes, &eventos, &p.depois})
      for (const char* pacote : *grupo)
        for (const auto& e : fs::directory_iterator(SchemasDir() / pacote))
          if (!fs::exists(pasta / e.path().filename())) fs::create_symlink(e.path(), pasta / e.path().filename());
    fs::copy_file(fs::path(MOXNFE_SOURCE_DIR) / "data/Esquemas" / p.versao / "Mapping.txt", pasta / "Mapping.txt");
  }
  // EPEC is validated outside the manual version's folder.
  fs::create_directory_symlink(SchemasDir() / "Evento_EPEC_PL_v1.01", pasta_.path() / "Esquemas" / "epec");
}

void ClienteDoSandbox::AtualizaServidores(const SandboxDeTeste& aSandbox) {
  const ProgramResult r =
      RunProgram(BuiltProgram("moxnfe-sandbox"), {"servidores", "--url", aSandbox.Url(), "--saida", Servidores()});
  if (r.status != 0) throw std::runtime_error("moxnfe-sandbox servidores: " + r.err);
}

std::unique_ptr<mox::TmoxNFe> ClienteDoSandbox::Componente(mox::TVersaoManual aVersao, const TempDir& aPasta) const {
  auto nfe = std::make_unique<mox::TmoxNFe>();
  nfe->SetUF("SP");
  nfe->SetCNPJ(kCompanyCnpj);
  nfe->SetVersaoManual(aVersao);
  nfe->SetArquivoServidoresHom(Servidores());
  nfe->SetDiretorioTemplates(std::string(MOXNFE_BINARY_DIR) + "/Templates/");
  nfe->SetDiretorioEsquemas(Esquemas());
  nfe->SetDiretorioLog(aPasta.str() + "Log/");
  nfe->SetDiretorioLogErro(aPasta.str() + "LogErro/");
  nfe->SetDiretorioXmlDestinatario(aPasta.str() + "XmlDestinatario/");
  nfe->SetCaminhoCertificado(Certificado());
  nfe->SetSenhaCertificado("s");
  return nfe;
}

std::vector<std::string> ClienteDoSandbox::Opcoes() const {
  return {"--servidores", Servidores(), "--pfx", Certificado(), "--senha", "s", "--ca", pasta_.file("ac.pem"),
          "--esquemas", Esquemas()};
}

}  // namespace moxtest
