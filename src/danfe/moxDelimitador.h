#pragma once
// The line delimiter of free texts (a character the user types where a line break goes).
#include <string>

namespace mox {

// aTexto with every aDelimitador replaced by aPor; unchanged when the delimiter is empty.
std::string TrocaDelimitador(const std::string& aTexto, const std::string& aDelimitador, const std::string& aPor);

}  // namespace mox
