// The whole rejection rule set of manual 5.0a on a saved 20-item note of the 3.10 layout, beside
// saving that same note without rules (entering its TX2 lines and Salvar, which checks every
// record, computes the key and converts the note to XML): the rules should cost less than the
// save they guard. Prints save/rules.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "BenchRatio.h"
#include "base/moxEnumTexts.h"
#include "datasets/TmoxNFeConvTXTDataSet.h"
#include "datasets/TmoxNFeDataSets.h"
#include "external/FileIO.h"
#include "rules/TmoxControllerRulesNFe.h"

namespace {

constexpr int kItens = 20;
constexpr mox::TVersaoEsquema kEsquema = mox::TVersaoEsquema::pl_008i1;

std::string Dicionario() {
  return std::string(MOXNFE_SOURCE_DIR) + "/data/Templates/" +
         mox::PastaVersaoManual(mox::GetVersaoManualDoEsquema(kEsquema)) + "/Conversor/NFeDataSets.xml";
}

std::vector<std::string> Linhas(const std::string& aTexto) {
  std::vector<std::string> linhas;
  std::istringstream entrada(aTexto);
  for (std::string linha; std::getline(entrada, linha);)
    if (!linha.empty()) linhas.push_back(linha);
  return linhas;
}

std::string Valor(const std::string& aTexto, const std::string& aCampo) {
  const size_t pos = aTexto.find("\n" + aCampo + "=") + aCampo.size() + 2;
  return aTexto.substr(pos, aTexto.find('\n', pos) - pos);
}

// The TX2 example sale with its item repeated kItens times and the totals to match.
std::vector<std::string> NotaDe20Itens() {
  const std::string exemplo = mox::ReadFileBytes(std::string(MOXNFE_SOURCE_DIR) + "/tests/fixtures/tx2/venda-simples.tx2");
  const size_t inicioItem = exemplo.find("INCLUIRITEM\n");
  const size_t fimItem = exemplo.find("SALVARITEM\n") + 11;
  std::string nota = exemplo.substr(0, inicioItem);
  const std::string item = exemplo.substr(inicioItem, fimItem - inicioItem);
  for (int i = 1; i <= kItens; ++i) {
    std::string numerado = item;
    numerado.replace(numerado.find("nItem_H02=1"), 11, "nItem_H02=" + std::to_string(i));
    nota += numerado;
  }
  nota += "SALVAR\n";
  for (const char* total : {"vBC_W03", "vICMS_W04", "vProd_W07", "vPIS_W13", "vCOFINS_W14", "vNF_W16"}) {
    const std::string atual = std::string(total) + "=" + Valor(exemplo, total);
    char novo[32];
    std::snprintf(novo, sizeof novo, "%.2f", std::atof(Valor(exemplo, total).c_str()) * kItens);
    nota.replace(nota.find(atual), atual.size(), std::string(total) + "=" + novo);
  }
  return Linhas(nota);
}

void Preenche(mox::TmoxNFeDataSets& aDS, const std::vector<std::string>& aLinhas) {
  aDS.SetLoteNFe({});
  for (size_t i = 0; i < aLinhas.size(); ++i) mox::ExecutaLinhaTX2(aDS, aLinhas[i], i, {});
}

void BM_SalvarSemRegras(benchmark::State& aState) {
  const std::vector<std::string> linhas = NotaDe20Itens();
  mox::TmoxNFeDataSets ds;
  ds.SetVersaoEsquema(kEsquema);
  ds.SetXMLDicionario(Dicionario());
  for (auto _ : aState) {
    Preenche(ds, linhas);
    benchmark::DoNotOptimize(ds.LoteNFe().back().data());
  }
}
BENCHMARK(BM_SalvarSemRegras)->Unit(benchmark::kMicrosecond);

void BM_RegrasVM50a(benchmark::State& aState) {
  const std::vector<std::string> linhas = NotaDe20Itens();
  mox::TmoxNFeDataSets ds;
  ds.SetVersaoEsquema(kEsquema);
  ds.SetXMLDicionario(Dicionario());
  Preenche(ds, linhas);
  // The note's own day, so the clock rules judge it as on the day it was issued.
  mox::DateTimeParts emissao{2016, 8, 1, 10, 1, 0, 0};
  const mox::TDateTime agora = mox::EncodeDateTime(emissao);
  mox::TmoxControllerRulesNFe controlador;
  controlador.SetNFeDataSet(&ds.ActiveDSVersao());
  controlador.SetVersaoEsquema(kEsquema);
  controlador.SetRelogio([agora] { return agora; });
  try {
    controlador.AplicarRegras(mox::TTipoRegraKind::rkSefaz);
  } catch (const std::exception& e) {
    aState.SkipWithError(e.what());
    return;
  }
  for (auto _ : aState) controlador.AplicarRegras(mox::TTipoRegraKind::rkSefaz);
}
BENCHMARK(BM_RegrasVM50a)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return moxbench::RunWithRatios(argc, argv,
                                 {{"salvar a nota de 20 itens / as 183 regras do 5.0a nela",
                                   {"BM_RegrasVM50a", "BM_SalvarSemRegras"}}});
}
