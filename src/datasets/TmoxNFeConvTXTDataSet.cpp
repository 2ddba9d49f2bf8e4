#include "datasets/TmoxNFeConvTXTDataSet.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "base/EmoxException.h"
#include "datasets/moxLinhasTexto.h"
#include "external/FileIO.h"
#include "external/TmoxKivoUtils.h"
#include "external/Utf8Text.h"
#include "external/moxPaths.h"
#include "utils/moxXmlLookup.h"
#include "external/AsciiCase.h"
#include "datasets/moxNameIndex.h"

namespace mox {

namespace {

// The first and the last sizeof(W) bytes of both: equal for lengths from sizeof(W) to twice it.
template <typename W>
bool MesmasPontas(const char* a, const char* b, size_t n) {
  W a0, b0, a1, b1;
  std::memcpy(&a0, a, sizeof(W)), std::memcpy(&b0, b, sizeof(W));
  std::memcpy(&a1, a + n - sizeof(W), sizeof(W)), std::memcpy(&b1, b + n - sizeof(W), sizeof(W));
  return a0 == b0 && a1 == b1;
}

// Equal bytes, without a call for the lengths of most field names (4 to 16).
bool MesmosBytes(const char* a, const char* b, size_t n) {
  if (n >= 8 && n <= 16) return MesmasPontas<uint64_t>(a, b, n);
  if (n >= 4 && n < 8) return MesmasPontas<uint32_t>(a, b, n);
  return n == 0 || std::memcmp(a, b, n) == 0;
}

}  // namespace

// The fields the assignments of one conversion name, each resolved once. The names come back in
// the same order in every note and item, so each entry remembers the one used after it last time
// and that one is tried first; then a table of every name seen (letter case ignored, as the
// look-up by name ignores it). A name that fails is not kept, so it fails again the same way.
// Valid while the data sets keep their dictionary.
class TCamposResolvidos {
 public:
  void Esquece(const TmoxNFeDataSets& aDS) {
    leitura_ = aDS.TrocasDeLeiaute();
    entradas_.clear();
    indice_.Clear();
    ultimo_ = kNenhum;
    proximo_ = 0;
  }

  // Code run between lines (the progress callback) may have replaced the layout container.
  void ConfereDicionario(const TmoxNFeDataSets& aDS) {
    if (aDS.TrocasDeLeiaute() != leitura_) Esquece(aDS);
  }

  TmoxNFeXMLField& Campo(const TmoxNFeDataSets& aDS, std::string_view aNome) {
    if (proximo_ < entradas_.size()) {
      const TEntrada& e = entradas_[proximo_];
      if (e.nome.size() == aNome.size() && MesmosBytes(e.nome.data(), aNome.data(), aNome.size())) {
        ultimo_ = proximo_;
        proximo_ = e.seguinte;
        return *e.campo;
      }
    }
    return Procura(aDS, aNome);
  }

 private:
  static constexpr size_t kNenhum = static_cast<size_t>(-1);
  struct TEntrada {
    std::string nome;
    TmoxNFeXMLField* campo;
    size_t seguinte;  // the entry used after this one last time
  };

  // Out of line: the names repeat, so it runs a few times a note.
  [[gnu::noinline]] TmoxNFeXMLField& Procura(const TmoxNFeDataSets& aDS, std::string_view aNome) {
    int64_t pos = indice_.Find(aNome, [this](uint32_t aPos) -> std::string_view { return entradas_[aPos].nome; });
    if (pos < 0) {
      TmoxNFeXMLField& campo = aDS.CampoDeEntrada(aNome);
      pos = static_cast<int64_t>(entradas_.size());
      indice_.Insert(aNome, static_cast<uint32_t>(pos));
      entradas_.push_back({std::string(aNome), &campo, entradas_.size() + 1});
    }
    const auto usado = static_cast<size_t>(pos);
    if (ultimo_ != kNenhum) entradas_[ultimo_].seguinte = usado;
    ultimo_ = usado;
    proximo_ = entradas_[usado].seguinte;
    return *entradas_[usado].campo;
  }

