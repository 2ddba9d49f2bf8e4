#pragma once
// Schema validation of the documents sent to SEFAZ, the schema of each command read from the
// "Mapping.txt" of the schemas folder.
#include <string>
#include <vector>

namespace mox {

class TmoxKivoUtils;

// DiretorioEsquemas + the XSD the mapping names for the command ("STATUS", "ENVIO", ...).
// EmoxFileNotFoundException without "Mapping.txt", EmoxCheckParams without the command.
std::string GetXSDFileName(const std::string& aDiretorioEsquemas, const std::string& aMethodName,
                           const std::string& aDiretorioLogErro);

// Validates by the schema location when the document names one, else by the command's XSD.
// On failure aErrosValidador holds the validator's errors and EmoxSchemaValidationException is
// raised with the failure's message.
void ValidarXMLNFe(TmoxKivoUtils& aUtils, const std::string& aXML, const std::string& aMethodName,
                   const std::string& aDiretorioEsquemas, std::vector<std::string>& aErrosValidador,
                   const std::string& aDiretorioLogErro);

}  // namespace mox
