// moxnfe converter: every conversion of notes through the component's converter front: TX2,
// record-layout text, blocked text or NF-e XML in; infNFe XML, TX2 or JSON out.
#include <unistd.h>

#include <iostream>
#include <iterator>
#include <memory>
#include <ostream>

#include "base/moxEnumTexts.h"
#include "cli/CliCommand.h"
#include "component/TmoxNFe.h"
#include "datasets/TmoxNFeConverter.h"
#include "external/FileIO.h"
#include "external/Utf8Text.h"
#include "external/moxPaths.h"
#include "utils/moxChaveNFe.h"

namespace moxcli {

namespace {

// One converted note: its infNFe and, when asked for, its TX2 replay and protocol data.
struct NotaConvertida {
  std::string xml;
  std::vector<std::string> tx2;
  std::vector<std::string> autorizacao;
};

std::vector<std::string> LinhasDoLote(const std::string& aLote) {
  std::vector<std::string> notas;
  size_t inicio = 0;
  while (inicio < aLote.size()) {
    size_t fim = aLote.find_first_of("\r\n", inicio);
    if (fim == std::string::npos) fim = aLote.size();
    if (fim > inicio) notas.push_back(aLote.substr(inicio, fim - inicio));
    inicio = fim + 1;
  }
  return notas;
}

// The input: a file name, or "-" for the standard input (not for blocked text, read by name).
std::string Entrada(const CliArgs& aArgs, CliIo& aIo, const std::string& aDe) {
  if (aArgs.Positional().size() != 1) throw CliUsageError{"informe um arquivo de ENTRADA (ou - para a entrada padrão)"};
  const std::string& arquivo = aArgs.Positional().front();
  if (arquivo == "-") {
    if (aDe == "blocos") throw CliUsageError{"o texto em blocos é lido de um arquivo; informe o nome dele"};
    return mox::DecodeToUtf8(
        std::string(std::istreambuf_iterator<char>(aIo.in), std::istreambuf_iterator<char>()));
  }
  if (!mox::FileExists(arquivo)) throw CliUsageError{"arquivo não encontrado: " + arquivo};
  return aDe == "blocos" ? arquivo : mox::DecodeToUtf8(mox::ReadFileBytes(arquivo));
}

mox::TLayoutConvKind Leiaute(const std::string& aDe) {
  if (aDe == "tx2") return mox::TLayoutConvKind::lkTXTDataSet;
  if (aDe == "txt") return mox::TLayoutConvKind::lkTXTRec;
  return mox::TLayoutConvKind::lkTXTDic;
}

// The notes of the input; the TX2 replay and protocol data are read back only when wanted.
std::vector<NotaConvertida> Converte(mox::TmoxNFeConverter& aConversor, const std::string& aDe,
                                     const std::string& aEntrada, mox::TVersaoEsquema aVersao, bool aExportacao,
                                     bool aLeDeVolta) {
  std::vector<NotaConvertida> notas;
  auto leXml = [&](const std::string& aXml) {
    std::vector<std::string> tx2, autorizacao;
    auto ds = aConversor.ConvertXmlToDataSet(aXml, "", aVersao, aExportacao, &tx2, &autorizacao);
    // One replay (from its INCLUIR) and eight protocol lines per note, in the order of the batch.
    const size_t primeira = notas.size();
    for (size_t i = 0; i < ds->LoteNFe().size(); ++i)
      notas.push_back({ds->LoteNFe()[i], {},
                       std::vector<std::string>(autorizacao.begin() + static_cast<long>(8 * i),
                                                autorizacao.begin() + static_cast<long>(8 * (i + 1)))});
    size_t nota = primeira;
    for (const std::string& linha : tx2) {
      if (linha == "INCLUIR" && !notas[nota].tx2.empty()) ++nota;
      notas[nota].tx2.push_back(linha);
    }
  };
  if (aDe == "xml") {
    leXml(aEntrada);
    return notas;
  }
  const std::string lote =
      aConversor.ConvertToXml(aEntrada, mox::VersaoLeiauteDoEsquema(aVersao), Leiaute(aDe), aVersao, aExportacao);
  for (const std::string& xml : LinhasDoLote(lote)) {
    if (aLeDeVolta) leXml(xml);
    else notas.push_back({xml, {}, {}});
  }
  return notas;
}

std::string Json(const std::vector<NotaConvertida>& aNotas, const std::string& aPara, mox::TVersaoEsquema aVersao) {
  auto lista = [](const std::vector<std::string>& aLinhas) {
    std::string json = "[";
    for (size_t i = 0; i < aLinhas.size(); ++i) json += std::string(i ? "," : "") + "\"" + JsonEscape(aLinhas[i]) + "\"";
    return json + "]";
  };
  std::string json = "{\"esquema\":\"" + mox::VersaoEsquemaToStr(aVersao) + "\",\"notas\":[";
  for (size_t i = 0; i < aNotas.size(); ++i) {
    const NotaConvertida& nota = aNotas[i];
    json += std::string(i ? "," : "") + "{\"chave\":\"" + JsonEscape(mox::ObterNotaID(nota.xml)) + "\"";
    if (aPara != "tx2") json += ",\"xml\":\"" + JsonEscape(nota.xml) + "\"";
    if (aPara != "xml") json += ",\"tx2\":" + lista(nota.tx2);
    if (aPara == "json") {
      json += ",\"autorizacao\":{";
      for (size_t j = 0; j < nota.autorizacao.size(); ++j) {
        const std::string& linha = nota.autorizacao[j];
        const size_t igual = linha.find('=');
        json += std::string(j ? "," : "") + "\"" + JsonEscape(linha.substr(0, igual)) + "\":\"" +
                JsonEscape(linha.substr(igual + 1)) + "\"";
      }
      json += "}";
    }
    json += "}";
  }
  return json + "]}\n";
}

int Converter(const CliArgs& aArgs, CliIo& aIo) {
  const std::string de = aArgs.Required("de");
  const std::string para = aArgs.OptionOr("para", "xml");
  if (de != "tx2" && de != "txt" && de != "blocos" && de != "xml")
    throw CliUsageError{"--de deve ser tx2, txt, blocos ou xml"};
  if (para != "xml" && para != "tx2" && para != "json") throw CliUsageError{"--para deve ser xml, tx2 ou json"};
  const mox::TVersaoEsquema versao = mox::StrToVersaoEsquema(aArgs.OptionOr("esquema", kEsquemaPadrao));
  const std::string entrada = Entrada(aArgs, aIo, de);

  mox::TmoxNFe nfe;
  nfe.SetVersaoManual(mox::GetVersaoManualDoEsquema(versao));
  mox::TmoxNFeConverter& conversor = nfe.GetConversor();
  const bool progresso = !aArgs.Flag("silencioso") && ::isatty(STDERR_FILENO);
  if (progresso)
    conversor.OnProgresso = [&aIo](size_t aLinha, size_t aTotal) {
      if (aLinha % 2000 == 1 || aLinha == aTotal)
        aIo.err << "\rConvertendo: linha " << aLinha << " de " << aTotal << std::flush;
    };

  std::vector<NotaConvertida> notas;
  try {
    notas = Converte(conversor, de, entrada, versao, aArgs.Flag("exportacao"), para != "xml");
  } catch (const std::exception& e) {
    if (progresso) aIo.err << "\n";
    throw std::runtime_error(ParaTerminal(e.what()));
  }
  if (progresso) aIo.err << "\n";
  if (notas.empty()) throw std::runtime_error("nenhuma nota encontrada na entrada");

  std::string saida;
  if (aArgs.Json() || para == "json") {
    saida = Json(notas, para, versao);
  } else {
    for (const NotaConvertida& nota : notas) {
      if (para == "xml") saida += nota.xml + "\n";
      else
        for (const std::string& linha : nota.tx2) saida += linha + "\n";
    }
  }
  if (auto arquivo = aArgs.Option("saida")) {
    mox::WriteFileAtomic(*arquivo, saida);
    aIo.err << notas.size() << " nota(s) gravada(s) em " << *arquivo << "\n";
  } else {
    aIo.out << saida;
  }
  return 0;
}

CliRegistrar converter{{{"converter"},
                        "converte notas entre TX2, texto do leiaute nacional, texto em blocos e XML",
                        "[opções] --de FORMATO ENTRADA",
                        "ENTRADA é um arquivo (ou -, a entrada padrão, exceto para blocos). Formatos de entrada:\n"
                        "  tx2     comandos e atribuições de campos (INCLUIR, campo=valor, SALVAR)\n"
                        "  txt     leiaute TXT nacional: uma linha por grupo, campos separados por |\n"
                        "  blocos  texto em blocos C| (cabeçalho), D| (detalhe) e R| (rodapé)\n"
                        "  xml     NF-e assinada, nfeProc autorizado ou lote\n"
                        "Saídas: xml (um infNFe por linha), tx2 (os comandos que refazem cada nota) ou json\n"
                        "(chave, XML, TX2 e dados da autorização de cada nota). Um erro indica a linha da\n"
                        "entrada e o campo; nesse caso nada é gravado e o código de saída é diferente de 0.\n"
                        "'moxnfe tx2 converter' é a forma curta de --de tx2 --para xml.",
                        {{"de", "FORMATO", "formato da entrada: tx2, txt, blocos ou xml"},
                         {"para", "FORMATO", "formato da saída: xml, tx2 ou json (padrão: xml)"},
                         {"esquema", "PACOTE", "pacote de esquemas: pl_005a a pl_010 (padrão: pl_010, leiaute 4.00)"},
                         {"exportacao", "", "usa o dicionário de exportação (NFeDataSets_Exportacao.xml)"},
                         {"saida", "ARQUIVO", "grava o resultado no arquivo em vez da saída padrão"},
                         {"silencioso", "", "não mostra o progresso"}},
                        Converter}};

}  // namespace

}  // namespace moxcli
