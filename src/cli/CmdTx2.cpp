// moxnfe tx2 converter: TX2 text into the infNFe texts of a schema package.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <iostream>
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

std::string LeEntrada(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().size() > 1) throw CliUsageError{"informe um só arquivo TX2"};
  if (aArgs.Positional().empty() || aArgs.Positional().front() == "-")
    return mox::ReadStreamBytes(aIo.in, "A entrada padrão");
  const std::string& arquivo = aArgs.Positional().front();
  if (!mox::FileExists(arquivo)) throw CliUsageError{"arquivo não encontrado: " + arquivo};
  return mox::ReadFileBytes(arquivo);
}

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
std::string ErroNaLinha(const std::vector<std::string>& aLinhas, size_t aIndice, const std::string& aMensagem) {
  if (aMensagem == "NFe não foi Salva.") {
    // The input ended with a note open: the user looks for where that note began.
    size_t inicio = aLinhas.size();
    for (size_t i = 0; i < aLinhas.size(); ++i)
      if (aLinhas[i] == "INCLUIR") inicio = i;
    if (inicio < aLinhas.size())
      return "linha " + std::to_string(inicio + 1) + ": a nota começada aqui não termina com SALVAR\n" + aMensagem;
    return aMensagem;
  }
  if (aIndice >= aLinhas.size()) return aMensagem;
  const std::string diagnostico = Diagnostico(aLinhas[aIndice], aMensagem);
  return "linha " + std::to_string(aIndice + 1) + (diagnostico.empty() ? "" : ": " + diagnostico) + "\n" + aMensagem;
}

int Converter(const CliArgs& aArgs, CliIo& aIo) {
  const mox::TVersaoEsquema versao = mox::StrToVersaoEsquema(aArgs.OptionOr("esquema", "pl_008i1"));
  const std::string dicionario =
      aArgs.OptionOr("dicionario", DicionarioInstalado(versao, aArgs.Flag("exportacao")));
  if (!mox::FileExists(dicionario)) throw CliUsageError{"dicionário de campos não encontrado: " + dicionario};

  mox::TmoxNFeConvTXTDataSet conversor;
  conversor.SetVersaoEsquema(versao);
  conversor.SetXMLDicionario(dicionario);
  conversor.SetTXT(mox::DecodeToUtf8(LeEntrada(aArgs, aIo)));
  LigaRegras(conversor.DataSets(), aArgs);
  const bool progresso = !aArgs.Flag("silencioso") && ::isatty(STDERR_FILENO);
  size_t linhaAtual = 0;  // a rule fails on the SALVAR line being replayed
  conversor.OnProgresso = [&](size_t aLinha, size_t aTotal) {
    linhaAtual = aLinha;
    if (progresso && (aLinha % 2000 == 0 || aLinha + 1 == aTotal))
      aIo.err << "\rConvertendo: linha " << aLinha + 1 << " de " << aTotal << std::flush;
  };

  mox::TmoxNFeDataSets* notas = nullptr;
  try {
    conversor.Converter(notas);
  } catch (const mox::EmoxNFeRegraException& e) {
    if (progresso) aIo.err << "\n";
    return ReportaFalhaDeRegra(e, linhaAtual + 1, aArgs, aIo);
  } catch (const std::exception& e) {
    if (progresso) aIo.err << "\n";
    throw std::runtime_error(ErroNaLinha(conversor.Lines(), linhaAtual, ParaTerminal(e.what())));
  }
  if (progresso) aIo.err << "\n";

  std::string saida;
  if (aArgs.Json()) {
    saida = "{\"esquema\":\"" + mox::VersaoEsquemaToStr(versao) + "\",\"notas\":[";
    for (size_t i = 0; i < notas->LoteNFe().size(); ++i) {
      const std::string& xml = notas->LoteNFe()[i];
      saida += std::string(i ? "," : "") + "{\"chave\":\"" + JsonEscape(mox::ObterNotaID(xml)) + "\",\"xml\":\"" +
               JsonEscape(xml) + "\"}";
    }
    saida += "]}\n";
  } else {
    for (const auto& xml : notas->LoteNFe()) saida += xml + "\n";
  }
  if (auto arquivo = aArgs.Option("saida")) {
    mox::WriteFileAtomic(*arquivo, saida);
    aIo.err << notas->LoteNFe().size() << " nota(s) gravada(s) em " << *arquivo << "\n";
  } else {
    aIo.out << saida;
  }
  return 0;
}

// The TX2 examples installed with the programs.
int Exemplo(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().size() > 1) throw CliUsageError{"informe um só exemplo"};
  const std::string nome = aArgs.Positional().empty() ? "venda-simples" : aArgs.Positional().front();
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
                      "NOME: venda-simples (padrão), varios-itens-parcelas, duas-notas ou nfce (leiaute 3.10);\n"
                      "venda-simples-400 (leiaute 4.00) ou reforma-2026 (4.00 com IBS, CBS e IS). Por exemplo:\n"
                      "  moxnfe tx2 exemplo > venda.tx2 && moxnfe tx2 converter venda.tx2\n"
                      "  moxnfe tx2 exemplo reforma-2026 > reforma.tx2 && moxnfe tx2 converter reforma.tx2 --esquema pl_010",
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
                        {{"esquema", "PACOTE", "pacote de esquemas: pl_005a a pl_010 (padrão: pl_008i1)"},
                         {"dicionario", "ARQUIVO", "dicionário de campos (padrão: o instalado para a versão do Manual)"},
                         {"exportacao", "", "usa o dicionário de exportação (NFeDataSets_Exportacao.xml)"},
                         {"saida", "ARQUIVO", "grava as notas no arquivo em vez da saída padrão"},
                         {"silencioso", "", "não mostra o progresso"},
                         OpcaoRegras(),
                         OpcaoExcecoes()},
                        Converter}};

}  // namespace

}  // namespace moxcli
