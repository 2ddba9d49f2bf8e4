#pragma once
// What the event object needs of the DANFE front to print a correction letter: the key=value
// print parameters, the XML, and the four report operations. The front lives in a layer above
// the events, so they see it through this interface.
#include <string>

namespace mox {

class TmoxFrenteImpressao {
 public:
  virtual ~TmoxFrenteImpressao() = default;
  virtual void SetParams(const std::string& aValue) = 0;
  virtual void SetXML(const std::string& aValue) = 0;
  virtual void Imprimir() = 0;
  virtual void Visualizar() = 0;
  virtual void Exportar() = 0;
  virtual void Editar() = 0;
};

}  // namespace mox
