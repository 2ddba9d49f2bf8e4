#pragma once
// The generic container of dictionary data sets: it builds them from the field dictionary,
// hands out record handles, links details to masters, runs the record checks before every post
// and converts records, field lists and templates to XML text.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/moxTypes.h"
#include "datasets/TXmlDataSetNFe.h"
#include "datasets/moxNameIndex.h"
#include "external/TmoxKivoUtils.h"
#include "external/XmlDocument.h"

namespace mox {

// A list of field names that lives as long as the program (a converter's static table): the
// container resolves it once per data set and dictionary, knowing it by its number alone.
class TCamposXml {
 public:
  TCamposXml(std::initializer_list<std::string_view> aNomes);
  std::span<const std::string_view> Nomes() const { return fNomes; }
  // Numbers the lists from 0 in the order they are made.
  size_t Numero() const { return fNumero; }

 private:
  std::vector<std::string_view> fNomes;
  size_t fNumero;
};

// The name of a data set a converter reads for every item (a static of the converter): the
// container finds it once per dictionary, knowing it by its number alone.
class TParteXml {
 public:
  explicit TParteXml(std::string_view aNome);
  std::string_view Nome() const { return fNome; }
  size_t Numero() const { return fNumero; }

 private:
  std::string_view fNome;
  size_t fNumero;
};

class TmoxXMLDataSetNFe {
 public:
  TmoxXMLDataSetNFe();
  virtual ~TmoxXMLDataSetNFe();
  TmoxXMLDataSetNFe(const TmoxXMLDataSetNFe&) = delete;
  TmoxXMLDataSetNFe& operator=(const TmoxXMLDataSetNFe&) = delete;

  // --- Properties.
  virtual TDataSetState State() const { return fState; }
  virtual void SetState(TDataSetState aValue) { fState = aValue; }
  bool ActiveMasterSource() const { return fActiveMasterSource; }
  // On: every detail follows its master (a missing master fails). Off: every link is cleared.
  virtual void SetActiveMasterSource(bool aValue);
  // All dictionary data sets, in dictionary order.
  const std::vector<std::unique_ptr<TXmlDataSetNFe>>& ListDataSets() const { return fListDataSets; }
  const std::string& XMLDicionario() const { return fXMLDicionario; }
  // A file name discards the data sets and builds new ones from that dictionary; an empty name
  // only clears the stored name.
  virtual void SetXMLDicionario(const std::string& aFileName);
  const std::string& DiretorioLogErro() const { return fDiretorioLogErro; }
  // Error-log folder for every exception of the container and its data sets.
  void SetDiretorioLogErro(const std::string& aDir);

  // --- Look-ups.
  // The data set named aName in capitals; fails with "Parte %s não encontrada.".
  TXmlDataSetNFe& FindDataSet(std::string_view aName) const;
  TXmlDataSetNFe* DataSetOrNull(std::string_view aName) const;
  // The same, failing alike, for a name known by its number.
  TXmlDataSetNFe& FindDataSet(const TParteXml& aParte) const;
  // The field of that name (letter case ignored) in the first data set that holds it.
  TXmlFieldNFe& Campo(std::string_view aNome) const;
  // The field aNome of aDs (letter case ignored), or null. The converters name the same fields
  // with the same literal texts on every record: the answer is remembered by the text's address
  // and checked against the field's name, so a reused address never gives another field.
  TXmlFieldNFe* CampoDoDataSet(const TXmlDataSetNFe& aDs, std::string_view aNome) const;

  // --- Commands.
  virtual void Incluir();
  // Posts (or, without data, drops) the part's pending record, then opens a new one.
  virtual void IncluirPart(std::string_view aPartXml);
  virtual void SalvarPart(std::string_view aPartXml);
  // Discards every record of every data set.
  virtual void ClearDataSets();
  // True when a visible field other than "handle" and the master-link field holds a value.
  bool PossuiDadosCampo(const TXmlDataSetNFe& aDS) const;
  // The last handle given out for the data set; with aIncrement the next one, which is kept.
  int64_t GetHandle(const TXmlDataSetNFe& aDataSet, bool aIncrement);
  // Field verProc_B27 of data set B, defaulted to "Versao Aplicativo9" while B is pending.
  std::string VerificaCampoVerProc();

