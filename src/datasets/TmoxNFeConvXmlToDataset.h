#pragma once
// An existing NF-e XML (a signed note, an authorized nfeProc, or a batch of either) read back
// into fresh invoice data sets by replaying the commands a host would run: one note per NFe,
// every group and repeated record, then the save that regenerates its infNFe. The equivalent
// TX2 lines and the protocol's authorization data are collected on the way.
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/moxTypes.h"
#include "datasets/TmoxNFeDataSets.h"
#include "external/XmlDocument.h"

namespace mox {

class TmoxKivoUtils;

class TmoxNFeConvXmlToDataset {
 public:
  // aUtils is not owned and must outlive the converter.
  explicit TmoxNFeConvXmlToDataset(TmoxKivoUtils& aUtils);
  ~TmoxNFeConvXmlToDataset();
  TmoxNFeConvXmlToDataset(const TmoxNFeConvXmlToDataset&) = delete;
  TmoxNFeConvXmlToDataset& operator=(const TmoxNFeConvXmlToDataset&) = delete;

  const std::string& XmlDicionario() const { return FXmlDicionario; }
  void SetXmlDicionario(const std::string& aFileName) { FXmlDicionario = aFileName; }
  TVersaoEsquema VersaoEsquema() const { return FVersaoEsquema; }
  void SetVersaoEsquema(TVersaoEsquema aValue) { FVersaoEsquema = aValue; }
  const std::string& Xml() const { return FXml; }
  void SetXml(const std::string& aValue) { FXml = aValue; }
  // A caller-owned list that receives the equivalent TX2 lines; null for none.
  std::vector<std::string>* TX2() const { return FTx2; }
  void SetTX2(std::vector<std::string>* aList) { FTx2 = aList; }
  bool XmlDestinatario() const { return fXmlDestinatario; }
  void SetXmlDestinatario(bool aValue) { fXmlDestinatario = aValue; }
  const std::string& DiretorioLogErro() const { return fDiretorioLogErro; }
  void SetDiretorioLogErro(const std::string& aValue) { fDiretorioLogErro = aValue; }
  // "tpAmb=", "verAplic=", "chNFe=", "dhRecbto=", "nProt=", "digVal=", "cStat=", "xMotivo=" with
  // the protocol's values, eight lines per note of the last conversion (empty values without one).
  const std::vector<std::string>& DadosAutorizacao() const { return fDadosAutorizacao; }

  std::function<void()> OnConvert;

  // The notes of Xml in new data sets owned by the caller. Raises EmoxConvXmlException when the
  // text is not XML or holds no NF-e; the failures of the commands and the save pass through.
  std::unique_ptr<TmoxNFeDataSets> ConvertDataset();

 private:
  struct TNota;

  void ConvertParts(const TNota& aNota);
  void DadosDeAutorizacao(const TNota& aNota);
  // Lets go of the data sets and of the document's elements at the end of a conversion.
  void Desliga();

  // Reading primitives.
  std::string GetNodeXml(xmlNodePtr aScope, const char* aNodeName) const;
  std::vector<xmlNodePtr> GetNodes(xmlNodePtr aScope, const char* aNodeName) const;
  void ConvertXmlEmDataSet(const char* aDataSet, const std::string& aSource);
  void ConvertXmlEmPartDataSet(xmlNodePtr aScope, const char* aNodeName, const char* aPart);
  void AddValueField(const std::string& aField, const std::string& aXml);
  // The first attribute of an element (nItem, xCampo, dia).
  std::string PrimeiroAtributo(xmlNodePtr aNode) const;
  // Lists the elements of the note by name, for the look-ups over the whole note.
  void ListaElementos(xmlNodePtr aInfNFe);
  void SetCampo(const std::string& aField, const std::string& aValue);

  // Groups.
  void ConvertReferencias(xmlNodePtr aInfNFe, bool aLeiaute310);
  void ConvertTotais(xmlNodePtr aInfNFe);
  void ConvertItem(xmlNodePtr aDet, const std::string& aVersao);
  void ConvertTransporte(xmlNodePtr aInfNFe, const std::string& aVersao);
  void ConvertInformacoesAdicionais(xmlNodePtr aInfNFe);
  void ConvertCana(xmlNodePtr aInfNFe);
  // The 4.00 note and item, read group by group in document order.
  void ConvertNota400(xmlNodePtr aInfNFe);
  void ConvertItem400(xmlNodePtr aDet);
  // The values below aGrupo into the current record of aDataSet, each to the next field with its
  // tag; the child elements named in aIgnorados (groups of other data sets) are skipped.
  void LeSequencial(const char* aDataSet, xmlNodePtr aGrupo, std::initializer_list<std::string_view> aIgnorados = {});
  // Each child aNome of aPai into a record of its own of aPart.
  void LeRegistros(xmlNodePtr aPai, std::string_view aNome, const char* aPart);
  static std::vector<xmlNodePtr> Filhos(xmlNodePtr aPai, std::string_view aNome);
  static xmlNodePtr Filho(xmlNodePtr aPai, std::string_view aNome);
  // Each element into its own record of aPart: its first attribute into aAttrField, the child named
  // by aValueField into aValueField.
  void ConvertAtributoETexto(xmlNodePtr aScope, const char* aNodeName, const char* aPart, const char* aAttrField,
                             const char* aValueField);

  // Command wrappers that also write the TX2 line.
  void Incluir();
  void IncluirItem();
  void IncluirPart(const std::string& aPart);
  void Salvar();
  void SalvarItem();
  void SalvarPart(const std::string& aPart);
  void AddTx2(std::string aLine);

  TmoxKivoUtils& FUtils;
  TVersaoEsquema FVersaoEsquema = TVersaoEsquema::pl_005a;
  std::vector<std::string> fDadosAutorizacao;
  std::string fDiretorioLogErro;
  TmoxNFeDataSets* DS = nullptr;
  std::string FXml;
  bool fXmlDestinatario = false;
  std::string FXmlDicionario;
  std::vector<std::string>* FTx2 = nullptr;
  xmlNodePtr fInfNFe = nullptr;
  // Names point into the parsed document, which outlives every look-up of its note.
  std::unordered_map<std::string_view, std::vector<xmlNodePtr>> fElementos;
};

}  // namespace mox
