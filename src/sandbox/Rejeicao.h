#pragma once
// A SEFAZ check that failed: the service answers with the code and its text instead of going on.
#include <stdexcept>
#include <string>

#include "sandbox/CodigosSefaz.h"

namespace mox::sandbox {

class ERejeicao : public std::runtime_error {
 public:
  // aDetalhe goes to the sandbox's log only; the answer carries the table's text.
  ERejeicao(int aCodigo, std::string aDetalhe = {}, const std::string& aChave = {}, const std::string& aRecibo = {})
      : std::runtime_error(Motivo(aCodigo, aChave, aRecibo)), codigo_(aCodigo), detalhe_(std::move(aDetalhe)) {}

  int Codigo() const { return codigo_; }
  const std::string& Detalhe() const { return detalhe_; }

 private:
  int codigo_;
  std::string detalhe_;
};

}  // namespace mox::sandbox
