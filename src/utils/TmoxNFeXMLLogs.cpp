#include "utils/TmoxNFeXMLLogs.h"

#include <stdexcept>
#include <string_view>

#include "base/EmoxException.h"
#include "external/EKivoException.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"
#include "utils/moxNFePaths.h"
#include "utils/moxNodeCache.h"
#include "utils/moxTextoNFe.h"

namespace mox {

namespace {

constexpr const char* kChaveSoNumeros = "A Chave deve ser composta apenas por Números";

bool ComecaComN(const std::string& aIdNFe) { return !aIdNFe.empty() && aIdNFe.front() == 'N'; }

// The file-name part of a log argument, or empty when it cannot name a file: the original
// platform refuses "<", ">" and NUL in names, so XML text never reads as a file there.
std::string NomeArquivo(const std::string& aLog) {
  const size_t barra = aLog.find_last_of("/\\");
  std::string nome = barra == std::string::npos ? aLog : aLog.substr(barra + 1);
  if (nome.size() > 255 || nome.find_first_of(std::string("<>\0", 3)) != std::string::npos) return {};
  return nome;
}

std::string LerLog(const std::string& aArquivo) {
  TmoxKivoUtils utils;
  return utils.RemoveBOM(utils.LoadFromFile(aArquivo));
}

std::vector<std::string> Nos(const std::string& aLog, const std::string& aXPath) {
  std::vector<std::string> nos;
  TmoxKivoUtils().XPathSelectNodes(aLog, aXPath, nos, TmoxKivoUtils::kNfxDeclaration, false);
  return nos;
}

// The start tag of the note's infNFe, which carries its Id; the whole note when there is none.
// Matching the key there keeps a note that merely quotes another one's key (a referenced
// note, a remark) from being taken for it.
std::string_view TagDaNota(std::string_view aNota) {
  for (size_t p = aNota.find("infNFe"); p != std::string_view::npos; p = aNota.find("infNFe", p + 6)) {
    const char antes = p > 0 ? aNota[p - 1] : '\0', depois = p + 6 < aNota.size() ? aNota[p + 6] : '\0';
    if ((antes == '<' || antes == ':') && (depois == ' ' || depois == '>' || depois == '\n' || depois == '\t')) {
      const size_t fim = aNota.find('>', p);
      return aNota.substr(p, fim == std::string_view::npos ? std::string_view::npos : fim - p);
    }
  }
  return aNota;
}

void ExigeLista(const std::vector<std::string>* aListOut) {
  if (!aListOut) throw EmoxNFeCheckParams("Lista não foi instanciada.");
}

}  // namespace

std::string TmoxNFeXMLLogs::LoadLog(const std::string& aLog, const std::string& aLogDir) {
  // An absolute path stands for the original "path with a drive".
  if (IsAbsolutePath(aLog)) {
    if (!FileExists(aLog)) throw EmoxNFeLogNotFoundException::CreateFmt("Arquivo de Log %s não existe.", {aLog});
    return LerLog(NormalizeSeparators(aLog));
  }
  // Without a log folder a bare name would be looked up in whatever the current folder is.
  if (!aLogDir.empty()) {
    if (const std::string nome = NomeArquivo(aLog); !nome.empty()) {
      std::string pasta = ExpandPath(aLogDir);
      FixSlash(pasta);
      if (FileExists(pasta + nome)) return LerLog(pasta + nome);
    }
  }
  return TmoxKivoUtils().RemoveBOM(aLog);
}

std::string TmoxNFeXMLLogs::AchaNFeAssinadaLogEnvio(const std::string& aIdNFe, const std::string& aLogEnvLote,
                                                    const std::string& aLogDir) {
  if (ComecaComN(aIdNFe)) throw std::runtime_error(kChaveSoNumeros);
  const std::string log = LoadLog(aLogEnvLote, aLogDir);
  if (log.empty()) throw EmoxNFeCheckParams("Arquivo de Log Vazio");
  // Each signed NFe element of the batch, wherever the log wraps it. Looking up every note of
  // one batch in turn parses the batch once.
  const std::vector<std::string>* notas = nullptr;
  try {
    notas = &SelectNodesCached(log, "//*[local-name()=\"NFe\"]", {});
  } catch (const EKivoException&) {
  }
  if (!notas || notas->empty()) throw EmoxNFeCheckParams("Arquivo Log não contém Chave de NFe ou é inválido.");
  for (const auto& nota : *notas)
    if (ContainsIgnoreCase(TagDaNota(nota), aIdNFe)) return nota;
  return {};
}

std::string TmoxNFeXMLLogs::AchaInfProtLogConsRec(const std::string& aIdNFe, const std::string& aLogConsRecibo,
                                                  const std::string& aLogDir) {
  if (ComecaComN(aIdNFe)) throw EmoxChaveNFeException(kChaveSoNumeros);
  for (const auto& infProt : Nos(LoadLog(aLogConsRecibo, aLogDir), ".//nfx:infProt"))
    if (ContainsIgnoreCase(infProt, aIdNFe)) return infProt;
  return {};
}

std::string TmoxNFeXMLLogs::AchaInfProtLogConsNF(const std::string& aIdNFe, const std::string& aLogConsNF,
                                                 const std::string& aLogDir) {
  if (ComecaComN(aIdNFe)) throw std::runtime_error(kChaveSoNumeros);
  std::string infProt;
  if (!TmoxKivoUtils().XPathSelectSingleNode(LoadLog(aLogConsNF, aLogDir), ".//nfx:infProt", infProt,
                                             TmoxKivoUtils::kNfxDeclaration, false))
    return {};
  return infProt;
}

void TmoxNFeXMLLogs::ListaChavesLogRecibo(const std::string& aLogConsRecibo, int cStat,
                                          std::vector<std::string>* aListOut, const std::string& aLogDir) {
  if (cStat <= 0) throw EmoxNFeCheckParams("O cStat deve ser informado.");
  ExigeLista(aListOut);
  TmoxKivoUtils utils;
  for (const auto& protNFe : Nos(LoadLog(aLogConsRecibo, aLogDir), ".//nfx:protNFe")) {
    // A protocol without a numeric status matches no status.
    if (TryStrToInt64(utils.GetValueTag("cStat", protNFe)) == cStat)
      aListOut->push_back(utils.GetValueTag("chNFe", protNFe));
  }
}

void TmoxNFeXMLLogs::ListaChavesLogEnv(const std::string& aLogEnv, std::vector<std::string>* aListOut,
                                       const std::string& aLogDir) {
  ExigeLista(aListOut);
  // The Id attributes straight from the batch: the same keys as reading each note's Id, for one
  // parse instead of fifty-one. A note without Id has no key to list.
  for (const auto& id : Nos(LoadLog(aLogEnv, aLogDir), ".//nfx:infNFe/@Id")) aListOut->push_back(CopyChars(id, 4, 48));
}

}  // namespace mox
