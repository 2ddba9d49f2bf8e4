// The component's signing of invoices: its settings handed to the signing routine.
#include "component/TmoxNFe.h"
#include "external/TmoxKivoX.h"
#include "webservices/moxAssinaturaNFe.h"

namespace mox {

std::string TmoxNFe::AssinarNota(const std::string& aXML) {
  UpdateNFeData();
  const TContextoAssinatura contexto{GetKivo(),
                                     GetKivoUtils(),
                                     VersaoManual(),
                                     ModoOperacao(),
                                     CaracteresRemoverAcentos(),
                                     DiretorioLogErro(),
                                     [this](const std::string& aNome) { return LoadTemplate(aNome); },
                                     [this] { CheckCertificate(); }};
  return AssinarNotas(aXML, contexto);
}

}  // namespace mox