  std::vector<TEntrada> entradas_;
  TmoxNameTable indice_;
  size_t ultimo_ = kNenhum;  // the entry used last
  size_t proximo_ = 0;       // the entry tried first for the next name
  uint64_t leitura_ = 0;     // the layout container the entries belong to
};

namespace {

// A number written with a decimal comma ("79,80", "1.234,56") in a value field ("v", "q" or "p"
// and a capital: vNF_W16, qCom_I10, pICMS_N16; the weights pesoL/pesoB). SEFAZ rejects it, so it
// is refused here with the field's name.
bool VirgulaDecimalEmCampoNumerico(std::string_view aCampo, std::string_view aValor) {
  const bool numerico = (aCampo.size() > 1 && (aCampo[0] == 'v' || aCampo[0] == 'q' || aCampo[0] == 'p') &&
                         std::isupper(static_cast<unsigned char>(aCampo[1]))) ||
                        aCampo.starts_with("pesoL_") || aCampo.starts_with("pesoB_");
  return numerico && aValor.find(',') != std::string::npos &&
         aValor.find_first_not_of("0123456789.,-") == std::string::npos;
}

// 1-based position, in characters, of the first "&"; 0 when there is none.
size_t PosicaoDoEComercial(std::string_view aValue) {
  const size_t bytes = aValue.find('&');
  return bytes == std::string::npos ? 0 : CodePointCount(aValue.substr(0, bytes)) + 1;
}

// The line as it can be quoted in a message: control characters (a NUL would end the message
// text) are shown by their code, as in "\x00".
std::string LinhaVisivel(std::string_view aLinha) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(aLinha.size());
  for (const char c : aLinha) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 && c != '\t') out.append({'\\', 'x', kHex[u >> 4], kHex[u & 15]});
    else out.push_back(c);
  }
  return out;
}

// Marks the values that go through the checks and escaping below: those holding an XML special
// character, or the comma of a decimal written the wrong way. Any other is stored as it is.
const TDivisorDeAtribuicoes& DivisorTX2() {
  static const TDivisorDeAtribuicoes divisor("&<>\"',");
  return divisor;
}

// A marked value: refused when it breaks a rule of the text, else stored escaped.
template <typename Resolve>
void AtribuiValorMarcado(std::string_view aCampo, std::string_view aValor, Resolve& aResolve) {
  if (aCampo == "xNome_E04" && PosicaoDoEComercial(aValor) > 55)
    throw EmoxNFeDataSetException("O campo não suporta o caracter & a partir da posição 55 da String");
  if (VirgulaDecimalEmCampoNumerico(aCampo, aValor))
    throw EmoxNFeDataSetException("O campo " + std::string(aCampo) + " é numérico e usa ponto decimal, não vírgula: " +
                                  std::string(aValor));
  TmoxNFeXMLField& destino = aResolve(aCampo);
  if (PrecisaEscapar(aValor))
    destino.SetAsString(EscapeCaracteres(aValor));
  else
    destino.SetAsString(aValor);
}

[[noreturn]] void FalhaNaAtribuicao(const TAtribuicao& aLinha, size_t aIndice, const char* aErro,
                                    const std::string& aDiretorioLogErro) {
  throw EmoxNFeConvTX2::CreateFmt("Não foi possível converter a Linha: [%s] %s\rErro: %s",
                                  {std::to_string(aIndice), LinhaVisivel(aLinha.linha), aErro}, aDiretorioLogErro);
}

// A field assignment; aResolve gives the field that stores a name's value. A failure is reported
// with the line.
template <typename Resolve>
void SetCampoDataSet(const TAtribuicao& aLinha, size_t aIndice, const std::string& aDiretorioLogErro,
                     Resolve&& aResolve) {
  try {
    const std::string_view campo = aLinha.linha.substr(0, aLinha.igual);
    if (aLinha.valorMarcado)
      AtribuiValorMarcado(campo, aLinha.linha.substr(aLinha.igual + 1), aResolve);
    else
      aResolve(campo).SetAsString(aLinha.igual == std::string_view::npos ? std::string_view()
                                                                         : aLinha.linha.substr(aLinha.igual + 1));
  } catch (const std::exception& e) {
    FalhaNaAtribuicao(aLinha, aIndice, e.what(), aDiretorioLogErro);
  }
}

// The command words, as the commands run them.
enum class TComando { nenhum, incluir, outro };

