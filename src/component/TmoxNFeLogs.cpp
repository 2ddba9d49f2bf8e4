// The component's transaction logs: the writer, the pending-send markers, listing and reading.
#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"
#include "utils/TmoxNFeXMLLogs.h"
#include "utils/moxNFePaths.h"

namespace mox {

namespace {

constexpr const char* kPastaDeLogInvalida = "Diretório de log não pode ser criado ou está vazio: %s";

}  // namespace

std::string TmoxCustomNFe::Log(const std::string& aConteudo, const std::string& aNome, const std::string& aID,
                               const std::string& aLogFileName) {
  const std::string arquivo = aLogFileName.empty() ? GetKivoUtils().GetLogFileName(aNome, aID) : aLogFileName;
  if (FSalvarLogsEmDisco) {
    const std::string pasta = DiretorioLog();
    if (pasta.empty() || !CreateDirectories(pasta))
      throw EmoxLogException::CreateFmt(kPastaDeLogInvalida, {pasta}, DiretorioLogErro());
    GravaArquivoDeLog(pasta + arquivo, aConteudo);
    DoOnLog(aNome, aID, pasta + arquivo);
  }
  DoOnLogContent(nullptr, aNome, aID, arquivo, aConteudo);
  return arquivo;
}

void TmoxNFe::SaveFileChavesTemporario(const std::string& aNomeLogEnv) {
  if (!SalvarLogsEmDisco()) return;
  std::vector<std::string> chaves;
  TmoxNFeXMLLogs::ListaChavesLogEnv(DiretorioLog() + aNomeLogEnv, &chaves, DiretorioLog());
  for (const auto& chave : chaves) SaveFileTemporario(chave, aNomeLogEnv);
}

void TmoxNFe::SaveFileTemporario(const std::string& aFileName, const std::string& aNomeLogEnv) {
  GetKivoUtils().SaveToFile(LinhaPendente(aNomeLogEnv), DiretorioXmlDestinatario() + aFileName);
}

void TmoxNFe::ListarLogs(std::vector<std::string>* aList, TLogFilter aFilter, const std::string& aCustomFilter) {
  if (!aList) throw EmoxNFeCheckParams("Parâmetro aList não foi instanciado (nil).", DiretorioLogErro());
  const std::string pasta = DiretorioLog();
  if (pasta.empty() || !CreateDirectories(pasta))
    throw EmoxNFeLogException::CreateFmt(kPastaDeLogInvalida, {pasta}, DiretorioLogErro());
  aList->clear();
  std::vector<std::string> arquivos;
  PercorrerArquivos(pasta, MascaraDoFiltro(aFilter, aCustomFilter), false, arquivos);
  for (auto& a : arquivos)
    if (FileExists(a)) aList->push_back(std::move(a));
}

std::string TmoxNFe::LerLog(const std::string& aPathArquivoLog) {
  UpdateNFeData();
  const bool absoluto = !aPathArquivoLog.empty() && aPathArquivoLog.front() == '/';
  const std::string caminho = absoluto ? aPathArquivoLog : DiretorioLog() + aPathArquivoLog;
  if (!FileExists(caminho))
    throw EmoxNFeCheckParams::CreateFmt("Arquivo de log %s não encontrado.", {caminho}, DiretorioLogErro());
  return LeArquivoDeLog(caminho);
}

}  // namespace mox
