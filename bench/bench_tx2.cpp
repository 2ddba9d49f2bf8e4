// TX2 conversion of a 500-note file (10 items each): lines per second, peak heap and page faults,
// against filling the same notes through the data-set calls directly (no text to read). Then the
// streamed conversion of `moxnfe tx2 converter` on files of 500, 5,000 and 20,000 notes: time
// per note and the peak resident memory of a process that converts each file once; both stay
// flat when the work is linear and memory is bounded by a note.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "BenchRatio.h"
#include "datasets/TmoxNFeConvTXTDataSet.h"
#include "datasets/TmoxNFeDataSets.h"

namespace {

const std::string kDicionario = std::string(MOXNFE_SOURCE_DIR) + "/data/Templates/vm50a/Conversor/NFeDataSets.xml";

std::string LeExemplo() {
  std::ifstream in(std::string(MOXNFE_SOURCE_DIR) + "/tests/fixtures/tx2/venda-simples.tx2");
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// aNotas notes of 10 items, built from the simple-sale example by repeating its item.
std::string ArquivoDeNotas(int aNotas) {
  const std::string exemplo = LeExemplo();
  const size_t ini = exemplo.find("INCLUIRITEM"), fim = exemplo.find("SALVARITEM") + 11;
  const std::string cabecalho = exemplo.substr(0, ini), item = exemplo.substr(ini, fim - ini),
                    rodape = exemplo.substr(fim);
  std::string texto;
  for (int n = 1; n <= aNotas; ++n) {
    std::string nota = cabecalho;
    nota.replace(nota.find("nNF_B08=1\n"), 10, "nNF_B08=" + std::to_string(n) + "\n");
    for (int i = 1; i <= 10; ++i) {
      std::string it = item;
      it.replace(it.find("nItem_H02=1\n"), 12, "nItem_H02=" + std::to_string(i) + "\n");
      nota += it;
    }
    texto += nota + rodape;
  }
  return texto;
}

size_t HeapInUse() { return mallinfo2().uordblks; }

// Page faults of this process so far: fresh memory touched for the first time.
long FaltasDePagina() {
  struct rusage uso {};
  ::getrusage(RUSAGE_SELF, &uso);
  return uso.ru_minflt;
}

// Page faults per iteration since aInicio, as the benchmark's counter.
void ContaFaltas(benchmark::State& state, long aInicio) {
  state.counters["faltas_pag"] = static_cast<double>(FaltasDePagina() - aInicio) / static_cast<double>(state.iterations());
}

// One conversion of aTexto; the batch text's size.
size_t ConverteTexto(const std::string& aTexto, const mox::TmoxNFeConvTXTDataSet::TOnProgresso& aProgresso) {
  mox::TmoxNFeConvTXTDataSet conversor;
  conversor.SetVersaoEsquema(mox::TVersaoEsquema::pl_008i1);
  conversor.SetXMLDicionario(kDicionario);
  conversor.SetTXT(aTexto);
  conversor.OnProgresso = aProgresso;
  return conversor.Converter().size();
}

// Both benchmarks convert once before timing: the first conversion in a process also pays the
// dictionary's first reading and the heap's growth, which would fall on whichever runs first.
void BM_Tx2Converter(benchmark::State& state) {
  const std::string texto = ArquivoDeNotas(500);
  const auto linhas = static_cast<int64_t>(std::count(texto.begin(), texto.end(), '\n'));
  ConverteTexto(texto, {});
  size_t pico = 0;
  const long faltas = FaltasDePagina();
  for (auto _ : state) {
    const size_t base = HeapInUse();
    benchmark::DoNotOptimize(ConverteTexto(texto, [&](size_t aLinha, size_t) {
      if (aLinha % 512 == 0) pico = std::max(pico, HeapInUse() - base);
    }));
    pico = std::max(pico, HeapInUse() - base);
  }
  ContaFaltas(state, faltas);
  state.SetItemsProcessed(state.iterations() * linhas);
  state.counters["linhas/s"] = benchmark::Counter(static_cast<double>(state.iterations() * linhas), benchmark::Counter::kIsRate);
  state.counters["pico_MiB"] = static_cast<double>(pico) / (1 << 20);
}
BENCHMARK(BM_Tx2Converter)->Unit(benchmark::kMillisecond)->Iterations(3);

// The notes of aLinhas (command or field, value) through the facade calls; the batch's size.
size_t PreencheDireto(const std::vector<std::pair<std::string, std::string>>& aLinhas) {
  mox::TmoxNFeDataSets ds;
  ds.SetVersaoEsquema(mox::TVersaoEsquema::pl_008i1);
  ds.SetXMLDicionario(kDicionario);
  for (const auto& [chave, valor] : aLinhas) {
    if (chave == "INCLUIR") ds.Incluir();
    else if (chave == "INCLUIRITEM") ds.IncluirItem();
    else if (chave == "SALVARITEM") ds.SalvarItem();
    else if (chave == "SALVAR") ds.Salvar();
    else ds.Campo(chave).SetAsString(valor);
  }
  return ds.LoteNFe().size();
}

// The same notes through the facade calls, the lines already split into commands and values.
void BM_PreenchimentoDireto(benchmark::State& state) {
  const std::string texto = ArquivoDeNotas(500);
  std::vector<std::pair<std::string, std::string>> linhas;
  std::istringstream in(texto);
  for (std::string l; std::getline(in, l);) {
    const size_t igual = l.find('=');
    linhas.emplace_back(l.substr(0, igual), igual == std::string::npos ? "" : l.substr(igual + 1));
  }
  PreencheDireto(linhas);
  const long faltas = FaltasDePagina();
  for (auto _ : state) benchmark::DoNotOptimize(PreencheDireto(linhas));
  ContaFaltas(state, faltas);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(linhas.size()));
}
BENCHMARK(BM_PreenchimentoDireto)->Unit(benchmark::kMillisecond)->Iterations(3);

// The file of aNotas notes, written once into the temporary folder.
std::string ArquivoEmDisco(int aNotas) {
  const std::string caminho =
      (std::filesystem::temp_directory_path() / ("moxnfe-bench-tx2-" + std::to_string(aNotas) + ".tx2")).string();
  if (!std::filesystem::exists(caminho)) std::ofstream(caminho, std::ios::binary) << ArquivoDeNotas(aNotas);
  return caminho;
}

// One streamed conversion, as the command line does it; the bytes of the notes written.
size_t ConverteEmFluxo(const std::string& aArquivo) {
  mox::TmoxNFeConvTXTDataSet conversor;
  conversor.SetVersaoEsquema(mox::TVersaoEsquema::pl_008i1);
  conversor.SetXMLDicionario(kDicionario);
  conversor.SetArquivoTX2(aArquivo);
  size_t bytes = 0;
  conversor.ConverterArquivo([&](const std::string& aNota) { bytes += aNota.size(); });
  return bytes;
}

void BM_Tx2EmFluxo(benchmark::State& state) {
  const std::string arquivo = ArquivoEmDisco(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(ConverteEmFluxo(arquivo));
  state.counters["tempo/nota"] =
      benchmark::Counter(static_cast<double>(state.range(0)) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}
BENCHMARK(BM_Tx2EmFluxo)->Arg(500)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(1);

constexpr const char* kSoConverter = "--so-converter";

// The high-water mark of this process's resident memory (KiB), from /proc/self/status.
long PicoDesteProcesso() {
  std::ifstream status("/proc/self/status");
  for (std::string linha; std::getline(status, linha);)
    if (linha.rfind("VmHWM:", 0) == 0) return std::stol(linha.substr(6));
  return -1;
}

// Peak resident memory (KiB) of a fresh run of this program that converts aArquivo (nothing when
// empty), as that run reports it. Not the child's rusage: a child's maxrss counts the pages it
// shared with this process before its exec (the benchmarks' data, the TX2 text just built).
long PicoDeRss(const std::string& aArquivo) {
  std::error_code erro;
  const std::string programa = std::filesystem::read_symlink("/proc/self/exe", erro).string();
  const std::string comando = "'" + programa + "' " + kSoConverter + " '" + aArquivo + "'";
  FILE* saida = ::popen(comando.c_str(), "r");
  long pico = -1;
  if (saida == nullptr || std::fscanf(saida, "%ld", &pico) != 1 || ::pclose(saida) != 0 || pico < 0) {
    std::fprintf(stderr, "a conversão medida falhou: %s\n", comando.c_str());
    std::exit(1);
  }
  return pico;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == kSoConverter) {
    if (argv[2][0] != '\0') benchmark::DoNotOptimize(ConverteEmFluxo(argv[2]));
    std::printf("%ld\n", PicoDesteProcesso());
    return 0;
  }
  const int saida = moxbench::RunWithRatios(argc, argv,
                                            {{"TX2 de 500 notas (preenchimento direto / conversor TX2)",
                                              {"BM_Tx2Converter/iterations:3", "BM_PreenchimentoDireto/iterations:3"}}});
  const long vazio = PicoDeRss("");
  for (int notas : {500, 5000, 20000}) {
    const std::string arquivo = ArquivoEmDisco(notas);
    std::printf("Conversão em fluxo de %d notas: pico de RSS %.1f MiB (processo sem conversão %.1f MiB)\n", notas,
                static_cast<double>(PicoDeRss(arquivo)) / 1024,
                static_cast<double>(vazio) / 1024);
    std::filesystem::remove(arquivo);
  }
  return saida;
}