// Runs the command word aChave; nenhum when it is none. aResto: the text after the first "=".
TComando ExecutaComando(TmoxNFeDataSets& aDS, std::string_view aChave, std::string_view aResto) {
  if (aChave == "INCLUIR") {
    aDS.Incluir();
    return TComando::incluir;
  }
  if (aChave == "INCLUIRITEM") aDS.IncluirItem();
  else if (aChave == "SALVARITEM") aDS.SalvarItem();
  else if (aChave == "INCLUIRCOBRANCA") aDS.IncluirCobranca();
  else if (aChave == "SALVARCOBRANCA") aDS.SalvarCobranca();
  else if (aChave == "INCLUIRPARTE") aDS.IncluirPart(UpperAscii(std::string(aResto)));
  else if (aChave == "SALVARPARTE") aDS.SalvarPart(UpperAscii(std::string(aResto)));
  else if (aChave == "SALVAR") aDS.Salvar();
  else if (aChave == "CANCELAR") aDS.Cancelar();
  else return TComando::nenhum;
  return TComando::outro;
}

// Every command word is 6 to 15 capitals starting with I, S or C: most field names fail at once.
bool PodeSerComando(std::string_view aChave) {
  const char inicial = aChave.empty() ? '\0' : aChave[0];
  return (inicial == 'I' || inicial == 'S' || inicial == 'C') && aChave.size() >= 6 && aChave.size() <= 15;
}

// A non-empty line: a command word, or a field assignment; the command run, if any.
template <typename Resolve>
TComando ExecutaAtribuicao(TmoxNFeDataSets& aDS, const TAtribuicao& aLinha, size_t aIndice,
                           const std::string& aDiretorioLogErro, Resolve&& aResolve) {
  const std::string_view chave = aLinha.linha.substr(0, aLinha.igual);
  if (PodeSerComando(chave)) {
    const std::string_view resto =
        aLinha.igual == std::string_view::npos ? std::string_view() : aLinha.linha.substr(aLinha.igual + 1);
    const TComando comando = ExecutaComando(aDS, chave, resto);
    if (comando != TComando::nenhum) return comando;
  }
  SetCampoDataSet(aLinha, aIndice, aDiretorioLogErro, aResolve);
  return TComando::nenhum;
}

}  // namespace

// The batch as one text while the lines are replayed: each saved note moves from the data sets'
// batch to the end of the text, so no note is held twice, and the first one sizes the text for
// the whole input. On a failure the notes go back to the data sets' batch.
class TLoteEmTexto {
 public:
  // aLidos of aTotal bytes of the input replayed so far.
  void Recolhe(std::vector<std::string>& aLote, size_t aLidos, size_t aTotal) {
    if (aLote.empty()) return;
    if (fins_.empty()) Reserva(aLote, aLidos, aTotal);
    for (const std::string& nota : aLote) {
      texto_.append(nota).append("\r\n");
      fins_.push_back(texto_.size());
    }
    aLote.clear();
  }
  // The notes taken, in their order, ahead of those still in aLote.
  void Devolve(std::vector<std::string>& aLote) const {
    std::vector<std::string> notas;
    notas.reserve(fins_.size() + aLote.size());
    size_t inicio = 0;
    for (const size_t fim : fins_) {
      notas.emplace_back(texto_, inicio, fim - 2 - inicio);
      inicio = fim;
    }
    std::move(aLote.begin(), aLote.end(), std::back_inserter(notas));
    aLote = std::move(notas);
  }
  std::string Texto() && { return std::move(texto_); }

 private:
  // The text the notes of the whole input will take, at the rate of the first ones, with an
  // eighth to spare; at most three times the input, so an odd first note cannot ask too much.
  void Reserva(const std::vector<std::string>& aLote, size_t aLidos, size_t aTotal) {
    size_t notas = 0;
    for (const std::string& nota : aLote) notas += nota.size() + 2;
    const double porByte = std::min(3.0, static_cast<double>(notas) / static_cast<double>(std::max<size_t>(aLidos, 1)));
    texto_.reserve(notas + static_cast<size_t>(porByte * static_cast<double>(aTotal - std::min(aLidos, aTotal)) * 1.125));
  }

  std::string texto_;
  std::vector<size_t> fins_;  // where each note's CR LF ends
};

