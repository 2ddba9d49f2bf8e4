#include "sandbox/CatalogoEsquemas.h"

#include <filesystem>

#include "external/EKivoException.h"
#include "external/SchemaCache.h"
#include "sandbox/Rejeicao.h"

namespace mox::sandbox {

namespace {

// Packages in order of preference: the newest package of each layout first, so a file name
// shared by several packages resolves to the last published schema of that layout (the 4.00 of
// the tax reform accepts every note of the 4.00 before it; the 3.10 copies in the 4.00 packages
// come after the 3.10 packages).
const std::vector<std::string> kPacotes{
    "PL_008i2", "PL_008i1", "PL_008i", "PL_008h2", "PL_008h1", "PL_008h", "PL_008g", "PL_008e", "PL_008d",
    "PL_008c", "PL_008b", "PL_008a", "PL_006v", "PL_006u", "PL_006s", "PL_006r", "PL_006n", "PL_006m",
    "PL_006j", "PL_006i", "PL_006g", "PL_006e", "PL_005f", "PL_005d", "PL_005c", "Evento_Generico_PL_v1.01", "Evento_CCe_PL_v1.01",
    "Evento_Canc_PL_v1.01", "Evento_EPEC_PL_v1.01", "Evento_ManifestaDest_PL_v1.01", "PL_NFeDistDFe_100",
    "PL_v1.01b", "ConSitNFe_v2.01a", "PL_008f", "PL_006q", "PL_006p", "PL_010_V1.30", "PL_009_V4"};

const std::vector<std::string> kIndispensaveis{
    "consStatServ_v2.00.xsd", "consStatServ_v3.10.xsd", "enviNFe_v2.00.xsd", "enviNFe_v3.10.xsd",
    "consReciNFe_v2.00.xsd", "consReciNFe_v3.10.xsd", "consSitNFe_v2.01.xsd", "consSitNFe_v3.10.xsd",
    "cancNFe_v2.00.xsd", "inutNFe_v2.00.xsd", "inutNFe_v3.10.xsd", "consCad_v2.00.xsd", "envEvento_v1.00.xsd"};

}  // namespace

CatalogoEsquemas::CatalogoEsquemas(std::string aPasta) : pasta_(std::move(aPasta)) {}

std::string CatalogoEsquemas::Arquivo(const std::string& aNomeXsd) const {
  namespace fs = std::filesystem;
  std::error_code erro;
  if (fs::path direto = fs::path(pasta_) / aNomeXsd; fs::is_regular_file(direto, erro)) return direto.string();
  for (const auto& pacote : kPacotes)
    if (fs::path caminho = fs::path(pasta_) / pacote / aNomeXsd; fs::is_regular_file(caminho, erro))
      return caminho.string();
  return {};
}

void CatalogoEsquemas::Valida(const XmlDocument& aDocumento, const std::string& aNomeXsd, int aCodigoFalha) const {
  const std::string arquivo = Arquivo(aNomeXsd);
  if (arquivo.empty()) throw ERejeicao(999, "esquema ausente na pasta de esquemas: " + aNomeXsd);
  std::vector<std::string> erros;
  try {
    erros = GetCompiledSchema(arquivo)->Validate(aDocumento);
  } catch (const EKivoException& e) {
    throw ERejeicao(999, e.what());
  }
  if (erros.empty()) return;
  std::string detalhe = aNomeXsd + ":";
  for (const auto& e : erros) detalhe += " " + e;
  throw ERejeicao(aCodigoFalha, detalhe);
}

std::vector<std::string> CatalogoEsquemas::EsquemasAusentes() const {
  std::vector<std::string> ausentes;
  for (const auto& nome : kIndispensaveis)
    if (Arquivo(nome).empty()) ausentes.push_back(nome);
  return ausentes;
}

}  // namespace mox::sandbox
