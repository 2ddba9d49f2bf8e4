// moxnfe tx2 converter: TX2 text into the infNFe texts of a schema package.
#include <unistd.h>

#include <iostream>
#include <iterator>
#include <ostream>

#include "cli/CliCommand.h"
#include "base/moxEnumTexts.h"
#include "datasets/TmoxNFeConvTXTDataSet.h"
#include "external/FileIO.h"
#include "external/Utf8Text.h"
#include "external/moxPaths.h"
#include "utils/moxChaveNFe.h"

namespace moxcli {

namespace {

// The dictionary installed beside the program for the package's manual version.
std::string DicionarioInstalado(mox::TVersaoEsquema aVersao, bool aExportacao) {
  return mox::ProgramDir() + "Templates/" + mox::PastaVersaoManual(mox::GetVersaoManualDoEsquema(aVersao)) +
         "/Conversor/" + (aExportacao ? "NFeDataSets_Exportacao.xml" : "NFeDataSets.xml");
}

// The component's messages break lines with a carriage return; a terminal wants line feeds.
std::string ParaTerminal(std::string aTexto) {
  for (char& c : aTexto)
    if (c == '\r') c = '\n';
  return aTexto;
}

std::string LeEntrada(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().size() > 1) throw CliUsageError{"informe um só arquivo TX2"};
  if (aArgs.Positional().empty() || aArgs.Positional().front() == "-")
    return mox::ReadStreamBytes(aIo.in, "A entrada padrão");
  const std::string& arquivo = aArgs.Positional().front();
  if (!mox::FileExists(arquivo)) throw CliUsageError{"arquivo não encontrado: " + arquivo};
  return mox::ReadFileBytes(arquivo);
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
  const bool progresso = !aArgs.Flag("silencioso") && ::isatty(STDERR_FILENO);
  if (progresso)
    conversor.OnProgresso = [&aIo](size_t aLinha, size_t aTotal) {
      if (aLinha % 2000 == 0 || aLinha + 1 == aTotal)
        aIo.err << "\rConvertendo: linha " << aLinha + 1 << " de " << aTotal << std::flush;
    };

  mox::TmoxNFeDataSets* notas = nullptr;
  try {
    conversor.Converter(notas);
  } catch (const std::exception& e) {
    if (progresso) aIo.err << "\n";
    throw std::runtime_error(ParaTerminal(e.what()));
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

CliRegistrar converter{{{"tx2", "converter"},
                        "converte um arquivo TX2 nos textos infNFe de um pacote de esquemas, um por nota",
                        "[opções] [ARQUIVO.tx2 | -]",
                        "Sem ARQUIVO (ou com -), lê a entrada padrão. Cada nota salva (INCLUIR ... SALVAR) vira\n"
                        "uma linha com o seu infNFe. Na primeira linha com erro a conversão para e a mensagem\n"
                        "indica o número da linha (contado a partir de 0) e o conteúdo dela.",
                        {{"esquema", "PACOTE", "pacote de esquemas: pl_005a a pl_008i1 (padrão: pl_008i1)"},
                         {"dicionario", "ARQUIVO", "dicionário de campos (padrão: o instalado para a versão do Manual)"},
                         {"exportacao", "", "usa o dicionário de exportação (NFeDataSets_Exportacao.xml)"},
                         {"saida", "ARQUIVO", "grava as notas no arquivo em vez da saída padrão"},
                         {"silencioso", "", "não mostra o progresso"}},
                        Converter}};

}  // namespace

}  // namespace moxcli
