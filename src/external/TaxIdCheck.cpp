#include "external/TaxIdCheck.h"

#include <string>

namespace mox {

namespace {

bool DigitsOnly(std::string_view aText, size_t aLength, std::string& aDigits) {
  for (char c : aText) {
    if (c >= '0' && c <= '9') aDigits += c;
    else if (c != '.' && c != '/' && c != '-' && c != ' ') return false;
  }
  return aDigits.size() == aLength && aDigits.find_first_not_of(aDigits[0]) != std::string::npos;
}

// Modulo-11 digit over aDigits[0, aCount) with weights from aWeights.
int Mod11Digit(const std::string& aDigits, size_t aCount, const int* aWeights) {
  int sum = 0;
  for (size_t i = 0; i < aCount; ++i) sum += (aDigits[i] - '0') * aWeights[i];
  int r = sum % 11;
  return r < 2 ? 0 : 11 - r;
}

}  // namespace

bool IsValidCNPJ(std::string_view aCNPJ) {
  std::string d;
  if (!DigitsOnly(aCNPJ, 14, d)) return false;
  static constexpr int w1[] = {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
  static constexpr int w2[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
  return Mod11Digit(d, 12, w1) == d[12] - '0' && Mod11Digit(d, 13, w2) == d[13] - '0';
}

bool IsValidCPF(std::string_view aCPF) {
  std::string d;
  if (!DigitsOnly(aCPF, 11, d)) return false;
  static constexpr int w1[] = {10, 9, 8, 7, 6, 5, 4, 3, 2};
  static constexpr int w2[] = {11, 10, 9, 8, 7, 6, 5, 4, 3, 2};
  return Mod11Digit(d, 9, w1) == d[9] - '0' && Mod11Digit(d, 10, w2) == d[10] - '0';
}

}  // namespace mox
