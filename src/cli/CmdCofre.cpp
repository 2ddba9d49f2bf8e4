// moxnfe cofre guardar | contem | listar | verificar: the custody archive that keeps authorized
// notes, cancellations and events for the legal period, and its integrity check.
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/CliCofre.h"
#include "cli/CliCommand.h"
#include "utils/TmoxCofreXml.h"

namespace moxcli {

namespace {

using nlohmann::json;

mox::TmoxCofreXml Cofre(const CliArgs& aArgs) {
  return mox::TmoxCofreXml(PastaDoCofre(aArgs, ArquivoDeConfiguracao(aArgs)));
}

json ItemJson(const mox::TItemCofre& aItem) {
  return {{"chave", aItem.Chave},   {"tipo", aItem.Tipo},       {"arquivo", aItem.Arquivo},
          {"sha256", aItem.Sha256}, {"tamanho", aItem.Tamanho}, {"guardadoEm", aItem.GuardadoEm}};
}

void MostraItem(const mox::TItemCofre& aItem, std::ostream& aOut) {
  aOut << aItem.Chave << "  " << aItem.Tipo << "  " << aItem.GuardadoEm << "  " << aItem.Arquivo << "\n";
}

void Imprime(const json& aSaida, CliIo& aIo) { aIo.out << aSaida.dump(2, ' ', false, json::error_handler_t::replace) << "\n"; }

int Guardar(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().empty()) throw CliUsageError{"informe os arquivos XML a guardar"};
  auto cofre = Cofre(aArgs);
  json saida{{"pasta", cofre.Pasta()}, {"documentos", json::array()}};
  int falhas = 0;
  const auto& arquivos = aArgs.Positional();
  const bool progresso = !aArgs.Json() && !aArgs.Flag("silencioso") && arquivos.size() > 1 && ::isatty(STDERR_FILENO);
  for (size_t i = 0; i < arquivos.size(); ++i) {
    const std::string& a = arquivos[i];
    if (progresso) aIo.err << "\rGuardando: " << i + 1 << " de " << arquivos.size() << std::flush;
    const std::string arquivo = CaminhoDigitado(a);
    try {
      const auto guarda = cofre.Guardar(arquivo);
      saida["documentos"].push_back({{"origem", arquivo}, {"novo", guarda.Novo}, {"item", ItemJson(guarda.Item)}});
      if (!aArgs.Json())
        aIo.out << (guarda.Novo ? "guardado: " : "já estava no cofre: ") << guarda.Item.Chave << " "
                << guarda.Item.Tipo << " -> " << cofre.Pasta() << guarda.Item.Arquivo << "\n";
    } catch (const std::exception& e) {
      ++falhas;
      saida["documentos"].push_back({{"origem", arquivo}, {"erro", ParaTerminal(e.what())}});
      aIo.err << a << ": " << ParaTerminal(e.what()) << "\n";
    }
  }
  if (progresso) aIo.err << "\n";
  if (aArgs.Json()) Imprime(saida, aIo);
  return falhas ? 1 : 0;
}

int Contem(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().size() != 1) throw CliUsageError{"informe uma chave de acesso"};
  const std::string chave = aArgs.Positional()[0];
  if (chave.size() != 44 || chave.find_first_not_of("0123456789") != std::string::npos)
    throw CliUsageError{"chave de acesso inválida (44 dígitos): " + chave};
  auto cofre = Cofre(aArgs);
  const bool contem = cofre.Contem(chave);
  if (aArgs.Json()) {
    json saida{{"chave", chave}, {"contem", contem}, {"documentos", json::array()}};
    for (const auto& item : cofre.Listar(chave)) saida["documentos"].push_back(ItemJson(item));
    Imprime(saida, aIo);
  } else {
    aIo.out << (contem ? "sim" : "não") << "\n";
    for (const auto& item : cofre.Listar(chave)) MostraItem(item, aIo.out);
  }
  return contem ? 0 : 1;
}

