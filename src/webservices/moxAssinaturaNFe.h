#pragma once
// Signing of invoices before they go to SEFAZ: the checks of the emission type against the
// operation mode, the signature of each infNFe of a text and the clean-up of the signed text.
#include <functional>
#include <string>

#include "base/moxTypes.h"

namespace mox {

class TmoxKivoUtils;
class TmoxKivoX;

// What signing needs from the component.
struct TContextoAssinatura {
  TmoxKivoX& Kivo;
  TmoxKivoUtils& Utils;
  TVersaoManual VersaoManual;
  TModoOperacao ModoOperacao;
  std::string CaracteresRemoverAcentos;
  std::string DiretorioLogErro;
  std::function<std::string(const std::string&)> LoadTemplate;  // the component's templates
  std::function<void()> CheckCertificate;
};

// Signs every infNFe of aXML (at most 50) in its own NFe element of "assinar_nota.xml" and
// returns the signed notes concatenated.
std::string AssinarNotas(const std::string& aXML, const TContextoAssinatura& aContexto);

// One infNFe in the NFe element of "assinar_nota.xml", "º" written as "o".
std::string PrepararXMLAssinar(const std::string& aNota, const TContextoAssinatura& aContexto);

// The emission type (tpEmis) against contingency data and the operation mode.
void ValidarRegraDeNegocioNFe(const std::string& aXML, TVersaoManual aVersaoManual, TModoOperacao aModoOperacao,
                              const std::string& aDiretorioLogErro);

// Blank pairs out of KeyInfo and SignatureValue, then LimparXML's clean-up.
void LimparXMLAssinado(std::string& aXmlSujo);
void RemoveEspacosAssinatura(std::string& aXmlAssinado);

}  // namespace mox
