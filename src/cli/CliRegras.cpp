#include "cli/CliRegras.h"

#include <nlohmann/json.hpp>
#include <ostream>

#include "rules/TmoxControllerRulesNFe.h"

namespace moxcli {

CliOption OpcaoRegras() {
  return {"regras", "", "confere cada nota salva com as regras de rejeição da SEFAZ da sua versão"};
}

CliOption OpcaoExcecoes() {
  return {"excecoes", "LISTA", "com --regras, as regras que não são conferidas, por nome (ex.: GB09.1;J02c)"};
}

void LigaRegras(mox::TmoxNFeDataSets& aDataSets, const CliArgs& aArgs) {
  if (!aArgs.Flag("regras")) return;
  aDataSets.SetAplicadorRegras(mox::AplicadorRegrasNFe());
  aDataSets.SetValidaRegrasNegocio(true);
  aDataSets.SetExcecoesDeRegras(aArgs.OptionOr("excecoes", ""));
}

int ReportaFalhaDeRegra(const mox::EmoxNFeRegraException& aFalha, size_t aLinha, const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Json()) {
    const nlohmann::json erro{{"linha", aLinha},           {"regra", aFalha.Regra()},
                              {"codigo", aFalha.Codigo()}, {"mensagem", aFalha.MensagemRegra()},
                              {"campo", aFalha.Campo()}};
    aIo.out << nlohmann::json{{"erro", erro}}.dump() << "\n";
  } else {
    aIo.err << "linha " << aLinha << ": [" << aFalha.Codigo() << "] " << aFalha.MensagemRegra() << " (regra "
            << aFalha.Regra();
    if (!aFalha.Campo().empty()) aIo.err << ", campo " << aFalha.Campo();
    aIo.err << ")\n";
  }
  return 1;
}

}  // namespace moxcli
