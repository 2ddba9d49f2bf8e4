// moxnfe nfe auditar: the component's audit of NF-e files (official schema of the note's layout
// and the rejection rules of its manual version), each failure with its code, field and message.
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <ostream>

#include "base/EmoxException.h"
#include "base/moxEnumTexts.h"
#include "cli/CliCommand.h"
#include "component/TmoxNFe.h"
#include "external/FileIO.h"
#include "external/moxDateTime.h"
#include "external/moxPaths.h"
#include "webservices/TmoxAuditorNFe.h"

namespace moxcli {

namespace {

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;

// "AAAA-MM-DDThh:mm[:ss]" as a date-time of Brasília; a bare date is the end of that day, so
// every note issued on it is checked as on the day it was issued.
mox::TDateTime DataReferencia(const std::string& aTexto) {
  const auto numero = [&](size_t aInicio, size_t aTamanho) {
    const std::string parte = aTexto.substr(aInicio, aTamanho);
    if (parte.size() != aTamanho || parte.find_first_not_of("0123456789") != std::string::npos)
      throw CliUsageError{"--data-referencia: use AAAA-MM-DD ou AAAA-MM-DDThh:mm: " + aTexto};
    return std::stoi(parte);
  };
  if (aTexto.size() != 10 && aTexto.size() != 16 && aTexto.size() != 19)
    throw CliUsageError{"--data-referencia: use AAAA-MM-DD ou AAAA-MM-DDThh:mm: " + aTexto};
  mox::DateTimeParts p;
  p.year = numero(0, 4);
  p.month = numero(5, 2);
  p.day = numero(8, 2);
  if (aTexto.size() > 10) {
    p.hour = numero(11, 2);
    p.minute = numero(14, 2);
    if (aTexto.size() == 19) p.second = numero(17, 2);
  } else {
    p.hour = 23;
    p.minute = 59;
    p.second = 59;
  }
  const std::chrono::year_month_day dia{std::chrono::year(p.year), std::chrono::month(static_cast<unsigned>(p.month)),
                                       std::chrono::day(static_cast<unsigned>(p.day))};
  if (aTexto[4] != '-' || aTexto[7] != '-' || (aTexto.size() > 10 && aTexto[10] != 'T') || !dia.ok() ||
      p.hour > 23 || p.minute > 59 || p.second > 59)
    throw CliUsageError{"--data-referencia: data inválida: " + aTexto};
  return mox::EncodeDateTime(p);
}

// The component as the configuration (or the defaults) and the options set it.
void PreparaComponente(mox::TmoxNFe& aNFe, const CliArgs& aArgs) {
  if (auto config = aArgs.Option("config")) {
    if (!mox::FileExists(*config)) throw CliUsageError{"arquivo de configuração não encontrado: " + *config};
    aNFe.LoadConfig(CaminhoDigitado(*config));
  } else {
    aNFe.SetVersaoManual(mox::StrToVersaoManual(kVersaoManualPadrao));
  }
  try {
    if (auto versao = aArgs.Option("versao-manual")) aNFe.SetVersaoManual(mox::StrToVersaoManual(*versao));
  } catch (const mox::EmoxException& e) {
    throw CliUsageError{e.what()};
  }
  if (auto templates = aArgs.Option("templates")) aNFe.SetDiretorioTemplates(CaminhoDigitado(*templates) + "/");
  if (auto esquemas = aArgs.Option("esquemas")) aNFe.SetDiretorioEsquemas(CaminhoDigitado(*esquemas) + "/");
}

// Where the page of a file goes: the --html file for a single note, else a page per note,
// named after it, in the --html folder.
std::string ArquivoHtml(const std::string& aSaida, const std::string& aArquivo, bool aVarios) {
  if (!aVarios) return aSaida;
  return (fs::path(aSaida) / (fs::path(aArquivo).filename().string() + ".html")).string();
}

void MostraFalhas(const std::string& aArquivo, const json& aResposta, CliIo& aIo) {
  aIo.out << aArquivo << ": " << aResposta.value("situacao", "") << " (" << aResposta.value("totalRejeicao", 0)
          << " falha(s))\n";
  for (const json& falha : aResposta.value("falhas", json::array())) {
    const std::string origem = falha.value("origem", "");
    const std::string codigo = falha.value("codigo", "");
    aIo.out << "  [" << origem << (codigo.empty() ? "" : " " + codigo);
    if (origem == "regra" && !falha.value("regra", "").empty()) aIo.out << ", regra " << falha.value("regra", "");
    aIo.out << "]";
    if (falha.value("linha", 0) > 0) aIo.out << " linha " << falha.value("linha", 0);
    if (!falha.value("campo", "").empty()) aIo.out << " campo " << falha.value("campo", "");
    aIo.out << ": " << ParaTerminal(falha.value("mensagem", "")) << "\n";
  }
}

int Auditar(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().empty()) throw CliUsageError{"informe os arquivos XML das notas"};
  std::vector<std::string> arquivos;
  for (const std::string& a : aArgs.Positional()) {
    if (!mox::FileExists(CaminhoDigitado(a))) throw CliUsageError{"arquivo não encontrado: " + a};
    arquivos.push_back(a);
  }
  const bool varios = arquivos.size() > 1;
  const std::optional<std::string> html = aArgs.Option("html");
  if (html && varios) fs::create_directories(CaminhoDigitado(*html));

