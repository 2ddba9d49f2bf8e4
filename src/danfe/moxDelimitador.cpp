#include "danfe/moxDelimitador.h"

namespace mox {

std::string TrocaDelimitador(const std::string& aTexto, const std::string& aDelimitador, const std::string& aPor) {
  if (aDelimitador.empty()) return aTexto;
  std::string out;
  out.reserve(aTexto.size());
  size_t p = 0;
  for (size_t q; (q = aTexto.find(aDelimitador, p)) != std::string::npos; p = q + aDelimitador.size())
    out.append(aTexto, p, q - p).append(aPor);
  return out.append(aTexto, p);
}

}  // namespace mox
