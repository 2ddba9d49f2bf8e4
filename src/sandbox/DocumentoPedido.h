#pragma once
// The checks every service runs on its request before looking at its content, in SEFAZ's
// order: the SOAP header (and the UF it names; the first generation's cabecMsg), decompression,
// well-formedness, blanks between tags, namespace prefixes, root element, version, header
// version, schema.
#include <string>
#include <vector>

#include "external/XmlDocument.h"
#include "sandbox/CatalogoEsquemas.h"
#include "sandbox/MensagemSoap.h"
#include "sandbox/SecaoSandbox.h"

namespace mox::sandbox {

struct TRegrasDocumento {
  TRegrasDocumento(std::string aRaiz, std::vector<std::string> aVersoes, std::string aEsquema = {})
      : Raiz(std::move(aRaiz)), Versoes(std::move(aVersoes)), Esquema(std::move(aEsquema)) {}

  std::string Raiz;                  // local name of the root element ("consStatServ")
  std::vector<std::string> Versoes;  // accepted versions, the one answered by default first
  std::string Esquema;               // XSD file name before "_v<versao>.xsd"; empty: Raiz
  bool ExigeCabecalho = true;        // the DF-e distribution has no SOAP header
  bool Lote = false;                 // a batch of notes: the lot's own codes (565, 567, 568, 225)
};

struct TDocumentoPedido {
  XmlDocument Documento;
  std::string Texto;
  std::string Versao;
  xmlNodePtr Raiz() const { return Documento.Root(); }
};

// The version to answer in: the header's when it is one the service speaks, else the default.
std::string VersaoDaResposta(const TPedidoSoap& aSoap, const TRegrasDocumento& aRegras);

// Raises ERejeicao with the code of the first check that fails.
TDocumentoPedido PreparaDocumento(const TPedidoSoap& aSoap, const CatalogoEsquemas& aEsquemas,
                                  const TRegrasDocumento& aRegras, const TSecao& aSecao);

}  // namespace mox::sandbox
