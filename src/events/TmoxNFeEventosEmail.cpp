// The registered correction letter delivered to the recipient by e-mail, with its PDF when the
// component attaches DANFEs. The PDF is a working copy for one delivery.
#include <filesystem>

#include "base/EmoxException.h"
#include "base/TmoxEmailSettings.h"
#include "events/TmoxNFeEventos.h"
#include "external/TmoxKivoUtils.h"
#include "external/TmoxKivoX.h"
#include "external/moxPaths.h"

namespace mox {

namespace {

namespace fs = std::filesystem;

// The file's name with every occurrence of its extension removed.
std::string NomeSemExtensao(const std::string& aArquivo) {
  const fs::path caminho(aArquivo);
  std::string nome = caminho.filename().string();
  const std::string extensao = caminho.extension().string();
  if (extensao.empty()) return nome;
  for (size_t p; (p = nome.find(extensao)) != std::string::npos;) nome.erase(p, extensao.size());
  return nome;
}

}  // namespace

void TmoxNFeEventos::EnviarCCeDestinatario(const std::string& aFileName) {
  try {
    if (aFileName.empty())
      throw EmoxEventoCheckParams("É necessário informar o arquivo XML para Anexar no Email.", DiretorioLogErro);
    if (!FileExists(aFileName))
      throw EmoxEventoFileNotFoundException::CreateFmt("Arquivo: [%s] XML da CCe não foi encontrado", {aFileName},
                                                       DiretorioLogErro);
    std::string anexos = aFileName + "\r\n";
    std::string pdf;
    if (AnexarDanfePDF) {
      pdf = DiretorioTemporario + NomeSemExtensao(aFileName) + ".pdf";
      std::error_code ec;
      fs::remove(pdf, ec);
      ExportarCCe(Utils().LoadFromFile(aFileName), pdf);
      if (!FileExists(pdf))
        throw EmoxFileNotFoundException::CreateFmt("Arquivo não Encontrado: %s ", {pdf}, DiretorioLogErro);
      anexos += pdf + "\r\n";
    }
    struct Limpeza {
      std::string arquivo;
      ~Limpeza() {
        std::error_code ec;
        if (!arquivo.empty()) fs::remove(arquivo, ec);
      }
    } limpeza{pdf};
    Kivo().SendEmail(EmailSettings() ? EmailSettings()->EmailDestinatario : std::string(), anexos);
  } catch (const std::exception& e) {
    throw EmoxNFeException("Erro ao enviar CCe ao destinatario: " + std::string(e.what()), DiretorioLogErro);
  }
}

}  // namespace mox