// A TX2 file read line by line, decoded as SetTXT decodes a whole text: a byte-order mark
// decides; without one, the text is UTF-8 when every line is valid UTF-8 (line ends never split a
// character), else Latin-1. The first reading also counts the lines and refuses a text without
// any, as SetTXT does. UTF-16 files are few and small: they are decoded whole.
class TArquivoTX2 {
 public:
  TArquivoTX2(const std::string& aArquivo, const std::string& aDiretorioLogErro) {
    const std::string caminho = NormalizeSeparators(aArquivo);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(caminho, ec)) ReadFileBytes(caminho);  // its own message
    if (std::filesystem::file_size(caminho, ec) > InputLimit()) RaiseInputTooLarge("O arquivo " + caminho);
    arquivo_.open(caminho, std::ios::binary);
    if (!arquivo_) ReadFileBytes(caminho);
    char bom[3] = {};
    arquivo_.read(bom, 3);
    const std::string_view inicio(bom, static_cast<size_t>(arquivo_.gcount()));
    if (inicio.substr(0, 2) == "\xFF\xFE" || inicio.substr(0, 2) == "\xFE\xFF") {
      texto_ = std::make_unique<std::istringstream>(DecodeToUtf8(ReadFileBytes(caminho)));
    } else {
      inicioDoTexto_ = inicio == "\xEF\xBB\xBF" ? 3 : 0;
    }
    // One reading counts the lines and, for a text without a mark, tells UTF-8 from Latin-1.
    const bool adivinha = !texto_ && inicioDoTexto_ == 0;
    bool algumaLinha = false, utf8 = true;
    std::string linha;
    for (TLeitorDeLinhas leitor = Linhas(); leitor.Proxima(linha); ++total_) {
      algumaLinha |= !linha.empty();
      if (adivinha && utf8) utf8 = IsValidUtf8(linha);
    }
    latin1_ = adivinha && !utf8;
    if (!algumaLinha) throw EmoxNFeDataSetException("Conteúdo a ser convertido é inválido.", aDiretorioLogErro);
  }

  // The lines from the start of the text.
  TLeitorDeLinhas Linhas() {
    std::istream& in = Entrada();
    in.clear();
    in.seekg(static_cast<std::streamoff>(inicioDoTexto_));
    return TLeitorDeLinhas(in);
  }
  void Decodifica(std::string& aLinha) const {
    if (latin1_) aLinha = Latin1ToUtf8(aLinha);
  }
  size_t Total() const { return total_; }

 private:
  std::istream& Entrada() { return texto_ ? static_cast<std::istream&>(*texto_) : arquivo_; }
  std::ifstream arquivo_;
  std::unique_ptr<std::istringstream> texto_;
  size_t inicioDoTexto_ = 0;
  bool latin1_ = false;
  size_t total_ = 0;
};

void ExecutaLinhaTX2(TmoxNFeDataSets& aDS, std::string_view aLinha, size_t aIndice,
                     const std::string& aDiretorioLogErro) {
  ExecutaAtribuicao(aDS, DivisorTX2().Divide(aLinha), aIndice, aDiretorioLogErro,
                    [&aDS](std::string_view aNome) -> TmoxNFeXMLField& { return aDS.CampoDeEntrada(aNome); });
}

TmoxNFeConvTXTDataSet::TmoxNFeConvTXTDataSet(TmoxNFeDataSets::TLayoutFactory aLayoutFactory)
    : fDataSet(std::make_unique<TmoxNFeDataSets>(std::move(aLayoutFactory))),
      fCampos(std::make_unique<TCamposResolvidos>()) {}

TmoxNFeConvTXTDataSet::~TmoxNFeConvTXTDataSet() = default;

void TmoxNFeConvTXTDataSet::SetTXT(const std::string& aValue) {
  // A one-line value may name a file; text with line breaks never does. The lines are walked in
  // the text kept here when replayed: a big text is neither copied again nor listed line by line.
  const bool arquivo = aValue.find_first_of("\r\n") == std::string::npos && FileExists(aValue);
  std::string texto;
  if (arquivo) {
    if (!FUtils) FUtils = std::make_unique<TmoxKivoUtils>();
    texto = FUtils->LoadFromFileUTF8(aValue);
  }
  fTXT = aValue;
  fTextoDoArquivo = std::move(texto);
  fTexto = arquivo ? &fTextoDoArquivo : &fTXT;
  fTotalDeLinhas = ContaLinhas(*fTexto);
  fLines.clear();
  fLinesCopiadas = false;
  // Every line is empty exactly when the text holds nothing but line ends.
  if (fTexto->find_first_not_of("\r\n") == std::string::npos)
    throw EmoxNFeDataSetException("Conteúdo a ser convertido é inválido.", fDiretorioLogErro);
}

