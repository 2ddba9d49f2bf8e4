#pragma once
// The command line of moxnfe-sandbox: a command word, then "--opção valor" pairs.
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace mox::sandbox {

// Wrong usage: the message is shown with the command's help, exit status 2.
class EUsoInvalido : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ArgumentosSandbox {
 public:
  // aOpcoes: the options the command takes (names without "--"); "--help" is always known.
  // An option may repeat; its values are kept in order.
  ArgumentosSandbox(const std::vector<std::string>& aArgumentos, const std::vector<std::string>& aOpcoes);

  bool Ajuda() const { return ajuda_; }
  std::string Obrigatoria(const std::string& aNome) const;
  std::string Opcional(const std::string& aNome, const std::string& aPadrao = {}) const;
  std::vector<std::string> Todas(const std::string& aNome) const;

 private:
  std::map<std::string, std::vector<std::string>> valores_;
  bool ajuda_ = false;
};

}  // namespace mox::sandbox
