// moxnfe tx2 converter: TX2 text into the infNFe texts of a schema package.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <iterator>
#include <ostream>

#include "cli/CliCommand.h"
#include "cli/CliRegras.h"
#include "base/moxEnumTexts.h"
#include "datasets/TmoxNFeConvTXTDataSet.h"
#include "external/AsciiCase.h"
#include "external/FileIO.h"
#include "external/Utf8Text.h"
#include "external/moxPaths.h"
#include "utils/moxChaveNFe.h"

namespace moxcli {

namespace {

// The dictionary installed for the package's manual version.
std::string DicionarioInstalado(mox::TVersaoEsquema aVersao, bool aExportacao) {
  return mox::FindDataFile("Templates/" + mox::PastaVersaoManual(mox::GetVersaoManualDoEsquema(aVersao)) +
                           "/Conversor/" + (aExportacao ? "NFeDataSets_Exportacao.xml" : "NFeDataSets.xml"));
}

// A temporary file removed when done with.
class ArquivoTemporario {
 public:
  ArquivoTemporario() {
    caminho_ = (std::filesystem::temp_directory_path() / "moxnfe-tx2-XXXXXX").string();
    fd_ = ::mkstemp(caminho_.data());
    if (fd_ < 0) throw std::runtime_error("não foi possível criar um arquivo temporário em " + caminho_);
  }
  ~ArquivoTemporario() {
    if (fd_ >= 0) ::close(fd_);
    ::unlink(caminho_.c_str());
  }
  ArquivoTemporario(const ArquivoTemporario&) = delete;
  ArquivoTemporario& operator=(const ArquivoTemporario&) = delete;
  const std::string& Caminho() const { return caminho_; }

 private:
  std::string caminho_;
  int fd_ = -1;
};

// The input as a regular file the converter reads as it goes: the named file itself, or the
// standard input (or a pipe or device) copied to a temporary file first, within the input limit.
class EntradaTx2 {
 public:
  EntradaTx2(const CliArgs& aArgs, CliIo& aIo) {
    if (aArgs.Positional().size() > 1) throw CliUsageError{"informe um só arquivo TX2"};
    if (aArgs.Positional().empty() || aArgs.Positional().front() == "-") {
      Copia(aIo.in, "A entrada padrão");
      return;
    }
    caminho_ = aArgs.Positional().front();
    if (!mox::FileExists(caminho_)) throw CliUsageError{"arquivo não encontrado: " + caminho_};
    std::error_code ec;
    if (std::filesystem::is_regular_file(caminho_, ec) || std::filesystem::is_directory(caminho_, ec)) return;
    std::ifstream dispositivo(caminho_, std::ios::binary);
    Copia(dispositivo, "O arquivo " + caminho_);
  }
  const std::string& Caminho() const { return copia_ ? copia_->Caminho() : caminho_; }

 private:
  void Copia(std::istream& aEntrada, const std::string& aNome) {
    copia_ = std::make_unique<ArquivoTemporario>();
    std::ofstream saida(copia_->Caminho(), std::ios::binary);
    char bloco[65536];
    size_t total = 0;
    while (aEntrada.read(bloco, sizeof bloco) || aEntrada.gcount() > 0) {
      total += static_cast<size_t>(aEntrada.gcount());
      if (total > mox::InputLimit()) mox::RaiseInputTooLarge(aNome);
      saida.write(bloco, aEntrada.gcount());
    }
    if (aEntrada.bad() || !saida.flush()) throw std::runtime_error("não foi possível ler " + aNome);
  }

  std::string caminho_;
  std::unique_ptr<ArquivoTemporario> copia_;
};

// Where the notes go as they are saved: the --saida file, which appears complete or not at all,
// or the standard output through a temporary file copied out once the whole input converted, so
// a failure never leaves half a batch behind.
class SaidaDasNotas {
 public:
  explicit SaidaDasNotas(const std::optional<std::string>& aArquivo)
      : arquivo_(aArquivo ? std::make_unique<mox::AtomicFileWriter>(*aArquivo) : nullptr),
        temporario_(aArquivo ? nullptr : std::make_unique<ArquivoTemporario>()) {
    if (temporario_) espera_.open(temporario_->Caminho(), std::ios::binary);
  }
  void Escreve(const std::string& aTexto) {
    if (arquivo_) arquivo_->Write(aTexto);
    else espera_ << aTexto;
  }
  void Conclui(std::ostream& aSaida) {
    if (arquivo_) return arquivo_->Commit();
    if (!espera_.flush()) throw std::runtime_error("não foi possível gravar o arquivo temporário das notas");
    espera_.close();
    std::ifstream pronto(temporario_->Caminho(), std::ios::binary);
    aSaida << pronto.rdbuf();
  }

