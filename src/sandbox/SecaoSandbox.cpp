#include "sandbox/SecaoSandbox.h"

#include <algorithm>
#include <vector>

#include "utils/moxCodigoUF.h"

namespace mox::sandbox {

namespace {

const char* const kSecoes[] = {"AC", "AL", "AP", "AM", "BA", "CE", "DF", "ES", "GO", "MA", "MT", "MS", "MG", "PA",
                               "PB", "PR", "PE", "PI", "RJ", "RN", "RS", "RO", "RR", "SC", "SP", "SE", "TO", "SVCAN",
                               "SVCRS", "AN", nullptr};

// The states each virtual contingency authorizer serves.
const std::vector<std::string> kUFsSvcAn{"AC", "AL", "AP", "DF", "ES", "MG", "PB", "RJ", "RN",
                                         "RO", "RR", "RS", "SC", "SE", "SP", "TO"};
const std::vector<std::string> kUFsSvcRs{"AM", "BA", "CE", "GO", "MA", "MS", "MT", "PA", "PE", "PI", "PR"};

}  // namespace

bool TSecao::AtendeUF(const std::string& aCodigoUF) const {
  switch (Tipo) {
    case TTipoSecao::UF: return aCodigoUF == CodigoOrgao;
    case TTipoSecao::AN: return true;
    case TTipoSecao::SVC: {
      const auto& ufs = Nome == "SVCAN" ? kUFsSvcAn : kUFsSvcRs;
      return std::any_of(ufs.begin(), ufs.end(), [&](const std::string& uf) { return GetCodeUF(uf) == aCodigoUF; });
    }
  }
  return false;
}

std::string TSecao::TipoEmissaoExigido() const {
  if (Tipo != TTipoSecao::SVC) return {};
  return Nome == "SVCAN" ? "6" : "7";
}

std::string TSecao::CodigoResposta(const std::string& aCodigoPedido) const {
  if (!CodigoOrgao.empty()) return CodigoOrgao;
  if (AtendeUF(aCodigoPedido)) return aCodigoPedido;
  return GetCodeUF((Nome == "SVCAN" ? kUFsSvcAn : kUFsSvcRs).front());
}

std::optional<TSecao> SecaoPorNome(const std::string& aNome) {
  if (aNome == "SVCAN" || aNome == "SVCRS") return TSecao{aNome, TTipoSecao::SVC, ""};
  if (aNome == "AN") return TSecao{aNome, TTipoSecao::AN, "91"};
  for (const char* const* s = kSecoes; *s; ++s)
    if (aNome == *s) return TSecao{aNome, TTipoSecao::UF, GetCodeUF(aNome)};
  return std::nullopt;
}

const char* const* NomesDasSecoes() { return kSecoes; }

}  // namespace mox::sandbox
