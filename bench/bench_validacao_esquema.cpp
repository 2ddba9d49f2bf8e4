// Schema validation of an NF-e-sized document with the cached schema, against libxml2 itself in
// the same process: the schema compiled once, each document parsed and validated against it. The
// ratio is what our checks and error collection add to the validation a program cannot avoid.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/xmlschemas.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "BenchRatio.h"
#include "external/TmoxKivoUtils.h"

namespace {

std::string SchemasDir() {
  const char* d = std::getenv("MOXNFE_SCHEMAS");
  return d ? d : "../shared/schemas";
}

const std::string kDocument = std::string(MOXNFE_SOURCE_DIR) + "/tests/fixtures/xml/nfe310-assinada-ficticia.xml";

std::string Xsd() { return SchemasDir() + "/PL_008i2/nfe_v3.10.xsd"; }

void BM_ValidateSchemaCached(benchmark::State& state) {
  std::ifstream in(kDocument);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string xml = ss.str();
  mox::TmoxKivoUtils utils;
  utils.ValidateSchema(xml, mox::TmoxKivoUtils::kNFeNamespace, Xsd());  // warm the cache
  for (auto _ : state) benchmark::DoNotOptimize(utils.ValidateSchema(xml, mox::TmoxKivoUtils::kNFeNamespace, Xsd()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * xml.size()));
}
BENCHMARK(BM_ValidateSchemaCached)->Unit(benchmark::kMicrosecond);

// Compiled before main, with libxml2's own loader: ours, once set up, reads schema files only
// while it compiles one.
struct EsquemaDeReferencia {
  xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(Xsd().c_str());
  xmlSchemaPtr schema = parser ? xmlSchemaParse(parser) : nullptr;
};
const EsquemaDeReferencia kReferencia;

void BM_LibxmlEsquemaCompilado(benchmark::State& state) {
  std::ifstream in(kDocument);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string xml = ss.str();
  xmlSchemaValidCtxtPtr valid = kReferencia.schema ? xmlSchemaNewValidCtxt(kReferencia.schema) : nullptr;
  if (!valid) state.SkipWithError("esquema não compilado");
  for (auto _ : state) {
    if (!valid) break;
    xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, XML_PARSE_NONET);
    if (!doc || xmlSchemaValidateDoc(valid, doc) != 0) state.SkipWithError("documento inválido");
    xmlFreeDoc(doc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * xml.size()));
  if (valid) xmlSchemaFreeValidCtxt(valid);
}
BENCHMARK(BM_LibxmlEsquemaCompilado)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return moxbench::RunWithRatios(argc, argv,
                                 {{"Validação NF-e 3.10 (libxml2 com esquema compilado / esquema em cache)",
                                   {"BM_ValidateSchemaCached", "BM_LibxmlEsquemaCompilado"}}});
}
