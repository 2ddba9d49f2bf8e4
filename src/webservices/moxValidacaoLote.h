#pragma once
// Checks of a signed batch before it is sent (its size, its signature, each note's header and
// each item against the batch schema) and of a recipient XML (signature, schema, digest).
#include <functional>
#include <string>
#include <vector>

namespace mox {

class TmoxKivoUtils;

// What the batch checks need from the component.
struct TContextoValidacao {
  TmoxKivoUtils& Utils;
  std::string DiretorioEsquemas;
  std::string DiretorioLogErro;
  std::string CaracteresRemoverAcentos;
  bool ValidarEsquemaAntesEnvio = false;
  int MaxSizeLoteEnvio = 500;  // kilobytes
  std::function<std::string(const std::string&)> LoadTemplate;  // the component's templates
  std::function<void()> CheckCertificate;
};

// EmoxNFeMaxSizeException when the batch is empty or longer than aMaxSizeLoteEnvio thousand
// characters.
void ValidarTamanhoArquivoEnvio(const std::string& aLoteNotas, int aMaxSizeLoteEnvio);

// The batch document of "pedido_enviarnota.xml" holding the signed notes (line breaks removed),
// after the checks of the lot number, the size, the signature and, when
// ValidarEsquemaAntesEnvio, the schema of "ENVIO" (its errors in aErros).
std::string ValidarLoteParaEnvio(const std::string& aNumLote, const std::string& aLoteNotas,
                                 const TContextoValidacao& aContexto, std::vector<std::string>& aErros);

// Validates each note of a signed batch in two parts: its header with a model item in place of
// its items, then each item inside a model header. Every failure adds a line to aErros naming
// the note (from 1) and the item; any line ends in EmoxSchemaValidationException.
void ValidarLoteItem(const std::string& aNumLote, const std::string& aLoteNotas, const TContextoValidacao& aContexto,
                     std::vector<std::string>& aErros);

// The messages of a recipient XML's checks (signature, schema "XMLDESTINATARIO", the note's
// DigestValue against the protocol's digVal); empty when it passes.
std::vector<std::string> ErrosXmlDestinatario(const std::string& aXml, TmoxKivoUtils& aUtils,
                                              const std::string& aDiretorioEsquemas,
                                              const std::string& aDiretorioLogErro);

}  // namespace mox
