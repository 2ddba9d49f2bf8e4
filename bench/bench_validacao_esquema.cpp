// Schema validation of an NF-e-sized document with the cached schema, against xmllint
// validating the same document from the command line.
#include <benchmark/benchmark.h>

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

void BM_XmllintSchema(benchmark::State& state) {
  const std::string cmd = "xmllint --noout --schema '" + Xsd() + "' '" + kDocument + "' 2>/dev/null";
  for (auto _ : state) {
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("xmllint failed");
  }
}
BENCHMARK(BM_XmllintSchema)->Unit(benchmark::kMicrosecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  return moxbench::RunWithRatios(argc, argv,
                                 {{"Validação NF-e 3.10 (xmllint / esquema em cache)",
                                   {"BM_ValidateSchemaCached", "BM_XmllintSchema/iterations:20"}}});
}
