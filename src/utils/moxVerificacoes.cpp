#include "utils/moxVerificacoes.h"

#include <algorithm>
#include <array>

#include "utils/moxTextoNFe.h"

namespace mox {

namespace {

constexpr std::array<std::int64_t, 9> kMunicipiosExcecao = {2201919, 2201988, 2202251, 2611533, 3117836,
                                                             3152131, 4305871, 5203939, 5203962};

}  // namespace

bool ValidaEAN(const std::string& aEAN) {
  if (aEAN.empty()) return true;
  const size_t n = CharCount(aEAN);
  if (n != 8 && n != 12 && n != 13 && n != 14 && n != 18) return false;
  if (aEAN.find_first_not_of('0') == std::string::npos) return false;
  // Weights from the right of the data digits: 3, 1, 3, 1, ...
  int soma = 0, peso = 3;
  for (auto it = aEAN.rbegin() + 1; it != aEAN.rend(); ++it) {
    soma += DigitValue(*it, aEAN) * peso;
    peso = 4 - peso;
  }
  const int resto = soma % 10;
  const int esperado = resto == 0 ? 0 : 10 - resto;
  return DigitValue(aEAN.back(), aEAN) == esperado;
}

std::string CalcDigVerificadorCodMunicipio(const std::string& aCodigoMun) {
  int soma = 0, peso = 1;
  for (char c : aCodigoMun) {
    int produto = DigitValue(c, aCodigoMun) * peso;
    soma += produto > 9 ? produto / 10 + produto % 10 : produto;
    peso = 3 - peso;
  }
  const int resto = soma % 10;
  return std::to_string(resto == 0 ? 0 : 10 - resto);
}

bool EstaNaListaDeExcecoes(std::int64_t aCodigoMun) {
  return std::find(kMunicipiosExcecao.begin(), kMunicipiosExcecao.end(), aCodigoMun) != kMunicipiosExcecao.end();
}

bool ValidaCodigoMunicipio(const std::string& aCodigoMun) {
  if (EstaNaListaDeExcecoes(StrToInt64(aCodigoMun))) return true;
  const std::string digito = CopyChars(aCodigoMun, 7, 1);
  return !digito.empty() && CalcDigVerificadorCodMunicipio(CopyChars(aCodigoMun, 1, 6)) == digito;
}

bool CompareComTolerancia(long double aValue1, long double aValue2, long double aTolerancia) {
  return aValue2 - aTolerancia <= aValue1 && aValue1 <= aValue2 + aTolerancia;
}

}  // namespace mox
