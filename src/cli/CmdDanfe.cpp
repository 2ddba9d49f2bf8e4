// moxnfe danfe ARQUIVO.xml... | --pasta PASTA: the DANFE of each note (or the print of a CC-e
// or cancellation event) as PDF or PNG files, or on a printer, through the component's DANFE,
// EPEC and CC-e operations.
#include <nlohmann/json.hpp>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "base/EmoxException.h"
#include "cli/CliCommand.h"
#include "component/TmoxNFe.h"
#include "external/TmoxKivoUtils.h"

namespace {

using moxcli::CliArgs;
using moxcli::CliIo;
using moxcli::CliUsageError;
using moxcli::ParaTerminal;
using nlohmann::json;
namespace fs = std::filesystem;

bool IsCCe(const std::string& aXml) {
  if (aXml.find("tpEvento") == std::string::npos) return false;
  try {
    return mox::TmoxKivoUtils().GetValueTag("tpEvento", aXml, "evento") == "110110";
  } catch (const std::exception&) {
    return false;  // not readable as an event: the component says what is wrong with it
  }
}

// The model a user names: a keyword of the installed models or a file path ("simplificado"
// switches the component to the simplified DANFE, which picks its own model).
std::string ModeloInformado(mox::TmoxNFe& aNFe, const std::string& aModelo) {
  if (aModelo.empty() || aModelo == "simplificado") return {};
  const std::string danfe = aNFe.DiretorioTemplates() + "Danfe/";
  if (aModelo == "retrato") return danfe + "retrato.rtm";
  if (aModelo == "paisagem") return danfe + "paisagem.rtm";
  return moxcli::CaminhoDigitado(aModelo);
}

int Copias(const std::string& aTexto) {
  size_t usados = 0;
  int n = 0;
  try {
    n = std::stoi(aTexto, &usados);
  } catch (const std::exception&) {
  }
  if (n < 1 || usados != aTexto.size()) throw CliUsageError{"--copias deve ser um número inteiro positivo"};
  return n;
}

// The component with the print settings the options ask for.
void Configura(mox::TmoxNFe& aNFe, const CliArgs& aArgs) {
  const std::string modelo = aArgs.OptionOr("modelo", "");
  aNFe.SetDanfeSimplificado(modelo == "simplificado");
  if (!modelo.empty() && modelo != "simplificado") aNFe.DanfeSettings().SetModeloRTMCCe(ModeloInformado(aNFe, modelo));
  if (auto logo = aArgs.Option("logo")) aNFe.DanfeSettings().SetLogotipoEmitente(moxcli::CaminhoDigitado(*logo));
  if (auto copias = aArgs.Option("copias")) aNFe.DanfeSettings().SetQtdeCopias(Copias(*copias));
}

struct Pedido {
  std::string modelo, impressora, protocoloEpec, dataHoraEpec;
  bool epec = false, previa = false;
};

// One file through the component's operation for its kind of document.
void Gera(mox::TmoxNFe& aNFe, const Pedido& aPedido, const std::string& aXml, const std::string& aSaida) {
  const bool imprimir = aSaida.empty();
  if (IsCCe(aXml)) {
    if (imprimir) aNFe.ImprimirCCe(aXml, aPedido.impressora);
    else aNFe.ExportarCCe(aXml, aSaida);
  } else if (aPedido.epec) {
    if (imprimir) aNFe.ImprimirEPEC(aXml, aPedido.protocoloEpec, aPedido.dataHoraEpec, aPedido.modelo, aPedido.impressora);
    else aNFe.ExportarEPEC(aXml, aPedido.protocoloEpec, aPedido.dataHoraEpec, aPedido.modelo, 1, aSaida);
  } else if (aPedido.previa) {
    aNFe.ExportarPreverDanfe(aXml, aPedido.modelo, aSaida);
  } else if (imprimir) {
    aNFe.ImprimirDanfe("", aXml, aPedido.modelo, aPedido.impressora);
  } else {
    aNFe.ExportarDanfe("", aXml, aPedido.modelo, 1, aSaida);
  }
}

// Every XML of a folder and its sub-folders, printed or exported as PDF into aSaida.
int Pasta(mox::TmoxNFe& aNFe, const CliArgs& aArgs, const Pedido& aPedido, const fs::path& aSaida, CliIo& aIo) {
  const std::string pasta = moxcli::CaminhoDigitado(*aArgs.Option("pasta"));
  if (!fs::is_directory(pasta)) throw CliUsageError{"pasta inexistente: " + pasta};
  const std::vector<std::string> problemas = aNFe.ImprimirDanfeXmlDiretorio(
      pasta, aPedido.modelo, aPedido.impressora.empty() ? aSaida.string() : std::string(), aPedido.impressora);
  if (aArgs.Json()) {
    json r = {{"pasta", pasta}, {"problemas", json::array()}};
    if (aPedido.impressora.empty()) r["saida"] = aSaida.string();
    else r["impressora"] = aPedido.impressora;
    for (const std::string& p : problemas) r["problemas"].push_back(ParaTerminal(p));
    aIo.out << r.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
  } else {
    for (const std::string& p : problemas) aIo.err << ParaTerminal(p) << "\n";
    if (problemas.empty())
      aIo.out << pasta << ": " << (aPedido.impressora.empty() ? "PDFs em " + aSaida.string() : "enviada para " + aPedido.impressora)
              << "\n";
  }
  return problemas.empty() ? 0 : 1;
}

int Danfe(const CliArgs& aArgs, CliIo& aIo) {
  const auto& arquivos = aArgs.Positional();
  const bool pasta = aArgs.Option("pasta").has_value();
  if (arquivos.empty() && !pasta) throw CliUsageError{"informe ao menos um arquivo XML ou --pasta"};
  if (!arquivos.empty() && pasta) throw CliUsageError{"informe arquivos XML ou --pasta, não os dois"};
  const std::string formato = aArgs.OptionOr("formato", "pdf");
  if (formato != "pdf" && formato != "png") throw CliUsageError{"--formato deve ser pdf ou png"};
  if (pasta && formato != "pdf") throw CliUsageError{"--pasta gera PDFs: --formato png não se aplica"};
  Pedido pedido;
  pedido.impressora = aArgs.OptionOr("impressora", "");
  const bool imprimir = aArgs.Option("impressora").has_value();
  if (imprimir && pedido.impressora.empty()) throw CliUsageError{"--impressora precisa do nome da fila"};
  pedido.previa = aArgs.Flag("previa");
  if (pedido.previa && (imprimir || pasta)) throw CliUsageError{"--previa gera arquivos de notas informadas uma a uma"};
  pedido.epec = aArgs.Option("protocolo-epec") || aArgs.Option("data-hora-epec");
  pedido.protocoloEpec = aArgs.OptionOr("protocolo-epec", "");
  pedido.dataHoraEpec = aArgs.OptionOr("data-hora-epec", "");
  if (pedido.epec && pasta) throw CliUsageError{"o protocolo do EPEC é de uma nota: informe o arquivo, não --pasta"};
  const fs::path saida = fs::absolute(aArgs.OptionOr("saida", ".")).lexically_normal();
  if (!imprimir && !fs::is_directory(saida)) throw CliUsageError{"pasta de saída inexistente: " + saida.string()};

  mox::TmoxNFe nfe;
  pedido.modelo = ModeloInformado(nfe, aArgs.OptionOr("modelo", ""));
  Configura(nfe, aArgs);
  if (pasta) return Pasta(nfe, aArgs, pedido, saida, aIo);

  json resultados = json::array();
  int falhas = 0;
  for (size_t i = 0; i < arquivos.size(); ++i) {
    if (!aArgs.Json() && arquivos.size() > 1)
      aIo.err << "\rGerando DANFE: " << i + 1 << " de " << arquivos.size() << std::flush;
    json r = {{"arquivo", arquivos[i]}};
    try {
      const std::string xml = mox::TmoxKivoUtils().LoadFromFileUTF8(arquivos[i]);
      const std::string arquivo =
          imprimir ? std::string() : (saida / fs::path(arquivos[i]).filename().replace_extension("." + formato)).string();
      Gera(nfe, pedido, xml, arquivo);
      if (imprimir) r["impressora"] = pedido.impressora;
      else r["saida"] = arquivo;
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
    "[opções] ARQUIVO.xml... | --pasta PASTA",
    "Cada arquivo é uma NF-e autorizada (nfeProc), um lote delas, ou o XML de um evento de\n"
    "carta de correção (110110, registrada) ou de cancelamento (110111, impresso com o modelo de\n"
    "cancelamento). A saída tem o nome do arquivo com a extensão do formato; em PNG, as páginas\n"
    "seguintes ganham -2, -3... no nome. Com --pasta, cada XML da pasta e de suas subpastas vira\n"
    "um PDF em --saida (ou vai para a impressora); um arquivo com problema não para os outros.\n"
    "Uma nota emitida em contingência EPEC leva o protocolo e a data e hora do registro do EPEC.",
    {{"saida", "PASTA", "pasta dos arquivos gerados (padrão: a pasta atual)"},
     {"formato", "FORMATO", "pdf ou png (padrão pdf)"},
     {"modelo", "M", "retrato, paisagem, simplificado ou o caminho de um modelo .rtm"},
     {"logo", "ARQUIVO", "logotipo do emitente (PNG)"},
     {"impressora", "NOME", "imprime na fila CUPS indicada em vez de gerar arquivos"},
     {"copias", "N", "número de cópias impressas"},
     {"previa", "", "prévia: aceita nota sem protocolo e marca \"SEM VALOR FISCAL\""},
     {"pasta", "PASTA", "gera ou imprime o DANFE de cada XML da pasta e das subpastas"},
     {"protocolo-epec", "N", "número do protocolo do registro do EPEC"},
     {"data-hora-epec", "DATA", "data e hora do registro do EPEC (AAAA-MM-DDThh:mm:ss-03:00)"}},
    Danfe}};

}  // namespace
