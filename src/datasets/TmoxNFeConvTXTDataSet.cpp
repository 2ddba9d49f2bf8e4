#include "datasets/TmoxNFeConvTXTDataSet.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/EmoxException.h"
#include "datasets/moxLinhasTexto.h"
#include "external/FileIO.h"
#include "external/TmoxKivoUtils.h"
#include "external/Utf8Text.h"
#include "external/moxPaths.h"
#include "utils/moxXmlLookup.h"
#include "external/AsciiCase.h"

namespace mox {

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

// aIgual: the position of the first "=" in the line, npos without one.
void SetCampoDataSet(TmoxNFeDataSets& aDS, std::string_view aLinha, size_t aIgual, size_t aIndice,
                     const std::string& aDiretorioLogErro) {
  try {
    const std::string_view campo = aLinha.substr(0, aIgual);
    const std::string_view valor = aIgual == std::string_view::npos ? std::string_view() : aLinha.substr(aIgual + 1);
    if (campo == "xNome_E04" && PosicaoDoEComercial(valor) > 55)
      throw EmoxNFeDataSetException("O campo não suporta o caracter & a partir da posição 55 da String");
    if (VirgulaDecimalEmCampoNumerico(campo, valor))
      throw EmoxNFeDataSetException("O campo " + std::string(campo) + " é numérico e usa ponto decimal, não vírgula: " +
                                    std::string(valor));
    TmoxNFeXMLField& destino = aDS.CampoDeEntrada(campo);
    if (PrecisaEscapar(valor))
      destino.SetAsString(EscapeCaracteres(valor));
    else
      destino.SetAsString(valor);
  } catch (const std::exception& e) {
    throw EmoxNFeConvTX2::CreateFmt("Não foi possível converter a Linha: [%s] %s\rErro: %s",
                                    {std::to_string(aIndice), LinhaVisivel(aLinha), e.what()}, aDiretorioLogErro);
  }
}

}  // namespace

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
      latin1_ = inicioDoTexto_ == 0 && !TodasAsLinhasUtf8();
    }
    bool algumaLinha = false;
    std::string linha;
    for (TLeitorDeLinhas leitor = Linhas(); leitor.Proxima(linha); ++total_) algumaLinha |= !linha.empty();
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
  bool TodasAsLinhasUtf8() {
    std::string linha;
    for (TLeitorDeLinhas leitor = Linhas(); leitor.Proxima(linha);)
      if (!IsValidUtf8(linha)) return false;
    return true;
  }

  std::ifstream arquivo_;
  std::unique_ptr<std::istringstream> texto_;
  size_t inicioDoTexto_ = 0;
  bool latin1_ = false;
  size_t total_ = 0;
};

void ExecutaLinhaTX2(TmoxNFeDataSets& aDS, std::string_view aLinha, size_t aIndice,
                     const std::string& aDiretorioLogErro) {
  // Commands are few and short: compared in place, the rest of the line copied only for a part.
  const size_t igual = aLinha.find('=');
  const std::string_view chave = aLinha.substr(0, igual);
  const auto resto = [&] {
    return igual == std::string_view::npos ? std::string() : std::string(aLinha.substr(igual + 1));
  };
  if (chave == "INCLUIR") aDS.Incluir();
  else if (chave == "INCLUIRITEM") aDS.IncluirItem();
  else if (chave == "SALVARITEM") aDS.SalvarItem();
  else if (chave == "INCLUIRCOBRANCA") aDS.IncluirCobranca();
  else if (chave == "SALVARCOBRANCA") aDS.SalvarCobranca();
  else if (chave == "INCLUIRPARTE") aDS.IncluirPart(UpperAscii(resto()));
  else if (chave == "SALVARPARTE") aDS.SalvarPart(UpperAscii(resto()));
  else if (chave == "SALVAR") aDS.Salvar();
  else if (chave == "CANCELAR") aDS.Cancelar();
  else SetCampoDataSet(aDS, aLinha, igual, aIndice, aDiretorioLogErro);
}

TmoxNFeConvTXTDataSet::TmoxNFeConvTXTDataSet(TmoxNFeDataSets::TLayoutFactory aLayoutFactory)
    : fDataSet(std::make_unique<TmoxNFeDataSets>(std::move(aLayoutFactory))) {}

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
  fTexto = arquivo ? fTextoDoArquivo : fTXT;
  fTotalDeLinhas = ContaLinhas(fTexto);
  fLines.clear();
  fLinesCopiadas = false;
  // Every line is empty exactly when the text holds nothing but line ends.
  if (fTexto.find_first_not_of("\r\n") == std::string_view::npos)
    throw EmoxNFeDataSetException("Conteúdo a ser convertido é inválido.", fDiretorioLogErro);
}

std::string TmoxNFeConvTXTDataSet::Converter() {
  PopulaDataset();
  size_t tamanho = 0;
  for (const auto& nota : fDataSet->LoteNFe()) tamanho += nota.size() + 2;
  std::string lote;
  lote.reserve(tamanho);
  for (const auto& nota : fDataSet->LoteNFe()) lote.append(nota).append("\r\n");
  return lote;
}

void TmoxNFeConvTXTDataSet::Converter(TmoxNFeDataSets*& aDS) {
  PopulaDataset();
  aDS = fDataSet.get();
}

void TmoxNFeConvTXTDataSet::PreparaDataSets() {
  fDataSet->SetLoteNFe({});
  fDataSet->SetVersaoEsquema(fVersaoEsquema);
  fDataSet->SetXMLDicionario(fXMLDicionario);
}

const std::vector<std::string>& TmoxNFeConvTXTDataSet::Lines() const {
  if (!fLinesCopiadas) {
    const std::vector<std::string_view> trechos = TrechosDasLinhas(fTexto);
    fLines.assign(trechos.begin(), trechos.end());
    fLinesCopiadas = true;
  }
  return fLines;
}

void TmoxNFeConvTXTDataSet::ExecutaLinha(std::string_view aLinha, size_t aIndice, size_t aTotal) {
  if (OnProgresso) OnProgresso(aIndice, aTotal);
  if (aLinha.empty()) return;
  if (aLinha == "INCLUIR") fUltimoIncluir = aIndice;
  ExecutaLinhaTX2(*fDataSet, aLinha, aIndice, fDiretorioLogErro);
}

void TmoxNFeConvTXTDataSet::ConfereUltimaNotaSalva() const {
  const TDataSetState estado = fDataSet->State();
  if (estado == TDataSetState::dsEdit || estado == TDataSetState::dsInsert)
    throw EmoxNFeDataSetException("NFe não foi Salva.", fDiretorioLogErro);
}

void TmoxNFeConvTXTDataSet::PopulaDataset() {
  PreparaDataSets();
  TCursorDeLinhas cursor(fTexto);
  size_t i = 0;
  for (std::string_view linha; cursor.Proxima(linha); ++i) ExecutaLinha(linha, i, fTotalDeLinhas);
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
    ExecutaLinha(fLinhaAtual, i, arquivo.Total());
    for (const std::string& nota : lote) aNotaSalva(nota);
    lote.clear();
  }
  ConfereUltimaNotaSalva();
}

}  // namespace mox
