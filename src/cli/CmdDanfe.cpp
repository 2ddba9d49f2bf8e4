// moxnfe danfe ARQUIVO.xml...: the DANFE of each note (or the print of a CC-e or cancellation
// event) as PDF or PNG files, or on a printer, through the component's DANFE front.
#include <nlohmann/json.hpp>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "base/EmoxException.h"
#include "cli/CliCommand.h"
#include "component/TmoxNFe.h"
#include "danfe/TmoxNFeDanfe.h"
#include "external/FileIO.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"
#include "utils/moxNFePaths.h"

namespace {

using moxcli::CliArgs;
using moxcli::CliIo;
using moxcli::CliUsageError;
using nlohmann::json;
namespace fs = std::filesystem;

enum class Documento { Nota, CCe, Cancelamento };

Documento TipoDoDocumento(const std::string& aXml) {
  mox::TmoxKivoUtils utils;
  if (aXml.find("tpEvento") == std::string::npos) return Documento::Nota;
  std::string tipo;
  try {
    tipo = utils.GetValueTag("tpEvento", aXml, "evento");
  } catch (const std::exception&) {
    return Documento::Nota;
  }
  return tipo == "110110" ? Documento::CCe : tipo == "110111" ? Documento::Cancelamento : Documento::Nota;
}

// The model a user names: a keyword of the installed models or a file path.
std::string ModeloInformado(mox::TmoxNFe& aNFe, const std::string& aModelo) {
  const std::string danfe = aNFe.DiretorioTemplates() + "Danfe/";
  if (aModelo == "retrato") return danfe + "retrato.rtm";
  if (aModelo == "paisagem") return danfe + "paisagem.rtm";
  if (aModelo == "simplificado") return danfe + "DanfeSimplificado.rtm";
  return fs::absolute(aModelo).string();
}

std::string Parametros(mox::TmoxNFe& aNFe, const CliArgs& aArgs, Documento aTipo, const std::string& aSaida) {
  aNFe.LoadDanfeSettings();
  std::string params;
  for (const std::string& linha : aNFe.PrintSettings()) params += linha + "\r\n";
  auto linha = [&params](const std::string& aChave, const std::string& aValor) {
    params.insert(0, aChave + "=" + aValor + "\r\n");  // the first line of a key wins
  };
  std::string modelo = aArgs.OptionOr("modelo", "");
  if (aTipo == Documento::CCe) {
    std::string templates = aNFe.DiretorioTemplates();
    mox::RemoveVersaoManualDoPath(templates);
    linha("ArquivoRtm", modelo.empty() ? templates + "cce/Impressao/ModeloCCe.rtm" : ModeloInformado(aNFe, modelo));
  } else if (aTipo == Documento::Cancelamento) {
    linha("ModeloRetrato", modelo.empty() ? aNFe.DiretorioTemplates() + "Danfe/RetratoCanc.rtm"
                                          : ModeloInformado(aNFe, modelo));
  } else if (!modelo.empty()) {
    linha("ModeloRetrato", ModeloInformado(aNFe, modelo));
    linha("ModeloPaisagem", ModeloInformado(aNFe, modelo));
  }
  if (auto logo = aArgs.Option("logo")) linha("LogotipoEmitente", fs::absolute(*logo).string());
  if (aArgs.Flag("previa")) linha("ValidarRegrasNegocio", "0");
  if (auto impressora = aArgs.Option("impressora")) linha("Impressora", *impressora);
  if (auto copias = aArgs.Option("copias")) linha("QtdeCopias", *copias);
  if (!aSaida.empty()) linha("SalvarComo", aSaida);
  return params;
}

std::string ParaTerminal(std::string aTexto) {
  for (char& c : aTexto)
    if (c == '\r') c = '\n';
  return aTexto;
}

int Danfe(const CliArgs& aArgs, CliIo& aIo) {
  const auto& arquivos = aArgs.Positional();
  if (arquivos.empty()) throw CliUsageError{"informe ao menos um arquivo XML"};
  const std::string formato = aArgs.OptionOr("formato", "pdf");
  if (formato != "pdf" && formato != "png") throw CliUsageError{"--formato deve ser pdf ou png"};
  const bool imprimir = aArgs.Option("impressora").has_value();
  const fs::path pasta = fs::absolute(aArgs.OptionOr("saida", "."));
  if (!imprimir && !fs::is_directory(pasta)) throw CliUsageError{"pasta de saída inexistente: " + pasta.string()};

  mox::TmoxNFe nfe;
  mox::TmoxNFeDanfe& danfe = *nfe.GetDanfeNFe();
  json resultados = json::array();
  int falhas = 0;
  for (size_t i = 0; i < arquivos.size(); ++i) {
    if (!aArgs.Json() && arquivos.size() > 1)
      aIo.err << "\rGerando DANFE: " << i + 1 << " de " << arquivos.size() << std::flush;
    json r = {{"arquivo", arquivos[i]}};
    try {
      std::string xml = mox::TmoxKivoUtils().LoadFromFileUTF8(arquivos[i]);
      std::string saida = imprimir ? std::string()
                                   : (pasta / fs::path(arquivos[i]).filename().replace_extension("." + formato)).string();
      danfe.SetParams(Parametros(nfe, aArgs, TipoDoDocumento(xml), saida));
      danfe.SetXML(xml);
      if (imprimir) {
        danfe.Imprimir();
        r["impressora"] = *aArgs.Option("impressora");
      } else {
        danfe.Exportar();
        r["saida"] = saida;
      }
    } catch (const std::exception& e) {
      ++falhas;
      r["erro"] = ParaTerminal(e.what());
    }
    if (!aArgs.Json()) {
      if (arquivos.size() > 1 && (r.contains("erro") || i + 1 == arquivos.size())) aIo.err << "\n";
      if (r.contains("erro")) aIo.err << arquivos[i] << ": " << r["erro"].get<std::string>() << "\n";
      else if (r.contains("saida")) aIo.out << r["saida"].get<std::string>() << "\n";
      else aIo.out << arquivos[i] << ": enviado para " << r["impressora"].get<std::string>() << "\n";
    }
    resultados.push_back(std::move(r));
  }
  if (aArgs.Json()) aIo.out << resultados.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
  return falhas ? 1 : 0;
}

moxcli::CliRegistrar registro{{
    {"danfe"},
    "gera o DANFE (PDF ou PNG) de NF-e autorizadas, ou a impressão de CC-e e cancelamentos",
    "[opções] ARQUIVO.xml...",
    "Cada arquivo é uma NF-e autorizada (nfeProc), um lote delas, ou o XML de um evento de\n"
    "carta de correção (110110) ou de cancelamento (110111). A saída tem o nome do arquivo com\n"
    "a extensão do formato; em PNG, as páginas seguintes ganham -2, -3... no nome.",
    {{"saida", "PASTA", "pasta dos arquivos gerados (padrão: a pasta atual)"},
     {"formato", "FORMATO", "pdf ou png (padrão pdf)"},
     {"modelo", "M", "retrato, paisagem, simplificado ou o caminho de um modelo .rtm"},
     {"logo", "ARQUIVO", "logotipo do emitente (PNG)"},
     {"impressora", "NOME", "imprime na fila CUPS indicada em vez de gerar arquivos"},
     {"copias", "N", "número de cópias impressas"},
     {"previa", "", "prévia: aceita nota sem protocolo e marca \"SEM VALOR FISCAL\""}},
    Danfe}};

}  // namespace
