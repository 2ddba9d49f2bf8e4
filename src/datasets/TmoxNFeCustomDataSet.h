#pragma once
// The NF-e container: the dictionary data sets of one invoice layout, the note and item
// commands with their states, the batch of converted notes, and the assembly of the infNFe
// element with its access key. Each schema package derives its own layout class and supplies
// the group converters.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "datasets/TmoxXMLDataSetNFe.h"

// Accessors A() to Z() over a class's Parte(char).
// clang-format off
#define MOX_PARTE(L) \
  TXmlDataSetNFe* L() const { return Parte(#L[0]); }
#define MOX_PARTES_A_Z                                                                                      \
  MOX_PARTE(A) MOX_PARTE(B) MOX_PARTE(C) MOX_PARTE(D) MOX_PARTE(E) MOX_PARTE(F) MOX_PARTE(G) MOX_PARTE(H) \
  MOX_PARTE(I) MOX_PARTE(J) MOX_PARTE(K) MOX_PARTE(L) MOX_PARTE(M) MOX_PARTE(N) MOX_PARTE(O) MOX_PARTE(P) \
  MOX_PARTE(Q) MOX_PARTE(R) MOX_PARTE(S) MOX_PARTE(T) MOX_PARTE(U) MOX_PARTE(V) MOX_PARTE(W) MOX_PARTE(X) \
  MOX_PARTE(Y) MOX_PARTE(Z)
// clang-format on

namespace mox {

class TmoxNFeCustomDataSet : public TmoxXMLDataSetNFe {
 public:
  explicit TmoxNFeCustomDataSet(TVersaoEsquema aVersaoEsquema);

  TVersaoEsquema VersaoEsquema() const { return fVersaoEsquema; }

  // The data sets "A" to "Z"; null until a dictionary is loaded.
  TXmlDataSetNFe* Parte(char aLetra) const;
  MOX_PARTES_A_Z

  // Note-level and item-level data sets, in the order the commands walk them.
  const std::vector<TXmlDataSetNFe*>& PartsNFe() const { return fPartsNFe; }
  const std::vector<TXmlDataSetNFe*>& PartsNFeItem() const { return fPartsNFeItem; }

  // The batch: one infNFe text per saved note. It only grows until its owner empties it.
  std::vector<std::string>& LoteNFe() { return fLoteNFe; }
  const std::vector<std::string>& LoteNFe() const { return fLoteNFe; }
  void SetLoteNFe(std::vector<std::string> aLote) { fLoteNFe = std::move(aLote); }

  // Note state (State) and item state (StateItem).
  TDataSetState StateItem() const { return fStateItem; }

  // --- Commands.
  void Incluir() override;
  void IncluirItem();
  void SalvarItem();
  // Saves the open item and the note, converts it and appends it to the batch.
  void Salvar();
  void Cancelar();

  using TmoxXMLDataSetNFe::Campo;
  TmoxNFeXMLField& Campo(std::string_view aNome) const {
    return static_cast<TmoxNFeXMLField&>(TmoxXMLDataSetNFe::Campo(aNome));
  }
  // The field that stores a value the user types for aNome: the field itself when the layout
  // writes it; for a field kept outside the layout, the layout's field for the same element.
  // Fails for a field the layout never writes (naming the one to fill instead when there is one)
  // and for a field newer than the note's schema package.
  TmoxNFeXMLField& CampoDeEntrada(std::string_view aNome) const;
  // The field whose record-layout positions list aGrupo=aPosicao.
  TmoxNFeXMLField& Campo(std::string_view aGrupo, int aPosicao) const;

  // --- Conversion of the current note.
  virtual std::string ConverterAuto();
  // The opening infNFe tag; computes the access key first.
  virtual std::string ConvPartA();
  // Computes the access key and writes Id_A03, cNF_B03 and cDV_B23.
  void ConverterChaveNFe();

  // Group converters of the layout.
  virtual std::string ConvPartB() = 0;
  virtual std::string ConvPartC() = 0;
  virtual std::string ConvPartD() = 0;
  virtual std::string ConvPartE() = 0;
  virtual std::string ConvPartF() = 0;
  virtual std::string ConvPartG() = 0;
  virtual std::string ConvAutXML() = 0;
  virtual std::string ConvPartItens() = 0;
  virtual std::string ConvPartW() = 0;
  virtual std::string ConvPartX() = 0;
  virtual std::string ConvPartY() = 0;
  virtual std::string ConvPartZ() = 0;

 protected:
  // The groups in document order; autXML belongs only to the layouts that have it.
  std::string MontarInfNFe(bool aComAutXML);

  void CreateListDataSets() override;
  virtual void AddDataSetsListaNFE();
  virtual void AddDataSetsListaItemNFe();
  // Appends the named data sets to a list (each must exist).
  void AddParts(std::vector<TXmlDataSetNFe*>& aLista, std::initializer_list<std::string_view> aNomes) const;

  std::unique_ptr<TXmlFieldNFe> CreateXmlField(TXmlDataSetNFe& aDataSet) final;
  void GetAtributosComplementares(xmlNodePtr aXMLNode, TXmlFieldNFe& aField) override;
  // The invoice keeps values exactly as entered.
  void AppendValorXML(std::string& aOut, std::string_view aValor) const override;

  void CheckParams() const;

  std::vector<TXmlDataSetNFe*> fPartsNFeItem;
  std::vector<TXmlDataSetNFe*> fPartsNFe;

 private:
  void MapeaDataSetsParaPropriedades();

  TVersaoEsquema fVersaoEsquema;
  std::array<TXmlDataSetNFe*, 26> fLetras{};
  std::vector<std::string> fLoteNFe;
  TDataSetState fStateItem = TDataSetState::dsInactive;
};

}  // namespace mox
