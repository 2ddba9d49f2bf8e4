#include "support/NotaAssinada.h"

#include "external/EKivoException.h"
#include "external/TmoxKivoUtils.h"
#include "support/TestCertificates.h"

namespace moxtest {

std::string IdDe(const std::string& aInfNFe) {
  const size_t inicio = aInfNFe.find("Id=\"") + 4;
  return aInfNFe.substr(inicio, aInfNFe.find('"', inicio) - inicio);
}

AssinadorDeNotas::AssinadorDeNotas() {
  kivo_.SignerSettings.XmlElement = "infNFe";
  kivo_.SignerSettings.CertificateType = mox::kCertFile;
  kivo_.SignerSettings.CertificatePath = WritePfx(pasta_.file("empresa.pfx"), Pki().Company, "1234");
  kivo_.SignerSettings.CertificatePassword = "1234";
}

std::string AssinadorDeNotas::Assina(const std::string& aInfNFe) {
  return kivo_.SignXmlById("<NFe xmlns=\"http://www.portalfiscal.inf.br/nfe\">" + aInfNFe + "</NFe>", IdDe(aInfNFe));
}

void ComponenteQueAssina(mox::TmoxNFe& aNFe, const TempDir& aPasta) {
  WritePfx(aPasta.path() / "empresa.pfx", Pki().Company, "x");
  aNFe.SetUF("SP");
  aNFe.SetVersaoManual(mox::TVersaoManual::vm50a);
  aNFe.SetDiretorioTemplates(std::string(MOXNFE_BINARY_DIR) + "/Templates/");
  aNFe.SetDiretorioLogErro(aPasta.str() + "LogErro/");
  aNFe.SetCaminhoCertificado(aPasta.file("empresa.pfx"));
  aNFe.SetSenhaCertificado("x");
}

std::string ErrosDeEsquema(const std::string& aXml, const std::string& aXsd) {
  mox::TmoxKivoUtils utils;
  try {
    utils.ValidateSchema(aXml, mox::TmoxKivoUtils::kNFeNamespace, aXsd);
    return {};
  } catch (const mox::EKivoException& e) {
    std::string erros;
    for (const std::string& erro : utils.ValidatorErrors()) erros += erro + "\n";
    return erros.empty() ? e.what() : erros;
  }
}

}  // namespace moxtest
