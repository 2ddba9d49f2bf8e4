#pragma once
// TX2 text: the data-entry commands and field assignments of the invoice data sets, one per
// line, replayed into the data sets to produce the batch of infNFe texts.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/moxTypes.h"
#include "datasets/TmoxNFeDataSets.h"
#include "datasets/moxLeiautesNFe.h"
#include "datasets/moxLinhasTexto.h"

namespace mox {

class TmoxKivoUtils;

// Runs one non-empty TX2 line on the data sets: a command word, or a field assignment whose
// failure is reported with the line's zero-based index (aIndice).
void ExecutaLinhaTX2(TmoxNFeDataSets& aDS, std::string_view aLinha, size_t aIndice,
                     const std::string& aDiretorioLogErro);

class TmoxNFeConvTXTDataSet {
 public:
  // Reports the zero-based index of the line being replayed and the number of lines.
  using TOnProgresso = std::function<void(size_t aLinha, size_t aTotal)>;
  // Receives each note's infNFe text as soon as the note is saved.
  using TOnNotaSalva = std::function<void(const std::string& aInfNFe)>;

  // The data sets are created with the converter, with the layout converters of every schema
  // package unless another factory is given.
  explicit TmoxNFeConvTXTDataSet(TmoxNFeDataSets::TLayoutFactory aLayoutFactory = CriaLeiauteNFe);
  ~TmoxNFeConvTXTDataSet();
  TmoxNFeConvTXTDataSet(const TmoxNFeConvTXTDataSet&) = delete;
  TmoxNFeConvTXTDataSet& operator=(const TmoxNFeConvTXTDataSet&) = delete;

  const std::string& XMLDicionario() const { return fXMLDicionario; }
  void SetXMLDicionario(const std::string& aValue) { fXMLDicionario = aValue; }
  // The file name or text last given.
  const std::string& TXT() const { return fTXT; }
  // A name of an existing file is read as UTF-8; any other value is the text itself. Raises
  // EmoxNFeDataSetException when there is nothing to convert.
  void SetTXT(const std::string& aValue);
  TVersaoEsquema VersaoEsquema() const { return fVersaoEsquema; }
  void SetVersaoEsquema(TVersaoEsquema aValue) { fVersaoEsquema = aValue; }
  const std::string& DiretorioLogErro() const { return fDiretorioLogErro; }
  void SetDiretorioLogErro(const std::string& aValue) { fDiretorioLogErro = aValue; }

  TOnProgresso OnProgresso;

  // Replays the lines; the batch, each entry followed by CR LF. The notes move from the data sets'
  // batch into the text as they are saved; on a failure, those saved before it are in the batch.
  std::string Converter();
  // Replays the lines and hands out the converter's own data sets (still owned by it).
  void Converter(TmoxNFeDataSets*& aDS);

  // A TX2 file to replay as it is read, never held whole: a first reading finds its encoding (as
  // SetTXT decodes a text) and counts its lines; raises what SetTXT raises, and refuses a file
  // over the input limit.
  void SetArquivoTX2(const std::string& aArquivo);
  // Replays that file: each saved note goes to aNotaSalva at once and leaves the batch, so memory
  // stays bounded by the largest note. Same checks and messages as Converter.
  void ConverterArquivo(const TOnNotaSalva& aNotaSalva);
  // During and after ConverterArquivo: the line being replayed, and the index of the last
  // INCLUIR line (npos before any).
  const std::string& LinhaAtual() const { return fLinhaAtual; }
  size_t LinhaDoUltimoIncluir() const { return fUltimoIncluir; }

  // The lines of the text last given, as copies made on the first call.
  const std::vector<std::string>& Lines() const;
  // The converter's own data sets, for callers that switch their business rules on.
  TmoxNFeDataSets& DataSets() const { return *fDataSet; }

 private:
  // aLote, when given, takes each note out of the data sets' batch as it is saved.
  void PopulaDataset(class TLoteEmTexto* aLote);
  void PreparaDataSets();
  // True when the line was a command.
  bool ExecutaLinha(const TAtribuicao& aLinha, size_t aIndice, size_t aTotal);
  void ConfereUltimaNotaSalva() const;

  std::string fTXT;
  std::string fTextoDoArquivo;               // the text read when fTXT names a file
  const std::string* fTexto = &fTXT;        // the text to replay: fTXT or fTextoDoArquivo
  size_t fTotalDeLinhas = 0;
  mutable std::vector<std::string> fLines;  // copies for Lines(), made when asked for
  mutable bool fLinesCopiadas = false;
  std::string fXMLDicionario;
  TVersaoEsquema fVersaoEsquema = TVersaoEsquema::pl_005a;
  std::string fDiretorioLogErro;
  std::unique_ptr<TmoxKivoUtils> FUtils;
  std::unique_ptr<TmoxNFeDataSets> fDataSet;
  std::unique_ptr<class TCamposResolvidos> fCampos;  // the fields the lines name, for fDataSet
  std::unique_ptr<class TArquivoTX2> fArquivo;
  std::string fLinhaAtual;
  size_t fUltimoIncluir = std::string::npos;
};

}  // namespace mox
