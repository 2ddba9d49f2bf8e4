#pragma once
// The host-facing facade of invoice data entry: it owns the layout container of the chosen
// schema package, forwards the note, item and part commands, and runs the business rules around
// saving a note.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/moxTypes.h"
#include "datasets/TmoxNFeCustomDataSet.h"

namespace mox {

// Rule sets the facade applies around saving: the component's fix-up rules and the standard's
// rejection rules.
enum class TTipoRegraKind { rkZelto, rkSefaz };

class TmoxNFeDataSets {
 public:
  // Creates the layout container of a schema package.
  using TLayoutFactory = std::function<std::unique_ptr<TmoxNFeCustomDataSet>(TVersaoEsquema)>;
  // Applies one rule set to the facade's layout container; raises on the first violated rule.
  using TAplicadorRegras = std::function<void(TmoxNFeDataSets&, TTipoRegraKind)>;

  // The layout converters of every schema package (CriaLeiauteNFe).
  TmoxNFeDataSets();
  explicit TmoxNFeDataSets(TLayoutFactory aLayoutFactory);
  virtual ~TmoxNFeDataSets();
  TmoxNFeDataSets(const TmoxNFeDataSets&) = delete;
  TmoxNFeDataSets& operator=(const TmoxNFeDataSets&) = delete;

  // The rule engine of this facade, set by whoever builds it with the rules (a layer above);
  // with a rule switch on and no engine, Salvar fails instead of skipping the check.
  void SetAplicadorRegras(TAplicadorRegras aAplicador) { fAplicadorRegras = std::move(aAplicador); }
  bool TemAplicadorRegras() const { return static_cast<bool>(fAplicadorRegras); }

  // --- Configuration.
  TVersaoEsquema VersaoEsquema() const { return fVersaoEsquema; }
  // A fresh layout container: entered data, handles and batch start over.
  void SetVersaoEsquema(TVersaoEsquema aValue);
  const std::string& XMLDicionario() const { return fActiveDSVersao->XMLDicionario(); }
  // Grows each time the layout container is replaced (a version or a dictionary set): fields
  // taken from an older container no longer exist.
  uint64_t TrocasDeLeiaute() const { return fTrocasDeLeiaute; }
  // A fresh layout container for VersaoEsquema, then loads the dictionary into it.
  void SetXMLDicionario(const std::string& aFileName);
  const std::string& DiretorioLogErro() const { return fDiretorioLogErro; }
  // Stores the folder and creates it when missing.
  void SetDiretorioLogErro(const std::string& aDir);
  bool ValidaRegrasNegocio() const { return fValidaRegrasNegocio; }
  void SetValidaRegrasNegocio(bool aValue) { fValidaRegrasNegocio = aValue; }
  bool ValidaRegrasNegocioZelto() const { return fValidaRegrasNegocioZelto; }
  void SetValidaRegrasNegocioZelto(bool aValue) { fValidaRegrasNegocioZelto = aValue; }
  // Rule names exempted from the checks (matched as substrings).
  const std::string& ExcecoesDeRegras() const { return fExcecoesDeRegras; }
  void SetExcecoesDeRegras(std::string aValue) { fExcecoesDeRegras = std::move(aValue); }

  // --- Data sets.
  TmoxNFeCustomDataSet& ActiveDSVersao() const { return *fActiveDSVersao; }
  // The data sets "A" to "Z"; null while no dictionary is loaded.
  TXmlDataSetNFe* Parte(char aLetra) const { return fActiveDSVersao->Parte(aLetra); }
  MOX_PARTES_A_Z
  TXmlDataSetNFe& FindDataSet(std::string_view aName) const { return fActiveDSVersao->FindDataSet(aName); }
  const std::vector<std::unique_ptr<TXmlDataSetNFe>>& ListDataSets() const { return fActiveDSVersao->ListDataSets(); }
  TmoxNFeXMLField& Campo(std::string_view aNome) const { return fActiveDSVersao->Campo(aNome); }
  TmoxNFeXMLField& CampoDeEntrada(std::string_view aNome) const { return fActiveDSVersao->CampoDeEntrada(aNome); }
  TmoxNFeXMLField& Campo(std::string_view aGrupo, int aPosicao) const {
    return fActiveDSVersao->Campo(aGrupo, aPosicao);
  }

  // --- Commands.
  void Incluir();
  void IncluirItem() { fActiveDSVersao->IncluirItem(); }
  void SalvarItem() { fActiveDSVersao->SalvarItem(); }
  void IncluirCobranca() { fActiveDSVersao->IncluirPart("DUP"); }
  void SalvarCobranca() { fActiveDSVersao->SalvarPart("DUP"); }
  void IncluirPart(std::string_view aPartXml) { fActiveDSVersao->IncluirPart(aPartXml); }
  void SalvarPart(std::string_view aPartXml) { fActiveDSVersao->SalvarPart(aPartXml); }
  // Fix-up rules, save and conversion, rejection rules. A rejected note stays in the batch.
  void Salvar();
  void Cancelar() { fActiveDSVersao->Cancelar(); }

  std::vector<std::string>& LoteNFe() const { return fActiveDSVersao->LoteNFe(); }
  void SetLoteNFe(std::vector<std::string> aLote) { fActiveDSVersao->SetLoteNFe(std::move(aLote)); }
  TDataSetState State() const { return fActiveDSVersao->State(); }
  TDataSetState StateItem() const { return fActiveDSVersao->StateItem(); }

 protected:
  virtual void AplicarRegrasDeNegocio(TTipoRegraKind aTipoRegra);

 private:
  TLayoutFactory fLayoutFactory;
  TAplicadorRegras fAplicadorRegras;
  std::unique_ptr<TmoxNFeCustomDataSet> fActiveDSVersao;
  uint64_t fTrocasDeLeiaute = 0;
  TVersaoEsquema fVersaoEsquema = TVersaoEsquema::pl_005a;
  bool fValidaRegrasNegocio = false;
  std::string fExcecoesDeRegras;
  bool fValidaRegrasNegocioZelto = false;
  std::string fDiretorioLogErro;
};

}  // namespace mox