 private:
  std::unique_ptr<mox::AtomicFileWriter> arquivo_;
  std::unique_ptr<ArquivoTemporario> temporario_;
  std::ofstream espera_;
};

const char* const kComandos[] = {"INCLUIR",         "INCLUIRITEM",  "SALVARITEM",  "INCLUIRCOBRANCA", "SALVARCOBRANCA",
                                 "INCLUIRPARTE",    "SALVARPARTE",  "SALVAR",      "CANCELAR"};

std::string ChaveDaLinha(const std::string& aLinha) { return aLinha.substr(0, aLinha.find('=')); }

// A key of letters only is meant as a command; field names carry "_" and the item number.
bool PareceComando(const std::string& aChave) {
  return !aChave.empty() && std::all_of(aChave.begin(), aChave.end(), [](unsigned char c) { return std::isalpha(c); });
}

bool EhComando(const std::string& aChave) {
  return std::any_of(std::begin(kComandos), std::end(kComandos), [&](const char* c) { return aChave == c; });
}

// What the user should read about the failing line, counted from 1 as an editor does.
std::string Diagnostico(const std::string& aLinha, const std::string& aMensagem) {
  const std::string chave = ChaveDaLinha(aLinha);
  if (PareceComando(chave) && !EhComando(chave)) {
    const std::string maiusculas = mox::UpperAscii(chave);
    if (EhComando(maiusculas)) return "comando em minúsculas: " + chave + " (escreva " + maiusculas + ")";
    return "comando desconhecido: " + chave;
  }
  if (aMensagem.find("Campo " + chave + " não encontrado") != std::string::npos)
    return "campo desconhecido: " + chave + " (não está no dicionário de campos)";
  return {};
}

// The component's message, preceded by the line as the user counts it.
std::string ErroNaLinha(const mox::TmoxNFeConvTXTDataSet& aConversor, size_t aIndice, const std::string& aMensagem) {
  if (aMensagem == "NFe não foi Salva.") {
    // The input ended with a note open: the user looks for where that note began.
    const size_t inicio = aConversor.LinhaDoUltimoIncluir();
    if (inicio != std::string::npos)
      return "linha " + std::to_string(inicio + 1) + ": a nota começada aqui não termina com SALVAR\n" + aMensagem;
    return aMensagem;
  }
  const std::string diagnostico = Diagnostico(aConversor.LinhaAtual(), aMensagem);
  return "linha " + std::to_string(aIndice + 1) + (diagnostico.empty() ? "" : ": " + diagnostico) + "\n" + aMensagem;
}

int Converter(const CliArgs& aArgs, CliIo& aIo) {
  const mox::TVersaoEsquema versao = mox::StrToVersaoEsquema(aArgs.OptionOr("esquema", kEsquemaPadrao));
  const std::string dicionario =
      aArgs.OptionOr("dicionario", DicionarioInstalado(versao, aArgs.Flag("exportacao")));
  if (!mox::FileExists(dicionario)) throw CliUsageError{"dicionário de campos não encontrado: " + dicionario};

  const EntradaTx2 entrada(aArgs, aIo);
  mox::TmoxNFeConvTXTDataSet conversor;
  conversor.SetVersaoEsquema(versao);
  conversor.SetXMLDicionario(dicionario);
  conversor.SetArquivoTX2(entrada.Caminho());
  LigaRegras(conversor.DataSets(), aArgs);
  const bool progresso = !aArgs.Flag("silencioso") && ::isatty(STDERR_FILENO);
  size_t linhaAtual = 0;  // a rule fails on the SALVAR line being replayed
  conversor.OnProgresso = [&](size_t aLinha, size_t aTotal) {
    linhaAtual = aLinha;
    if (progresso && (aLinha % 2000 == 0 || aLinha + 1 == aTotal))
      aIo.err << "\rConvertendo: linha " << aLinha + 1 << " de " << aTotal << std::flush;
  };

  // Each note is written out as it is saved; nothing of the input or the batch is kept.
  const auto arquivo = aArgs.Option("saida");
  SaidaDasNotas saida(arquivo);
  size_t notas = 0;
  const bool json = aArgs.Json();
  if (json) saida.Escreve("{\"esquema\":\"" + mox::VersaoEsquemaToStr(versao) + "\",\"notas\":[");
  try {
    conversor.ConverterArquivo([&](const std::string& aXml) {
      if (json)
        saida.Escreve(std::string(notas ? "," : "") + "{\"chave\":\"" + JsonEscape(mox::ObterNotaID(aXml)) +
                      "\",\"xml\":\"" + JsonEscape(aXml) + "\"}");
      else
        saida.Escreve(aXml + "\n");
      ++notas;
    });
  } catch (const mox::EmoxNFeRegraException& e) {
    if (progresso) aIo.err << "\n";
    return ReportaFalhaDeRegra(e, linhaAtual + 1, aArgs, aIo);
  } catch (const std::exception& e) {
    if (progresso) aIo.err << "\n";
    throw std::runtime_error(ErroNaLinha(conversor, linhaAtual, ParaTerminal(e.what())));
  }
  if (progresso) aIo.err << "\n";
  if (json) saida.Escreve("]}\n");
  saida.Conclui(aIo.out);
  if (arquivo) aIo.err << notas << " nota(s) gravada(s) em " << *arquivo << "\n";
  return 0;
}

// The TX2 examples installed with the programs.
int Exemplo(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().size() > 1) throw CliUsageError{"informe um só exemplo"};
  const std::string nome = aArgs.Positional().empty() ? "venda-simples-400" : aArgs.Positional().front();
  const std::string arquivo = mox::FindDataFile("Exemplos/tx2/" + nome + ".tx2");
  if (!mox::FileExists(arquivo))
    throw std::runtime_error("exemplo não encontrado: " + arquivo +
                             " (há venda-simples, varios-itens-parcelas, duas-notas, nfce, venda-simples-400 e "
                             "reforma-2026)");
  aIo.out << mox::ReadFileBytes(arquivo);
  return 0;
}

CliRegistrar exemplo{{{"tx2", "exemplo"},
                      "mostra um exemplo de TX2 pronto para copiar e adaptar",
                      "[NOME]",
                      "NOME: venda-simples-400 (padrão, leiaute 4.00), reforma-2026 (4.00 com IBS, CBS e IS);\n"
                      "venda-simples, varios-itens-parcelas, duas-notas ou nfce (leiaute 3.10). Por exemplo:\n"
                      "  moxnfe tx2 exemplo > venda.tx2 && moxnfe tx2 converter venda.tx2\n"
                      "  moxnfe tx2 exemplo venda-simples > v310.tx2 && moxnfe tx2 converter v310.tx2 --esquema pl_008i1",
                      {},
                      Exemplo}};

CliRegistrar converter{{{"tx2", "converter"},
                        "converte um arquivo TX2 nos textos infNFe de um pacote de esquemas, um por nota",
                        "[opções] [ARQUIVO.tx2 | -]",
                        "Sem ARQUIVO (ou com -), lê a entrada padrão. Cada nota salva (INCLUIR ... SALVAR) vira\n"
                        "uma linha com o seu infNFe. Na primeira linha com erro a conversão para: a mensagem começa\n"
                        "pelo número da linha (contado a partir de 1), diz se a palavra é um comando ou um campo\n"
                        "desconhecido e traz a mensagem do componente (que conta as linhas a partir de 0).\n"
                        "Com --regras, cada nota salva é conferida com as regras de rejeição da SEFAZ; a primeira\n"
                        "regra quebrada encerra a conversão com \"linha N: [código] mensagem\" (N contada a partir\n"
                        "de 1, a linha do SALVAR) e saída 1.",
                        {{"esquema", "PACOTE", "pacote de esquemas: pl_005a a pl_010 (padrão: pl_010, leiaute 4.00)"},
                         {"dicionario", "ARQUIVO", "dicionário de campos (padrão: o instalado para a versão do Manual)"},
                         {"exportacao", "", "usa o dicionário de exportação (NFeDataSets_Exportacao.xml)"},
                         {"saida", "ARQUIVO", "grava as notas no arquivo em vez da saída padrão"},
                         {"silencioso", "", "não mostra o progresso"},
                         OpcaoRegras(),
                         OpcaoExcecoes()},
                        Converter}};

}  // namespace

}  // namespace moxcli
