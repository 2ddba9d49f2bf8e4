#include "datasets/TmoxNFeDataSets.h"

#include "base/EmoxException.h"
#include "datasets/moxLeiautesNFe.h"
#include "external/moxPaths.h"

namespace mox {

TmoxNFeDataSets::TmoxNFeDataSets() : TmoxNFeDataSets(CriaLeiauteNFe) {}

TmoxNFeDataSets::TmoxNFeDataSets(TLayoutFactory aLayoutFactory) : fLayoutFactory(std::move(aLayoutFactory)) {
  // The container always matches VersaoEsquema, from the start.
  SetVersaoEsquema(fVersaoEsquema);
}

TmoxNFeDataSets::~TmoxNFeDataSets() = default;

void TmoxNFeDataSets::SetVersaoEsquema(TVersaoEsquema aValue) {
  std::unique_ptr<TmoxNFeCustomDataSet> container = fLayoutFactory ? fLayoutFactory(aValue) : nullptr;
  if (!container)
    throw EmoxNFeVersaoEsquemaException("Não há leiaute de conversão para a versão de esquema informada.",
                                        fDiretorioLogErro);
  container->SetDiretorioLogErro(fDiretorioLogErro);
  fActiveDSVersao = std::move(container);
  ++fTrocasDeLeiaute;
  fVersaoEsquema = aValue;
}

void TmoxNFeDataSets::SetXMLDicionario(const std::string& aFileName) {
  const std::string fileName = aFileName;  // may be the old container's own name, freed below
  SetVersaoEsquema(fVersaoEsquema);
  fActiveDSVersao->SetXMLDicionario(fileName);
}

void TmoxNFeDataSets::SetDiretorioLogErro(const std::string& aDir) {
  if (!aDir.empty() && !DirectoryExists(aDir) && !CreateDirectories(aDir))
    throw EmoxNFeDirNotFoundException::CreateFmt("Não foi possível criar a pasta %s.", {aDir});
  fDiretorioLogErro = aDir;
  fActiveDSVersao->SetDiretorioLogErro(aDir);
}

void TmoxNFeDataSets::Incluir() {
  fActiveDSVersao->SetDiretorioLogErro(fDiretorioLogErro);
  fActiveDSVersao->Incluir();
}

void TmoxNFeDataSets::Salvar() {
  if (fValidaRegrasNegocioZelto) AplicarRegrasDeNegocio(TTipoRegraKind::rkZelto);
  fActiveDSVersao->Salvar();
  if (fValidaRegrasNegocio) AplicarRegrasDeNegocio(TTipoRegraKind::rkSefaz);
}

void TmoxNFeDataSets::AplicarRegrasDeNegocio(TTipoRegraKind aTipoRegra) {
  if (!fAplicadorRegras)
    throw EmoxNFeRuleException("As regras de negócio foram ligadas, mas estes DataSets não têm o motor de regras.",
                               fDiretorioLogErro);
  fAplicadorRegras(*this, aTipoRegra);
}

}  // namespace mox