  // --- Conversion to XML. Values are written as stored.
  std::string ConvertFieldParaXML(const TXmlFieldNFe& aField) const;
  std::string ConvertFieldParaXML(const TXmlDataSetNFe& aDs, std::string_view aNameField) const;
  std::string ConvertFieldsParaXML(const TXmlDataSetNFe& aDs, std::initializer_list<std::string_view> aFields) const;
  std::string ConvertFieldsParaXML(const TXmlDataSetNFe& aDs, const std::vector<std::string>& aFields) const;
  std::string ConvertFieldsParaXML(const TXmlDataSetNFe& aDs, std::span<const std::string_view> aFields) const;
  std::string ConvertDataSetParaXML(const TXmlDataSetNFe& aDataSet) const;
  // The same, appended to aOut: a group is built in one text, without a text per piece.
  void AppendFieldParaXML(std::string& aOut, const TXmlDataSetNFe& aDs, std::string_view aNameField) const;
  void AppendFieldsParaXML(std::string& aOut, const TXmlDataSetNFe& aDs,
                           std::initializer_list<std::string_view> aFields) const;
  void AppendFieldsParaXML(std::string& aOut, const TXmlDataSetNFe& aDs, std::span<const std::string_view> aFields) const;
  void AppendFieldsParaXML(std::string& aOut, const TXmlDataSetNFe& aDs, const TCamposXml& aFields) const;
  std::string ConvertFieldsParaXML(const TXmlDataSetNFe& aDs, const TCamposXml& aFields) const;
  // True when a group of aDs's fields writes nothing for the current record; every name of the
  // lists must still be a field of aDs (failing as their conversion would).
  bool GrupoSemSaida(const TXmlDataSetNFe& aDs, std::initializer_list<const TCamposXml*> aListas) const;
  void AppendDataSetParaXML(std::string& aOut, const TXmlDataSetNFe& aDataSet) const;
  // True when no record of aDs holds a value a converter reads, whatever the record of its
  // master: its whole records write nothing, and a converter leaves its group out without
  // reading a record. During a conversion (TConversaoEmCurso) it is told once per data set;
  // outside one it answers false.
  bool SemDadosNaConversao(const TXmlDataSetNFe& aDs) const { return aDs.SemDadosEmRegistroAlgum(fMarcaConversao); }
  // The same, and no field of aDs writes its empty tag: a list of its fields writes nothing.
  bool SemSaidaNaConversao(const TXmlDataSetNFe& aDs) const { return SemDadosNaConversao(aDs) && !aDs.TemTagVazia(); }
  // Expands "@x(NAME)" (a field of data set x) and "@x(*)" (its whole record) in a template.
  std::string ParserConverter(std::string_view aTexto) const;

 protected:
  virtual std::unique_ptr<TXmlFieldNFe> CreateXmlField(TXmlDataSetNFe& aDataSet);
  virtual void GetAtributosComplementares(xmlNodePtr aXMLNode, TXmlFieldNFe& aField);
  virtual XmlDocument LoadDicXML();
  virtual void CreateListDataSets();
  virtual void AntesDeSalvar(TXmlDataSetNFe& aDataSet);
  virtual void AntesDeIncluir(TXmlDataSetNFe& aDataSet);
  virtual void DepoisDeIncluir(TXmlDataSetNFe& aDataSet);
  // Writes a value into the XML; the generic container removes accents.
  virtual void AppendValorXML(std::string& aOut, std::string_view aValor) const;
  // While it lives the converters only read records, so what SemDadosNaConversao learns of a
  // data set holds until it ends.
  class TConversaoEmCurso {
   public:
    explicit TConversaoEmCurso(const TmoxXMLDataSetNFe& aConversor) : fConversor(aConversor) {
      fConversor.fMarcaConversao = ++fConversor.fConversoes;
    }
    ~TConversaoEmCurso() { fConversor.fMarcaConversao = 0; }
    TConversaoEmCurso(const TConversaoEmCurso&) = delete;
    TConversaoEmCurso& operator=(const TConversaoEmCurso&) = delete;

   private:
    const TmoxXMLDataSetNFe& fConversor;
  };
  // Set by containers whose AppendValorXML writes values unchanged: fields are then laid down
  // without the call.
  bool fValoresComoDigitados = false;

  // True only for the exact attribute value "s".
  static bool XmlBoolean(xmlNodePtr aNode, const char* aName);
  // The text of an attribute of a dictionary node; empty when absent.
  static std::string XmlTexto(xmlNodePtr aNode, const char* aName);
  // The record checks: required fields and allowed values, field by field.
  void ValidaConteudoDataSet(const TXmlDataSetNFe& aDataSet) const;
  TmoxKivoUtils& Utils() const;

