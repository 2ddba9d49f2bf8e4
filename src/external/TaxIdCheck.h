#pragma once
#include <string_view>

namespace mox {

// Check digits of the federal taxpayer numbers. Dots, slashes, hyphens and blanks used to
// format the numbers are ignored; any other character, a wrong length or a number made of one
// repeated digit is invalid.
bool IsValidCNPJ(std::string_view aCNPJ);
bool IsValidCPF(std::string_view aCPF);

}  // namespace mox
