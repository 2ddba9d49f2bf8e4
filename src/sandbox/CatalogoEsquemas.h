#pragma once
// The official schema packages in the folder given on the command line: finds the XSD of each
// document and validates against it as SEFAZ does, answering its rejection code on failure.
#include <string>
#include <vector>

#include "external/XmlDocument.h"

namespace mox::sandbox {

class CatalogoEsquemas {
 public:
  // aPasta holds one folder per package, named as the package (PL_008i2, PL_006v, ...), or the
  // XSD files themselves.
  explicit CatalogoEsquemas(std::string aPasta);

  // Full path of the schema file (e.g. "consStatServ_v3.10.xsd"); empty when no package has it.
  std::string Arquivo(const std::string& aNomeXsd) const;

  // Raises ERejeicao(aCodigoFalha) when the document does not validate, ERejeicao(999) when
  // the schema is missing. The validation errors go to the rejection's detail.
  void Valida(const XmlDocument& aDocumento, const std::string& aNomeXsd, int aCodigoFalha) const;

  // The schemas the services cannot do without that the folder lacks (checked at start).
  std::vector<std::string> EsquemasAusentes() const;

 private:
  std::string pasta_;
};

}  // namespace mox::sandbox
