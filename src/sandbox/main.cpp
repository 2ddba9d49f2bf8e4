// moxnfe-sandbox: a local stand-in for the SEFAZ homologation web services.
#include <iostream>
#include <string>
#include <vector>

#include "sandbox/ComandosSandbox.h"

namespace {

using mox::sandbox::Comandos;

void AjudaGeral(std::ostream& aSaida) {
  aSaida << "moxnfe-sandbox: SEFAZ de homologação local para desenvolver e testar com o moxnfe sem acesso à SEFAZ.\n\n"
            "Uso: moxnfe-sandbox COMANDO [opções]\n\nComandos:\n";
  for (const auto& c : Comandos()) aSaida << "  " << c.Nome << std::string(14 - c.Nome.size(), ' ') << c.Resumo << "\n";
  aSaida << "\n\"moxnfe-sandbox COMANDO --help\" mostra as opções de cada comando.\n";
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> argumentos(argv + 1, argv + argc);
  if (argumentos.empty() || argumentos.front() == "--help" || argumentos.front() == "-h" ||
      argumentos.front() == "ajuda") {
    AjudaGeral(argumentos.empty() ? std::cerr : std::cout);
    return argumentos.empty() ? 2 : 0;
  }
  for (const auto& comando : Comandos()) {
    if (comando.Nome != argumentos.front()) continue;
    try {
      mox::sandbox::ArgumentosSandbox args({argumentos.begin() + 1, argumentos.end()}, comando.Opcoes);
      if (args.Ajuda()) {
        std::cout << comando.Ajuda;
        return 0;
      }
      return comando.Executa(args);
    } catch (const mox::sandbox::EUsoInvalido& e) {
      std::cerr << "moxnfe-sandbox " << comando.Nome << ": " << e.what() << "\n\n" << comando.Ajuda;
      return 2;
    } catch (const std::exception& e) {
      std::cerr << "moxnfe-sandbox " << comando.Nome << ": " << e.what() << "\n";
      return 1;
    }
  }
  std::cerr << "moxnfe-sandbox: comando desconhecido: " << argumentos.front() << "\n\n";
  AjudaGeral(std::cerr);
  return 2;
}
