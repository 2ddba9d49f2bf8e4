#pragma once
// The documents the DF-e distribution hands out, written from the state in the layout of the
// distribution's version: summaries (resNFe, resEvento) and whole documents (nfeProc,
// procEventoNFe).
#include <string>

#include "sandbox/EstadoSandbox.h"

namespace mox::sandbox {

struct TDocumentoRenderizado {
  std::string Xml;
  std::string Esquema;  // the schema file that validates it, as docZip names it
};

// Expects the state's lock held.
TDocumentoRenderizado RenderizaDocumentoDFe(const TDocumentoDFe& aDocumento, const EstadoSandbox& aEstado,
                                            const std::string& aVersaoDistribuicao);

// A date or local date-time of layout 2.00 as an instant with the Brasília offset.
std::string ComFuso(const std::string& aDataHora);

}  // namespace mox::sandbox