int Listar(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().size() > 1) throw CliUsageError{"informe no máximo um filtro"};
  auto cofre = Cofre(aArgs);
  const auto itens = cofre.Listar(aArgs.Positional().empty() ? std::string() : aArgs.Positional()[0]);
  if (aArgs.Json()) {
    json saida{{"pasta", cofre.Pasta()}, {"documentos", json::array()}};
    for (const auto& item : itens) saida["documentos"].push_back(ItemJson(item));
    Imprime(saida, aIo);
    return 0;
  }
  for (const auto& item : itens) MostraItem(item, aIo.out);
  aIo.out << itens.size() << " documento(s) em " << cofre.Pasta() << "\n";
  return 0;
}

int Verificar(const CliArgs& aArgs, CliIo& aIo) {
  auto cofre = Cofre(aArgs);
  size_t conferidos = 0;
  const auto falhas = cofre.Verificar(&conferidos);
  if (aArgs.Json()) {
    json saida{{"pasta", cofre.Pasta()}, {"conferidos", conferidos}, {"problemas", json::array()}};
    for (const auto& f : falhas) saida["problemas"].push_back({{"arquivo", f.Arquivo}, {"problema", f.Problema}});
    Imprime(saida, aIo);
  } else {
    for (const auto& f : falhas) aIo.out << f.Problema << ": " << f.Arquivo << "\n";
    aIo.out << conferidos << " arquivo(s) conferido(s), " << falhas.size() << " problema(s) em " << cofre.Pasta()
            << "\n";
  }
  return falhas.empty() ? 0 : 1;
}

const std::vector<CliOption> kOpcoes{
    {"cofre", "PASTA", "pasta do cofre (padrão: Pasta da seção [COFRE] da configuração, ou ~/.local/share/moxnfe/Cofre)"},
    {"config", "ARQUIVO", "arquivo de configuração (padrão: ~/.config/moxnfe/nfeConfig.ini, quando existe)"}};

std::vector<CliOption> OpcoesGuardar() {
  auto opcoes = kOpcoes;
  opcoes.push_back({"silencioso", "", "não mostra o progresso"});
  return opcoes;
}

const std::string kSobre =
    "O cofre guarda, pelo prazo legal, cada nota autorizada (nfeProc), cancelamento (procCancNFe) e\n"
    "evento (procEventoNFe) em CNPJ/ano/mês da chave, sem nunca substituir um arquivo, com um índice\n"
    "do que guarda e do SHA-256 de cada arquivo.";

CliRegistrar guardar{{{"cofre", "guardar"},
                      "guarda no cofre notas autorizadas, cancelamentos e eventos",
                      "[opções] ARQUIVO...",
                      kSobre + "\nGuardar de novo o mesmo documento não o duplica; outro documento com o mesmo\n"
                               "nome é recusado. Sai com 1 quando algum arquivo não foi guardado.",
                      OpcoesGuardar(),
                      Guardar}};

CliRegistrar contem{{{"cofre", "contem"},
                     "diz se o cofre guarda documentos da chave de acesso",
                     "[opções] CHAVE",
                     "Mostra \"sim\" e os documentos da chave, ou \"não\". Sai com 0 quando guarda e 1 quando não.",
                     kOpcoes,
                     Contem}};

CliRegistrar listar{{{"cofre", "listar"},
                     "lista os documentos do cofre, na ordem em que foram guardados",
                     "[opções] [FILTRO]",
                     "FILTRO é o começo da chave: uma chave inteira, ou UF e ano-mês (\"352401\").",
                     kOpcoes,
                     Listar}};

CliRegistrar verificar{{{"cofre", "verificar"},
                        "relê cada arquivo do cofre e confere o SHA-256 guardado no índice",
                        "[opções]",
                        "Aponta os arquivos ausentes, os alterados e os XML que o índice não conhece.\n"
                        "Sai com 0 quando tudo confere e 1 quando encontra algum problema.",
                        kOpcoes,
                        Verificar}};

}  // namespace

}  // namespace moxcli
