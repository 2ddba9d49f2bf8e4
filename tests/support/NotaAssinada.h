#pragma once
// Signing and schema validation of generated notes, as SEFAZ would receive them.
#include <string>

#include "component/TmoxNFe.h"
#include "external/TmoxKivoX.h"
#include "support/TestSupport.h"

namespace moxtest {

// The Id attribute of an infNFe text ("NFe" and the key).
std::string IdDe(const std::string& aInfNFe);

// Wraps infNFe texts in NFe and signs them with the test company's certificate (PKCS#12 file).
class AssinadorDeNotas {
 public:
  AssinadorDeNotas();
  std::string Assina(const std::string& aInfNFe);

 private:
  TempDir pasta_;
  mox::TmoxKivoX kivo_;
};

// The component set to sign with the test company's certificate (a PKCS#12 file written into
// aPasta), the installed templates of manual 5.0a for SP and an error log in aPasta.
void ComponenteQueAssina(mox::TmoxNFe& aNFe, const TempDir& aPasta);

// The validation errors of a document against an XSD, one a line; empty when it is valid.
std::string ErrosDeEsquema(const std::string& aXml, const std::string& aXsd);

}  // namespace moxtest