std::string TmoxNFeConvTXTDataSet::Converter() {
  TLoteEmTexto lote;
  try {
    PopulaDataset(&lote);
  } catch (...) {
    lote.Devolve(fDataSet->LoteNFe());
    throw;
  }
  return std::move(lote).Texto();
}

void TmoxNFeConvTXTDataSet::Converter(TmoxNFeDataSets*& aDS) {
  PopulaDataset(nullptr);
  aDS = fDataSet.get();
}

void TmoxNFeConvTXTDataSet::PreparaDataSets() {
  fDataSet->SetLoteNFe({});
  fDataSet->SetVersaoEsquema(fVersaoEsquema);
  fDataSet->SetXMLDicionario(fXMLDicionario);
  // A fresh layout container: fields resolved before belong to the old one.
  fCampos->Esquece(*fDataSet);
}

const std::vector<std::string>& TmoxNFeConvTXTDataSet::Lines() const {
  if (!fLinesCopiadas) {
    const std::vector<std::string_view> trechos = TrechosDasLinhas(*fTexto);
    fLines.assign(trechos.begin(), trechos.end());
    fLinesCopiadas = true;
  }
  return fLines;
}

bool TmoxNFeConvTXTDataSet::ExecutaLinha(const TAtribuicao& aLinha, size_t aIndice, size_t aTotal) {
  if (OnProgresso) {
    OnProgresso(aIndice, aTotal);
    fCampos->ConfereDicionario(*fDataSet);
  }
  if (aLinha.linha.empty()) return false;
  const TComando comando =
      ExecutaAtribuicao(*fDataSet, aLinha, aIndice, fDiretorioLogErro,
                        [this](std::string_view aNome) -> TmoxNFeXMLField& { return fCampos->Campo(*fDataSet, aNome); });
  if (comando == TComando::incluir && aLinha.igual == std::string_view::npos) fUltimoIncluir = aIndice;
  return comando != TComando::nenhum;
}

void TmoxNFeConvTXTDataSet::ConfereUltimaNotaSalva() const {
  const TDataSetState estado = fDataSet->State();
  if (estado == TDataSetState::dsEdit || estado == TDataSetState::dsInsert)
    throw EmoxNFeDataSetException("NFe não foi Salva.", fDiretorioLogErro);
}

void TmoxNFeConvTXTDataSet::PopulaDataset(TLoteEmTexto* aLote) {
  PreparaDataSets();
  TCursorDeAtribuicoes cursor(*fTexto, DivisorTX2());
  size_t i = 0;
  for (TAtribuicao linha; cursor.Proxima(linha); ++i) {
    // Only a command saves a note.
    if (ExecutaLinha(linha, i, fTotalDeLinhas) && aLote) aLote->Recolhe(fDataSet->LoteNFe(), cursor.Lidos(), fTexto->size());
  }
  ConfereUltimaNotaSalva();
}

void TmoxNFeConvTXTDataSet::SetArquivoTX2(const std::string& aArquivo) {
  fArquivo = std::make_unique<TArquivoTX2>(aArquivo, fDiretorioLogErro);
}

void TmoxNFeConvTXTDataSet::ConverterArquivo(const TOnNotaSalva& aNotaSalva) {
  if (!fArquivo) throw EmoxNFeDataSetException("Conteúdo a ser convertido é inválido.", fDiretorioLogErro);
  TArquivoTX2& arquivo = *fArquivo;
  PreparaDataSets();
  fUltimoIncluir = std::string::npos;
  std::vector<std::string>& lote = fDataSet->LoteNFe();
  TLeitorDeLinhas leitor = arquivo.Linhas();
  for (size_t i = 0; leitor.Proxima(fLinhaAtual); ++i) {
    arquivo.Decodifica(fLinhaAtual);
    ExecutaLinha(DivisorTX2().Divide(fLinhaAtual), i, arquivo.Total());
    for (const std::string& nota : lote) aNotaSalva(nota);
    lote.clear();
  }
  ConfereUltimaNotaSalva();
}

}  // namespace mox
