#pragma once
// Check digits of GTIN/EAN and municipality codes, and the tolerant comparison of values.
#include <cstdint>
#include <string>

namespace mox {

// GS1 check digit of an 8, 12, 13, 14 or 18-digit code; the empty text is valid. A non-digit
// in a code of an accepted length raises EmoxNFeCheckParams.
bool ValidaEAN(const std::string& aEAN);

// The digit of a municipality code over all its characters (weights 1, 2, 1, 2, ...).
std::string CalcDigVerificadorCodMunicipio(const std::string& aCodigoMun);

// The IBGE codes whose last digit does not follow the rule.
bool EstaNaListaDeExcecoes(std::int64_t aCodigoMun);

// True for a code in the exception list or whose 7th character is the digit of the first six.
// A text that is not an integer raises EmoxNFeCheckParams.
bool ValidaCodigoMunicipio(const std::string& aCodigoMun);

// aValue2 - aTolerancia <= aValue1 <= aValue2 + aTolerancia.
bool CompareComTolerancia(long double aValue1, long double aValue2, long double aTolerancia);

}  // namespace mox
