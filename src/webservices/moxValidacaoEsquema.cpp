#include "webservices/moxValidacaoEsquema.h"

#include "base/EmoxException.h"
#include "external/EKivoException.h"
#include "external/TmoxIniFile.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"

namespace mox {

std::string GetXSDFileName(const std::string& aDiretorioEsquemas, const std::string& aMethodName,
                           const std::string& aDiretorioLogErro) {
  const std::string mapeamento = aDiretorioEsquemas + "Mapping.txt";
  if (!FileExists(mapeamento))
    throw EmoxFileNotFoundException::CreateFmt("Arquivo %s utilizado na validação de esquema, não foi encontrado",
                                               {mapeamento}, aDiretorioLogErro);
  const std::string xsd = TmoxIniFile(mapeamento).ReadString("ValidarXML", aMethodName, "");
  if (xsd.empty())
    throw EmoxCheckParams::CreateFmt("Não foi encontrado mapeamento de XSD para o comando %s ", {aMethodName},
                                     aDiretorioLogErro);
  return aDiretorioEsquemas + xsd;
}

void ValidarXMLNFe(TmoxKivoUtils& aUtils, const std::string& aXML, const std::string& aMethodName,
                   const std::string& aDiretorioEsquemas, std::vector<std::string>& aErrosValidador,
                   const std::string& aDiretorioLogErro) {
  try {
    if (aXML.find("schemaLocation") != std::string::npos)
      aUtils.ValidateSchemaByDirectory(aXML, aDiretorioEsquemas);
    else
      aUtils.ValidateSchema(aXML, TmoxKivoUtils::kNFeNamespace,
                            GetXSDFileName(aDiretorioEsquemas, aMethodName, aDiretorioLogErro));
  } catch (const EKivoException& e) {
    aErrosValidador = aUtils.ValidatorErrors();
    throw EmoxSchemaValidationException(e.what(), aDiretorioLogErro);
  } catch (const EmoxException& e) {
    aErrosValidador = aUtils.ValidatorErrors();
    throw EmoxSchemaValidationException(e.what(), aDiretorioLogErro);
  }
}

}  // namespace mox
