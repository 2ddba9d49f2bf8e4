#pragma once
// A data set of the invoice dictionary: every field is a TXmlFieldNFe, and the data set knows
// its XML wrapper tag and how it hangs off its master data set.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "datasets/TXmlFieldNFe.h"
#include "datasets/TmoxDataSet.h"

namespace mox {

class TXmlDataSetNFe : public TmoxDataSet {
 public:
  explicit TXmlDataSetNFe(std::string aName = {});
  ~TXmlDataSetNFe() override;

  // Wrapper element of the whole record when converted to XML; empty: no wrapper.
  const std::string& TagXML() const { return FTagXML; }
  void SetTagXML(std::string aValue) { FTagXML = std::move(aValue); }
  // Name of the master data set; empty for a top-level data set.
  const std::string& XMLMasterSource() const { return FXmlMasterSource; }
  void SetXMLMasterSource(std::string aValue) { FXmlMasterSource = std::move(aValue); }
  // Field of the master whose value links the detail.
  const std::string& XMLMasterField() const { return FXMLMasterField; }
  void SetXMLMasterField(std::string aValue) { FXMLMasterField = std::move(aValue); }
  // Field of this data set that receives the master's value; also its index field.
  const std::string& XMLKeyField() const { return FXMLKeyField; }
  void SetXMLKeyField(std::string aValue) { FXMLKeyField = std::move(aValue); }
  // Bound to this data set; details use it as their master source.
  TmoxDataSource& DataSource() const { return *FDataSource; }
  // Its position in the container that made it (what the container finds its own facts by).
  size_t Ordem() const { return FOrdem; }
  void SetOrdem(size_t aOrdem) { FOrdem = aOrdem; }

  TXmlFieldNFe& AddXmlField(std::unique_ptr<TXmlFieldNFe> aField);
  TXmlFieldNFe& XmlField(size_t aIndex) const { return static_cast<TXmlFieldNFe&>(Field(aIndex)); }
  TXmlFieldNFe* FindXmlField(std::string_view aFieldName) const {
    return static_cast<TXmlFieldNFe*>(FindField(aFieldName));
  }
  TXmlFieldNFe& XmlFieldByName(std::string_view aFieldName) const {
    return static_cast<TXmlFieldNFe&>(FieldByName(aFieldName));
  }
  // The fields the record checks read (required or with allowed values), in field order.
  const std::vector<const TXmlFieldNFe*>& CamposVerificados() const;
  // False when the record checks cannot fail on the pending record: no field is required and
  // none of the fields it may hold a value in is checked (a null field with allowed values
  // passes). A detail record holding only its handle and key is so.
  bool PendenteVerificavel() const {
    if (FVersaoVerificados != DefinitionVersion()) CamposVerificados();
    if (FCamposVerificados.empty()) return false;
    if (FTemRequerido || !Editing()) return true;
    for (const uint32_t field : PendingFields())
      if (FVerificado[field]) return true;
    return false;
  }
  // True when a visible field of the current record holds a value. Told by the record's size
  // less its few invisible values, not by reading every field.
  bool TemValorVisivel() const;
  // True when no field of the current record writes anything: no visible value and no visible
  // field that writes its empty tag. Any group of this record's fields is then empty.
  bool SemSaida() const { return !TemValorVisivel() && !FTemTagVazia; }

  // --- Read-only queries for converters.
  // True when no record, under any master, holds a value a converter reads: no record is
  // pending and every posted one holds values only in its invisible "handle" and master key.
  // Told from the posted records as stored, without moving the cursor. The answer is kept under
  // aMarca, a stamp the caller changes whenever records may have changed since; 0 (no such
  // stamp) answers false.
  bool SemDadosEmRegistroAlgum(uint64_t aMarca) const;
  // True when a visible field writes its empty tag: a group of fields may write without values.
  bool TemTagVazia() const {
    AtualizaInvisiveis();
    return FTemTagVazia;
  }

 protected:
  void CheckNewField(const TmoxField& aField) const override;

 private:
  std::string FTagXML;
  std::string FXMLMasterField;
  std::string FXmlMasterSource;
  std::unique_ptr<TmoxDataSource> FDataSource;
  std::string FXMLKeyField;
  size_t FOrdem = SIZE_MAX;
  mutable std::vector<const TXmlFieldNFe*> FCamposVerificados;
  mutable uint64_t FVersaoVerificados = UINT64_MAX;
  mutable std::vector<uint8_t> FVerificado;  // by field index
  mutable bool FTemRequerido = false;
  mutable std::vector<const TXmlFieldNFe*> FCamposInvisiveis;
  mutable uint64_t FVersaoInvisiveis = UINT64_MAX;
  mutable bool FTemTagVazia = false;
  // The invisible fields and whether a visible one writes its empty tag, per definitions.
  void AtualizaInvisiveis() const;
  mutable uint64_t FMarcaSemDados = 0;
  mutable bool FSemDados = false;
  // The invisible "handle" and master key, as of the definitions and key field named in them.
  mutable std::vector<size_t> FCamposLigacao;
  mutable std::string FChaveLigacao;
  mutable uint64_t FVersaoLigacao = UINT64_MAX;
};

}  // namespace mox
