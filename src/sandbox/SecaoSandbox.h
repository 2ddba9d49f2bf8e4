#pragma once
// The authorizer an address stands for: a state ("SP"), a contingency service ("SVCAN",
// "SVCRS") or the national environment ("AN"), as the section names of a servers file.
#include <optional>
#include <string>

namespace mox::sandbox {

enum class TTipoSecao { UF, SVC, AN };

struct TSecao {
  std::string Nome;
  TTipoSecao Tipo = TTipoSecao::UF;
  std::string CodigoOrgao;  // the state's code, "91" for AN, empty for SVC

  // Whether the UF code is one this authorizer serves (AN serves every state).
  bool AtendeUF(const std::string& aCodigoUF) const;
  // The tpEmis its notes must carry: "6" (SVC-AN), "7" (SVC-RS); empty for the others.
  std::string TipoEmissaoExigido() const;
  // cUF of the answer: the authorizer's, or the request's at a contingency service.
  std::string CodigoResposta(const std::string& aCodigoPedido) const;
};

// Empty for a name that is none of the sections.
std::optional<TSecao> SecaoPorNome(const std::string& aNome);

// Every section a servers file holds: the states, then SVCAN, SVCRS and AN.
const char* const* NomesDasSecoes();

}  // namespace mox::sandbox