 private:
  // Defaults verProc_B27 while B is pending; the field.
  TmoxField& AplicaVerProcPadrao();
  std::unique_ptr<TXmlDataSetNFe> CreateDataSet(xmlNodePtr aNode);
  void AddDataSet(std::unique_ptr<TXmlDataSetNFe> aDataSet);
  void AppendFieldXml(std::string& aOut, const TXmlFieldNFe& aField) const;
  void AppendDataSetXml(std::string& aOut, const TXmlDataSetNFe& aDataSet) const;
  void AppendReference(std::string& aOut, std::string_view aReference) const;
  [[noreturn]] void FailLoad(std::string_view aDetail = {}) const;
  // Remembered look-ups of CampoDoDataSet, Campo and DataSetOrNull; emptied with the dictionary.
  struct TCampoLembrado {
    const TXmlDataSetNFe* ds = nullptr;  // null: the container-wide look-up of Campo
    const char* nome = nullptr;
    size_t tamanho = 0;
    TXmlFieldNFe* campo = nullptr;
    // True when the slot holds the answer for that name text at that address.
    bool De(const TXmlDataSetNFe* aDs, std::string_view aNome) const;
  };
  TCampoLembrado& Lembranca(const TXmlDataSetNFe* aDs, std::string_view aNome) const;
  struct TParteLembrada {
    const char* nome = nullptr;
    size_t tamanho = 0;
    TXmlDataSetNFe* ds = nullptr;
  };
  // A list of field names resolved at once: known again by the list's address, its data set
  // and the texts of its names (a list rebuilt in the same place with other names is another).
  struct TListaLembrada {
    const TXmlDataSetNFe* ds = nullptr;
    const void* lista = nullptr;
    uint64_t versao = 0;  // of the data set's definitions
    std::vector<std::string> nomes;
    struct TItem {
      const TXmlFieldNFe* campo = nullptr;  // null for a name the data set lacks
      bool estrangeiro = false;             // the foreign identifier, completed when absent
    };
    std::vector<TItem> itens;
    bool completa = false;     // every name is a field of ds
    bool estrangeiro = false;  // one item is the foreign identifier
  };
  const TListaLembrada& ListaDoDataSet(const TXmlDataSetNFe& aDs, std::span<const std::string_view> aFields) const;
  const TListaLembrada& ListaFixa(const TXmlDataSetNFe& aDs, const TCamposXml& aFields) const;
  void Resolve(TListaLembrada& aLista, const TXmlDataSetNFe& aDs, std::span<const std::string_view> aFields) const;
  void AppendLista(std::string& aOut, const TListaLembrada& aLista, std::span<const std::string_view> aFields) const;
  mutable std::vector<TCampoLembrado> fCamposLembrados;
  mutable std::vector<TParteLembrada> fPartesLembradas;
  mutable std::vector<TListaLembrada> fListasLembradas;
  mutable std::vector<TListaLembrada> fListasFixas;  // by the number of the TCamposXml
  mutable std::vector<TXmlDataSetNFe*> fPartesFixas;  // by the number of the TParteXml
  // A template whose references are all "@x(NAME)" of existing parts and fields, read once:
  // its plain text pieces (ranges of its own copy) and the field or whole record each reference
  // writes, in order. Known again by its text.
  struct TModeloLembrado {
    std::string texto;
    struct TPeca {
      size_t inicio = 0, tamanho = 0;       // plain text; none for a reference
      const TXmlDataSetNFe* ds = nullptr;   // the record "@x(*)" writes
      const TXmlFieldNFe* campo = nullptr;  // the field "@x(NAME)" writes
    };
    std::vector<TPeca> pecas;
    bool lido = false;  // otherwise it is read as it goes, every time
  };
  mutable std::vector<TModeloLembrado> fModelos;
  // The template read once; null when it has another shape or names what does not exist (the
  // text is then read as it goes, failing where it should).
  const TModeloLembrado* ModeloDe(std::string_view aTexto) const;
  void EsqueceBuscas() const;

  std::unordered_map<std::string, int64_t> fHandles;
  std::vector<std::unique_ptr<TXmlDataSetNFe>> fListDataSets;
  std::unordered_map<std::string, TXmlDataSetNFe*, ExactHash, std::equal_to<>> fDataSetsByName;
  // Every field name once (letter case ignored), with the field of the first data set holding it.
  std::vector<TXmlFieldNFe*> fCampos;
  TmoxNameTable fCamposIndice;
  TXmlFieldNFe* CampoOuNulo(std::string_view aNome) const;
  // Looked up once per dictionary: what every post and every new record reads.
  TXmlDataSetNFe* fB = nullptr;
  TmoxField* fVerProc = nullptr;
  struct TLigacao {
    const TXmlDataSetNFe* ds = nullptr;  // null until resolved
    TmoxField* handle = nullptr;
    TmoxField* chave = nullptr;          // XMLKeyField of the detail
    const TmoxField* mestre = nullptr;   // XMLMasterField of its master
    int64_t* contador = nullptr;         // its entry of fHandles
  };
  std::vector<TLigacao> fLigacoes;  // by the data set's Ordem
  TLigacao fLigacaoAvulsa;          // of a data set made elsewhere
  const TLigacao& LigacaoDe(const TXmlDataSetNFe& aDataSet) {
    const size_t ordem = aDataSet.Ordem();
    if (ordem < fLigacoes.size() && fLigacoes[ordem].ds == &aDataSet) return fLigacoes[ordem];
    return ResolveLigacao(aDataSet);
  }
  const TLigacao& ResolveLigacao(const TXmlDataSetNFe& aDataSet);
  std::string fXMLDicionario;
  bool fActiveMasterSource = false;
  TDataSetState fState = TDataSetState::dsInactive;
  std::string fDiretorioLogErro;
  mutable std::unique_ptr<TmoxKivoUtils> FUtils;
  // The stamp of the conversion under way (0: none) and the last one given.
  mutable uint64_t fMarcaConversao = 0;
  mutable uint64_t fConversoes = 0;
};

}  // namespace mox
