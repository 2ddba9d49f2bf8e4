// Lookups in a 50-note batch: walking its notes by index, listing its keys and finding one
// signed note, against the same work done the plain way on libxml2 / the utility server. The
// lookups of every note are measured warm (the batch already read) and cold (a batch seen for the
// first time in each iteration), each against one libxml2 parse of the batch.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "BenchRatio.h"
#include "external/TmoxKivoUtils.h"
#include "utils/TmoxNFeXMLLogs.h"
#include "utils/TmoxNFeXmlUtils.h"

namespace {

constexpr int kNotas = 50;
const std::string kChave = "35140312345678000195550010000001241123456788";

// The fixture's key with the note number 1000 + i in positions 31-34.
std::string ChaveDaNota(int i) { return kChave.substr(0, 30) + std::to_string(1000 + i) + kChave.substr(34); }

// enviNFe with 50 copies of the 12 KB fixture note, each with its own key; aIdLote tells
// batches of the same notes apart.
std::string LoteNumero(int aIdLote) {
  std::ifstream in(std::string(MOXNFE_SOURCE_DIR) + "/tests/fixtures/xml/nfe310-assinada-ficticia.xml");
  std::stringstream ss;
  ss << in.rdbuf();
  std::string nota = ss.str();
  nota = nota.substr(nota.find("<NFe"));
  std::string out = "<enviNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><idLote>" +
                    std::to_string(aIdLote) + "</idLote>";
  for (int i = 0; i < kNotas; ++i) {
    std::string copia = nota;
    for (size_t p; (p = copia.find(kChave)) != std::string::npos;) copia.replace(p, kChave.size(), ChaveDaNota(i));
    out += copia;
  }
  return out + "</enviNFe>";
}

const std::string& Lote() {
  static const std::string lote = LoteNumero(1);
  return lote;
}

void BM_NotasPorIndice(benchmark::State& state) {
  const std::string& lote = Lote();
  for (auto _ : state)
    for (int i = 0; i < kNotas; ++i) benchmark::DoNotOptimize(mox::TmoxNFeXmlUtils::getNotaXPath(i, lote, false));
}
BENCHMARK(BM_NotasPorIndice)->Unit(benchmark::kMillisecond);

// Reference: one query of the whole batch per index.
void BM_NotasPorIndiceConsultaCada(benchmark::State& state) {
  const std::string& lote = Lote();
  mox::TmoxKivoUtils utils;
  for (auto _ : state)
    for (int i = 0; i < kNotas; ++i) {
      std::vector<std::string> nos;
      utils.XPathSelectNodes(lote, ".//nfx:infNFe", nos, mox::TmoxKivoUtils::kNfxDeclaration);
      benchmark::DoNotOptimize(nos[static_cast<size_t>(i)]);
    }
}
BENCHMARK(BM_NotasPorIndiceConsultaCada)->Unit(benchmark::kMillisecond);

void BM_ListaChavesLogEnv(benchmark::State& state) {
  const std::string& lote = Lote();
  for (auto _ : state) {
    std::vector<std::string> chaves;
    mox::TmoxNFeXMLLogs::ListaChavesLogEnv(lote, &chaves, "");
    if (chaves.size() != kNotas) state.SkipWithError("chaves faltando");
  }
}
BENCHMARK(BM_ListaChavesLogEnv)->Unit(benchmark::kMillisecond);

// Reference: libxml2 parsing the batch and reading every infNFe/@Id in one expression.
void BM_LibxmlIdsDoLote(benchmark::State& state) {
  const std::string& lote = Lote();
  for (auto _ : state) {
    xmlDocPtr doc = xmlReadMemory(lote.data(), static_cast<int>(lote.size()), nullptr, nullptr, XML_PARSE_NONET);
    xmlXPathContextPtr ctx = xmlXPathNewContext(doc);
    xmlXPathRegisterNs(ctx, BAD_CAST "nfx", BAD_CAST mox::TmoxKivoUtils::kNFeNamespace);
    ctx->node = reinterpret_cast<xmlNodePtr>(doc);
    xmlXPathObjectPtr obj = xmlXPathEvalExpression(BAD_CAST ".//nfx:infNFe/@Id", ctx);
    std::vector<std::string> chaves;
    for (int i = 0; obj->nodesetval && i < obj->nodesetval->nodeNr; ++i) {
      xmlChar* v = xmlNodeGetContent(obj->nodesetval->nodeTab[i]);
      chaves.emplace_back(reinterpret_cast<const char*>(v) + 3);
      xmlFree(v);
    }
    xmlXPathFreeObject(obj);
    xmlXPathFreeContext(ctx);
    xmlFreeDoc(doc);
    if (chaves.size() != kNotas) state.SkipWithError("chaves faltando");
  }
}
BENCHMARK(BM_LibxmlIdsDoLote)->Unit(benchmark::kMillisecond);

// Every note of the batch looked up in turn, as the recipient documents of a batch are built.
void BM_AchaCadaNFeAssinada(benchmark::State& state) {
  const std::string& lote = Lote();
  for (auto _ : state)
    for (int i = 0; i < kNotas; ++i)
      if (mox::TmoxNFeXMLLogs::AchaNFeAssinadaLogEnvio(ChaveDaNota(i), lote, "").empty()) state.SkipWithError("não achou");
}
BENCHMARK(BM_AchaCadaNFeAssinada)->Unit(benchmark::kMillisecond);

// The same for a batch not seen before: more batches in turn than the lookups remember.
void BM_AchaCadaNFeAssinadaLoteNovo(benchmark::State& state) {
  std::vector<std::string> lotes;
  for (int n = 1; n <= 8; ++n) lotes.push_back(LoteNumero(100 + n));
  size_t proximo = 0;
  for (auto _ : state) {
    const std::string& lote = lotes[proximo++ % lotes.size()];
    for (int i = 0; i < kNotas; ++i)
      if (mox::TmoxNFeXMLLogs::AchaNFeAssinadaLogEnvio(ChaveDaNota(i), lote, "").empty()) state.SkipWithError("não achou");
  }
}
BENCHMARK(BM_AchaCadaNFeAssinadaLoteNovo)->Unit(benchmark::kMillisecond);

// Reference: the utility server asked for the batch's notes once per note.
void BM_ConsultaNotasPorChave(benchmark::State& state) {
  const std::string& lote = Lote();
  mox::TmoxKivoUtils utils;
  for (auto _ : state)
    for (int i = 0; i < kNotas; ++i) {
      std::vector<std::string> nos;
      utils.XPathSelectNodes(lote, "//*[local-name()=\"NFe\"]", nos);
      benchmark::DoNotOptimize(nos);
    }
}
BENCHMARK(BM_ConsultaNotasPorChave)->Unit(benchmark::kMillisecond);

// Reference: libxml2 parsing the batch once, nothing else.
void BM_LibxmlSoParse(benchmark::State& state) {
  const std::string& lote = Lote();
  for (auto _ : state) {
    xmlDocPtr doc = xmlReadMemory(lote.data(), static_cast<int>(lote.size()), nullptr, nullptr, XML_PARSE_NONET);
    benchmark::DoNotOptimize(doc);
    xmlFreeDoc(doc);
  }
}
BENCHMARK(BM_LibxmlSoParse)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return moxbench::RunWithRatios(
      argc, argv,
      {{"50 notas por índice (uma consulta por índice / cache do lote)", {"BM_NotasPorIndice", "BM_NotasPorIndiceConsultaCada"}},
       {"Chaves do lote (libxml2 direto / ListaChavesLogEnv)", {"BM_ListaChavesLogEnv", "BM_LibxmlIdsDoLote"}},
       {"Cada nota assinada do lote (consulta por nota / AchaNFeAssinadaLogEnvio)",
        {"BM_AchaCadaNFeAssinada", "BM_ConsultaNotasPorChave"}},
       {"Lote já lido (só o parse do libxml2 / 50 buscas)", {"BM_AchaCadaNFeAssinada", "BM_LibxmlSoParse"}},
       {"Lote novo a cada vez (só o parse do libxml2 / 50 buscas)",
        {"BM_AchaCadaNFeAssinadaLoteNovo", "BM_LibxmlSoParse"}}});
}
