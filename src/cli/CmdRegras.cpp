// moxnfe regras listar: the business rules a manual version checks, in the order they run,
// with the code, field and message each rejects a note with.
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "base/moxEnumTexts.h"
#include "cli/CliCommand.h"
#include "rules/moxConjuntosRegras.h"

namespace moxcli {

namespace {

// The set asked for, and the package whose classes represent it.
struct Conjunto {
  mox::TConjuntoRegras conjunto;
  mox::TVersaoEsquema esquema;
  std::string nome;
};

// "4.0", "5.0", "5.0a", "6.0" (or their folder names vm40 ... vm60); --esquema names the exact
// package, for the entries whose class depends on it.
Conjunto ConjuntoPedido(const CliArgs& aArgs) {
  if (aArgs.Flag("ajustes")) return {mox::TConjuntoRegras::Zelto, mox::TVersaoEsquema::pl_008i1, "ajustes"};
  if (auto esquema = aArgs.Option("esquema")) {
    const mox::TVersaoEsquema versao = mox::StrToVersaoEsquema(*esquema);
    return {mox::ConjuntoDoEsquema(versao), versao,
            mox::VersaoManualToStr(mox::GetVersaoManualDoEsquema(versao))};
  }
  const std::string pedido = aArgs.OptionOr("versao-manual", kVersaoManualPadrao);
  const struct {
    const char* texto;
    const char* pasta;
    mox::TVersaoEsquema esquema;
  } versoes[] = {{"3.0", "vm30", mox::TVersaoEsquema::pl_005f},
                 {"4.0", "vm40", mox::TVersaoEsquema::pl_006j},
                 {"5.0", "vm50", mox::TVersaoEsquema::pl_006v},
                 {"5.0a", "vm50a", mox::TVersaoEsquema::pl_008i1},
                 {"6.0", "vm60", mox::TVersaoEsquema::pl_010}};
  for (const auto& v : versoes)
    if (pedido == v.texto || pedido == v.pasta) return {mox::ConjuntoDoEsquema(v.esquema), v.esquema, v.texto};
  throw CliUsageError{"versão do Manual desconhecida: " + pedido + " (use 3.0, 4.0, 5.0, 5.0a ou 6.0)"};
}

int Listar(const CliArgs& aArgs, CliIo& aIo) {
  if (!aArgs.Positional().empty()) throw CliUsageError{"regras listar não recebe argumentos"};
  const Conjunto pedido = ConjuntoPedido(aArgs);
  const std::vector<mox::TRegraDoConjunto> regras = mox::RegrasDoConjunto(pedido.conjunto, pedido.esquema);
  if (aArgs.Json()) {
    nlohmann::json lista = nlohmann::json::array();
    for (size_t i = 0; i < regras.size(); ++i) {
      const mox::TDadosRegra& d = regras[i].dados;
      lista.push_back({{"ordem", i + 1},
                       {"regra", std::string(d.nome)},
                       {"classe", std::string(regras[i].classe->classe)},
                       {"codigo", std::string(d.codigo)},
                       {"campo", std::string(d.campo)},
                       {"mensagem", std::string(d.mensagem)}});
    }
    aIo.out << nlohmann::json{{"conjunto", pedido.nome}, {"regras", lista}}.dump() << "\n";
    return 0;
  }
  aIo.out << regras.size() << " regra(s) do conjunto " << pedido.nome << ", na ordem em que rodam:\n";
  for (size_t i = 0; i < regras.size(); ++i) {
    const mox::TDadosRegra& d = regras[i].dados;
    aIo.out << i + 1 << ". " << d.nome;
    if (!d.codigo.empty()) aIo.out << " [" << d.codigo << "]";
    if (!d.campo.empty()) aIo.out << " campo " << d.campo;
    aIo.out << "\n";
    if (!d.mensagem.empty()) aIo.out << "   " << d.mensagem << "\n";
  }
  return 0;
}

CliRegistrar listar{{{"regras", "listar"},
                     "lista as regras de negócio que uma versão do Manual confere, na ordem",
                     "[opções]",
                     "Cada regra com o nome, o código de rejeição da SEFAZ, o campo que a nota deve corrigir e a\n"
                     "mensagem. A primeira regra que uma nota quebra é a que o salvar (ou tx2 converter --regras)\n"
                     "informa. A versão 3.0 não tem regras.",
                     {{"versao-manual", "VERSAO", "3.0, 4.0, 5.0, 5.0a ou 6.0 (padrão: 6.0, leiaute 4.00)"},
                      {"esquema", "PACOTE", "o pacote de esquemas exato (pl_005a a pl_010) em vez da versão"},
                      {"ajustes", "", "as regras de ajuste do componente, que rodam antes de salvar"}},
                     Listar}};

}  // namespace

}  // namespace moxcli
