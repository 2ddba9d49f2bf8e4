#pragma once
// Fields of the invoice dictionary: text fields that also carry how they are written to the
// XML (element or attribute, empty tag), their allowed values and a hint for messages.
#include <string>
#include <string_view>
#include <vector>

#include "datasets/TmoxField.h"

namespace mox {

class TXmlFieldNFe : public TmoxField {
 public:
  explicit TXmlFieldNFe(std::string aFieldName = {}, int aSize = 0);

  // "elemento" writes an element; any other text an attribute.
  const std::string& TpNode() const { return FTpNode; }
  void SetTpNode(std::string aValue) {
    FTpNode = std::move(aValue);
    FElemento = FTpNode == "elemento";
  }
  bool IsElemento() const { return FElemento; }
  // "<tag></tag>", the tag being the name up to the first underscore ("cUF_B02" gives "cUF").
  // Worked out once the field belongs to a data set, whose fields keep their names.
  std::string_view Marcas() const {
    if (FMarcas.empty() || !DataSet()) MontaMarcas();
    return FMarcas;
  }
  const std::string& TagXml() const { return FTagXML; }
  void SetTagXml(std::string aValue) { FTagXML = std::move(aValue); }
  bool GeraTagVazia() const { return FGeraTagVazia; }
  void SetGeraTagVazia(bool aValue) {
    FGeraTagVazia = aValue;
    Redefined();
  }
  const std::string& Dica() const { return fDica; }
  void SetDica(std::string aValue) { fDica = std::move(aValue); }
  const std::string& DiretorioLogErro() const { return FDiretorioLogErro; }
  void SetDiretorioLogErro(std::string aValue) { FDiretorioLogErro = std::move(aValue); }

  // Allowed values; an empty list allows any value.
  const std::vector<std::string>& Enum() const { return fEnum; }
  // The allowed values, one per line.
  std::string EnumText() const;
  // Appends every item of a comma-separated list to the allowed values.
  void SetEnum(std::string_view aValue);

  // " Dica: " and the hint, or nothing when the field has none.
  std::string SufixoDica() const;
  // Fails when the value is not empty and not one of the allowed values (letter case ignored).
  virtual void ValidarConteudo() const;

 protected:
  // Values are XML text: "&amp;" is one character of the document.
  size_t TextLength(std::string_view aValue) const override;

 private:
  void MontaMarcas() const;
  mutable std::string FMarcas;
  std::vector<std::string> fEnum;
  std::string FTpNode;
  bool FElemento = false;
  std::string FTagXML;
  bool FGeraTagVazia = false;
  std::string fDica;
  std::string FDiretorioLogErro;
};

// The NF-e container's field: also knows its positions in the record-layout text.
class TmoxNFeXMLField : public TXmlFieldNFe {
 public:
  using TXmlFieldNFe::TXmlFieldNFe;

  // Comma-separated items of a record group name, "=" and a position ("B=4,b02=4").
  const std::string& Rec() const { return fRec; }
  void SetRec(std::string aValue) { fRec = std::move(aValue); }
  // True when one of the items equals aItem, letter case ignored.
  bool TemPosicao(std::string_view aItem) const;

  // For a field kept outside the layout (invisible): the field of the layout that is the same
  // element and receives what is typed here ("equivale"), or the one to fill in its place
  // ("substituto"). Both empty for the layout's own fields.
  const std::string& Equivale() const { return fEquivale; }
  void SetEquivale(std::string aValue) { fEquivale = std::move(aValue); }
  const std::string& Substituto() const { return fSubstituto; }
  void SetSubstituto(std::string aValue) { fSubstituto = std::move(aValue); }
  // The first schema package of the dictionary's manual version that has the field ("pl_008g"),
  // when the older ones lack it; empty when every package has it.
  const std::string& Desde() const { return fDesde; }
  void SetDesde(std::string aValue) { fDesde = std::move(aValue); }

 private:
  std::string fRec;
  std::string fEquivale;
  std::string fSubstituto;
  std::string fDesde;
};

}  // namespace mox
