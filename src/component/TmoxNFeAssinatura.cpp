// The component's signing of invoices and of the other signed documents: its settings handed to
// the signing routines.
#include "component/TmoxNFe.h"
#include "external/TmoxKivoX.h"
#include "webservices/moxAssinaturaNFe.h"

namespace mox {

namespace {

TContextoAssinatura ContextoDe(TmoxNFe& aNFe) {
  return {aNFe.GetKivo(),
          aNFe.GetKivoUtils(),
          aNFe.VersaoManual(),
          aNFe.ModoOperacao(),
          aNFe.CaracteresRemoverAcentos(),
          aNFe.DiretorioLogErro(),
          [&aNFe](const std::string& aNome) { return aNFe.LoadTemplate(aNome); },
          [&aNFe] { aNFe.CheckCertificate(); }};
}

}  // namespace

std::string TmoxNFe::AssinarNota(const std::string& aXML) {
  UpdateNFeData();
  return AssinarNotas(aXML, ContextoDe(*this));
}

std::string TmoxNFe::AssinarDocumento(const std::string& aXML, const std::string& aElemento, const std::string& aId) {
  return AssinarElementos(aXML, aElemento, aId, ContextoDe(*this));
}

}  // namespace mox
