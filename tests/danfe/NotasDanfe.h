#pragma once
// Notes to print: the TX2 examples converted, signed with the test company's certificate and
// paired with an authorization protocol as SEFAZ returns it; and the DANFE front driven as the
// component drives it.
#include <string>
#include <vector>

#include "component/TmoxNFe.h"
#include "danfe/TmoxNFeDanfe.h"
#include "support/TestSupport.h"

namespace moxtest {

inline constexpr const char* kProtocolo = "135160000012345";

// The TX2 text of an example, with its lines changed by aTroca (name=value lines replaced or,
// when absent, added after "tpEmis_B22").
std::string Tx2Exemplo(const std::string& aArquivo, const std::vector<std::pair<std::string, std::string>>& aTroca = {});
// The example with its item block repeated up to aItens items.
std::string Tx2ComItens(int aItens);

// Signed NFe elements of a TX2 text (layout 3.10).
std::vector<std::string> NotasAssinadas(const std::string& aTx2);
// A signed note inside nfeProc with its protocol (aCStat "100": authorized).
std::string NotaAutorizada(const std::string& aNFe, const std::string& aCStat = "100");
std::string Chave(const std::string& aNFe);
// The example issued in EPEC contingency (tpEmis 4), signed, without protocol.
std::string NotaEmEpec();

// A component printing with the built templates (manual 5.0a), its error log in aDir.
void PreparaComponente(mox::TmoxNFe& aNFe, const TempDir& aDir);

// The component's print parameters for an export to aSaida (extra lines first: they win).
std::string ParametrosExportacao(const std::string& aSaida, const std::string& aExtra = {});
// Exports aXml through the front; returns the PDF's text (pdftotext -layout).
std::string ExportaTexto(mox::TmoxNFeDanfe& aDanfe, const std::string& aXml, const TempDir& aDir,
                         const std::string& aExtra = {});
std::string TextoDoPdf(const std::string& aPdf);
// The CODE-128 symbols zbarimg reads in the first page of a PDF.
std::string CodigosDeBarras(const std::string& aPdf);
std::string Modelo(const std::string& aNome);

}  // namespace moxtest
