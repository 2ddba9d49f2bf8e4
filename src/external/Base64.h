#pragma once
#include <string>
#include <string_view>

namespace mox {

std::string Base64Encode(std::string_view aBytes);

// Accepts line breaks and blanks between groups; raises EKivoException on any other bad character.
std::string Base64Decode(std::string_view aText);

}  // namespace mox
