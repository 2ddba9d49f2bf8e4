#include "sandbox/ArgumentosSandbox.h"

#include <algorithm>

namespace mox::sandbox {

ArgumentosSandbox::ArgumentosSandbox(const std::vector<std::string>& aArgumentos,
                                     const std::vector<std::string>& aOpcoes) {
  for (size_t i = 0; i < aArgumentos.size(); ++i) {
    const std::string& a = aArgumentos[i];
    if (a == "--help" || a == "-h") {
      ajuda_ = true;
      continue;
    }
    if (a.size() < 3 || a.compare(0, 2, "--") != 0) throw EUsoInvalido("argumento inesperado: " + a);
    std::string nome = a.substr(2), valor;
    if (const size_t igual = nome.find('='); igual != std::string::npos) {
      valor = nome.substr(igual + 1);
      nome.erase(igual);
    } else if (i + 1 < aArgumentos.size()) {
      valor = aArgumentos[++i];
    } else {
      throw EUsoInvalido("falta o valor de --" + nome);
    }
    if (std::find(aOpcoes.begin(), aOpcoes.end(), nome) == aOpcoes.end())
      throw EUsoInvalido("opção desconhecida: --" + nome);
    valores_[nome].push_back(valor);
  }
}

std::string ArgumentosSandbox::Obrigatoria(const std::string& aNome) const {
  auto it = valores_.find(aNome);
  if (it == valores_.end() || it->second.back().empty()) throw EUsoInvalido("informe --" + aNome);
  return it->second.back();
}

std::string ArgumentosSandbox::Opcional(const std::string& aNome, const std::string& aPadrao) const {
  auto it = valores_.find(aNome);
  return it == valores_.end() ? aPadrao : it->second.back();
}

std::vector<std::string> ArgumentosSandbox::Todas(const std::string& aNome) const {
  auto it = valores_.find(aNome);
  return it == valores_.end() ? std::vector<std::string>{} : it->second;
}

}  // namespace mox::sandbox
