// XML back to data sets: an authorized nfeProc of 50 items read into fresh invoice data sets
// (every group, the save and the regenerated infNFe), against a plain libxml2 parse of the same
// document in the same run.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <fstream>
#include <sstream>
#include <string>

#include "BenchRatio.h"
#include "datasets/TmoxNFeConvTXTDataSet.h"
#include "datasets/TmoxNFeConverter.h"

namespace {

const std::string kTemplates = std::string(MOXNFE_SOURCE_DIR) + "/data/Templates/vm50a";

// The simple-sale example with its item repeated 50 times, as an nfeProc with its protocol.
std::string NfeProc50Itens() {
  std::ifstream in(std::string(MOXNFE_SOURCE_DIR) + "/tests/fixtures/tx2/venda-simples.tx2");
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string exemplo = ss.str();
  const size_t ini = exemplo.find("INCLUIRITEM"), fim = exemplo.find("SALVARITEM") + 11;
  std::string texto = exemplo.substr(0, ini);
  for (int i = 1; i <= 50; ++i) {
    std::string item = exemplo.substr(ini, fim - ini);
    item.replace(item.find("nItem_H02=1\n"), 12, "nItem_H02=" + std::to_string(i) + "\n");
    texto += item;
  }
  texto += exemplo.substr(fim);
  mox::TmoxNFeConvTXTDataSet tx2;
  tx2.SetVersaoEsquema(mox::TVersaoEsquema::pl_008i1);
  tx2.SetXMLDicionario(kTemplates + "/Conversor/NFeDataSets.xml");
  tx2.SetTXT(texto);
  std::string infNFe = tx2.Converter();
  infNFe.erase(infNFe.find("\r\n"));
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><nfeProc xmlns=\"http://www.portalfiscal.inf.br/nfe\" "
         "versao=\"3.10\"><NFe>" + infNFe +
         "</NFe><protNFe versao=\"3.10\"><infProt><tpAmb>2</tpAmb><verAplic>SP_NFE_PL_008i2</verAplic>"
         "<chNFe>35160812345678000195550010000000011100000018</chNFe><dhRecbto>2016-08-01T10:01:00-03:00</dhRecbto>"
         "<nProt>135160000000001</nProt><digVal>abc=</digVal><cStat>100</cStat>"
         "<xMotivo>Autorizado o uso da NF-e</xMotivo></infProt></protNFe></nfeProc>";
}

void BM_XmlParaDataSets(benchmark::State& state) {
  const std::string xml = NfeProc50Itens();
  mox::TmoxNFeConverter conversor;
  conversor.SetDiretorioTemplates(kTemplates);
  for (auto _ : state) {
    auto ds = conversor.ConvertXmlToDataSet(xml, "3.10", mox::TVersaoEsquema::pl_008i1, false);
    benchmark::DoNotOptimize(ds->LoteNFe().size());
  }
  state.counters["bytes"] = static_cast<double>(xml.size());
}
BENCHMARK(BM_XmlParaDataSets)->Unit(benchmark::kMicrosecond);

// The part of every conversion that does not depend on the note: fresh data sets and their dictionary.
void BM_CargaDoDicionario(benchmark::State& state) {
  for (auto _ : state) {
    mox::TmoxNFeDataSets ds;
    ds.SetVersaoEsquema(mox::TVersaoEsquema::pl_008i1);
    ds.SetXMLDicionario(kTemplates + "/Conversor/NFeDataSets.xml");
    benchmark::DoNotOptimize(ds.ListDataSets().size());
  }
}
BENCHMARK(BM_CargaDoDicionario)->Unit(benchmark::kMicrosecond);

void BM_ParseLibxml2(benchmark::State& state) {
  const std::string xml = NfeProc50Itens();
  for (auto _ : state) {
    xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, XML_PARSE_NONET);
    benchmark::DoNotOptimize(doc);
    xmlFreeDoc(doc);
  }
}
BENCHMARK(BM_ParseLibxml2)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return moxbench::RunWithRatios(argc, argv,
                                 {{"nfeProc de 50 itens (parse libxml2 / XML para data sets)",
                                   {"BM_XmlParaDataSets", "BM_ParseLibxml2"}}});
}