  mox::TmoxNFe nfe;
  PreparaComponente(nfe, aArgs);
  mox::TmoxAuditorNFe auditor;
  if (auto regras = aArgs.Option("regras")) auditor.SetDiretorioRegras(CaminhoDigitado(*regras) + "/");
  if (auto data = aArgs.Option("data-referencia")) {
    const mox::TDateTime referencia = DataReferencia(*data);
    auditor.SetRelogio([referencia] { return referencia; });
  }
  std::string paginaDoArquivo;
  auditor.OnExibirHtml = [&](const std::string& aHtml, int, int) { mox::WriteFileAtomic(paginaDoArquivo, aHtml); };
  nfe.SetComponenteAuditor(&auditor);

  const bool progresso = varios && !aArgs.Json() && ::isatty(STDERR_FILENO);
  json lista = json::array();
  int aprovadas = 0, rejeitadas = 0, erros = 0;
  for (size_t i = 0; i < arquivos.size(); ++i) {
    const std::string& arquivo = arquivos[i];
    if (progresso) aIo.err << "\rAuditando " << (i + 1) << " de " << arquivos.size() << std::flush;
    json item{{"arquivo", arquivo}};
    try {
      if (html) paginaDoArquivo = ArquivoHtml(CaminhoDigitado(*html), arquivo, varios);
      const std::string xml = mox::ReadFileBytes(CaminhoDigitado(arquivo));
      const json resposta = json::parse(
          nfe.AuditarXml(xml, "", "", aArgs.Flag("exibir-regras"), html.has_value(), ""));
      item.update(resposta);
      if (html) item["html"] = paginaDoArquivo;
      ++(resposta.value("totalRejeicao", 0) > 0 ? rejeitadas : aprovadas);
      if (!aArgs.Json()) MostraFalhas(arquivo, resposta, aIo);
    } catch (const std::exception& e) {
      item["erro"] = e.what();
      ++erros;
      if (!aArgs.Json()) aIo.out << arquivo << ": erro: " << ParaTerminal(e.what()) << "\n";
    }
    lista.push_back(std::move(item));
  }
  if (progresso) aIo.err << "\n";
  if (aArgs.Json()) {
    const json saida{{"arquivos", std::move(lista)}, {"aprovadas", aprovadas}, {"rejeitadas", rejeitadas},
                     {"erros", erros}};
    aIo.out << saida.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
  }
  if (erros > 0) return 3;
  return rejeitadas > 0 ? 1 : 0;
}

CliRegistrar auditar{
    {{"nfe", "auditar"},
     "audita notas: o esquema oficial do leiaute da nota e as regras de rejeição da sua versão do Manual",
     "[opções] ARQUIVO.xml...",
     "Cada ARQUIVO é uma NF-e (assinada ou não) ou uma nota autorizada (nfeProc), de leiaute 1.10,\n"
     "2.00, 3.10 ou 4.00: o leiaute sai do próprio documento. A auditoria confere o XML no esquema\n"
     "oficial do pacote (a pasta de esquemas tem, em cada versão do Manual, o Mapping.txt e os XSD),\n"
     "a assinatura de uma nota assinada (297 quando o texto mudou depois de assinado) e todas as\n"
     "regras de rejeição da versão, mostrando cada falha: origem (esquema, assinatura ou regra),\n"
     "código, campo e mensagem; as de esquema, com a linha. As regras de data comparam com o\n"
     "recebimento do protocolo num nfeProc e, nas demais, com a hora atual (ou a de\n"
     "--data-referencia). O arquivo RegrasIgnoradas.txt da pasta de regras lista, uma por linha,\n"
     "regras que a auditoria deixa de lado. Com --html, a auditoria sai também numa página HTML:\n"
     "no arquivo dado, para uma nota, ou numa página por nota (ARQUIVO.xml.html) na pasta dada.\n"
     "Sai com 0 quando nenhuma nota tem falhas, 1 quando alguma tem e 3 quando algum arquivo não\n"
     "pôde ser auditado (não é NF-e, leiaute desconhecido, esquemas ausentes).",
     {{"config", "ARQUIVO", "arquivo de configuração do componente (nfeConfig.ini)"},
      {"versao-manual", "VERSAO", "2.0.2a, 3.0, 4.0, 5.0, 5.0a ou 6.0 (padrão: 6.0, leiaute 4.00)"},
      {"esquemas", "PASTA", "pasta de esquemas: o Mapping.txt e os XSD oficiais de cada versão do Manual"},
      {"templates", "PASTA", "pasta de templates, com os dicionários e Auditor/AuditorConfig.ini (padrão: a instalada)"},
      {"regras", "PASTA", "pasta de regras do auditor, com RegrasIgnoradas.txt (padrão: Auditor/Regras dos templates)"},
      {"data-referencia", "DATA", "instante (AAAA-MM-DDThh:mm, ou AAAA-MM-DD: o fim do dia) das regras de data"},
      {"exibir-regras", "", "lista também cada regra conferida, com o seu resultado"},
      {"html", "SAIDA", "grava a auditoria em HTML: um arquivo (uma nota) ou uma pasta (várias)"}},
     Auditar}};

}  // namespace

}  // namespace moxcli
