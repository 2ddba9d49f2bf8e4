// moxnfe-sandbox servidores: the servers file that points the component at the sandbox.
#include <iostream>

#include "external/FileIO.h"
#include "sandbox/ArquivoServidores.h"
#include "sandbox/ComandosSandbox.h"

namespace mox::sandbox {

int ComandoServidores(const ArgumentosSandbox& aArgumentos) {
  const std::string url = aArgumentos.Obrigatoria("url");
  if (url.compare(0, 8, "https://") != 0) throw EUsoInvalido("o endereço do sandbox começa com https://: " + url);
  const std::string saida = aArgumentos.Obrigatoria("saida");
  WriteFileAtomic(saida, TextoServidores(url));
  std::cout << "Arquivo de servidores gravado: " << saida << "\n";
  return 0;
}

}  // namespace mox::sandbox
