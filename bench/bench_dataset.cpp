// The in-memory data set against a naive table (a vector of std::map records): appending and
// posting 100 000 records of 40 text fields, and walking 10 000 masters with 5 details each.
// Prints records per second and the peak heap per record.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <charconv>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "BenchRatio.h"
#include "datasets/TmoxDataSet.h"

namespace {

constexpr int kRecords = 100000;
constexpr int kFields = 40;
constexpr int kMasters = 10000;
constexpr int kDetailsPerMaster = 5;

const std::vector<std::string>& FieldNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (int f = 0; f < kFields; ++f) n.push_back("campo" + std::to_string(f) + "_X" + std::to_string(f));
    return n;
  }();
  return names;
}

// "valor-<record>-<field>", written into a reused buffer so both tables pay the same small cost.
const std::string& ValueOf(int aRecord, int aField) {
  static std::string buffer;
  char digits[32];
  buffer.assign("valor-");
  buffer.append(digits, std::to_chars(digits, digits + sizeof digits, aRecord).ptr);
  buffer += '-';
  buffer.append(digits, std::to_chars(digits, digits + sizeof digits, aField).ptr);
  return buffer;
}

size_t HeapInUse() { return mallinfo2().uordblks; }

// Highest heap in use seen by Sample, above the level at construction.
class HeapPeak {
 public:
  HeapPeak() : base_(HeapInUse()) {}
  void Sample() { peak_ = std::max(peak_, HeapInUse()); }
  size_t Bytes() const { return peak_ > base_ ? peak_ - base_ : 0; }

 private:
  size_t base_, peak_ = 0;
};

void Report(benchmark::State& state, int64_t aRecordsPerIteration, size_t aHeapBytes, int64_t aHeapRecords) {
  state.counters["registros/s"] =
      benchmark::Counter(static_cast<double>(aRecordsPerIteration) * state.iterations(), benchmark::Counter::kIsRate);
  state.counters["pico bytes/registro"] = static_cast<double>(aHeapBytes) / static_cast<double>(aHeapRecords);
}

void BM_AppendPost_DataSet(benchmark::State& state) {
  size_t heap = 0;
  for (auto _ : state) {
    HeapPeak peak;
    mox::TmoxDataSet ds("T");
    for (const auto& name : FieldNames()) ds.AddField(name, mox::TFieldType::ftString, 60);
    ds.Open();
    for (int r = 0; r < kRecords; ++r) {
      ds.Append();
      for (int f = 0; f < kFields; ++f) ds.FieldByName(FieldNames()[f]).SetAsString(ValueOf(r, f));
      ds.Post();
      if (r % 1000 == 999) peak.Sample();
    }
    peak.Sample();
    heap = peak.Bytes();
    benchmark::DoNotOptimize(ds.RecordCount());
  }
  Report(state, kRecords, heap, kRecords);
}
BENCHMARK(BM_AppendPost_DataSet)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_AppendPost_MapTable(benchmark::State& state) {
  size_t heap = 0;
  for (auto _ : state) {
    HeapPeak peak;
    std::vector<std::map<std::string, std::string>> table;
    for (int r = 0; r < kRecords; ++r) {
      std::map<std::string, std::string> record;
      for (int f = 0; f < kFields; ++f) record[FieldNames()[f]] = ValueOf(r, f);
      table.push_back(std::move(record));
      if (r % 1000 == 999) peak.Sample();
    }
    peak.Sample();
    heap = peak.Bytes();
    benchmark::DoNotOptimize(table.size());
  }
  Report(state, kRecords, heap, kRecords);
}
BENCHMARK(BM_AppendPost_MapTable)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WalkMasterDetail_DataSet(benchmark::State& state) {
  const size_t before = HeapInUse();
  mox::TmoxDataSet master("H"), detail("I");
  master.AddField("handle", mox::TFieldType::ftString, 10);
  master.AddField("nItem_H02", mox::TFieldType::ftString, 3);
  detail.AddField("handle", mox::TFieldType::ftString, 10);
  detail.AddField("hItem", mox::TFieldType::ftString, 10);
  detail.AddField("xProd_I04", mox::TFieldType::ftString, 60);
  master.Open();
  detail.Open();
  mox::TmoxDataSource source(&master);
  detail.SetMasterSource(&source);
  detail.SetIndexFieldNames("hItem");
  detail.SetMasterFields("handle");
  int handle = 0;
  for (int m = 0; m < kMasters; ++m) {
    master.Append();
    master.FieldByName("handle").SetAsString(std::to_string(m));
    master.FieldByName("nItem_H02").SetAsString(std::to_string(m % 990 + 1));
    master.Post();
    for (int d = 0; d < kDetailsPerMaster; ++d) {
      detail.Append();
      detail.FieldByName("handle").SetAsString(std::to_string(++handle));
      detail.FieldByName("xProd_I04").SetAsString(ValueOf(m, d));
      detail.Post();
    }
  }
  const size_t heap = HeapInUse() - before;
  mox::TmoxField& product = detail.FieldByName("xProd_I04");
  for (auto _ : state) {
    size_t seen = 0;
    for (master.First(); !master.Eof(); master.Next())
      for (detail.First(); !detail.Eof(); detail.Next()) seen += product.TextView().size();
    benchmark::DoNotOptimize(seen);
  }
  Report(state, kMasters * (1 + kDetailsPerMaster), heap, kMasters * (1 + kDetailsPerMaster));
}
BENCHMARK(BM_WalkMasterDetail_DataSet)->Unit(benchmark::kMillisecond);

void BM_WalkMasterDetail_MapTable(benchmark::State& state) {
  using Record = std::map<std::string, std::string>;
  const size_t before = HeapInUse();
  std::vector<Record> masters, details;
  std::unordered_map<std::string, std::vector<size_t>> byMaster;
  int handle = 0;
  for (int m = 0; m < kMasters; ++m) {
    masters.push_back({{"handle", std::to_string(m)}, {"nItem_H02", std::to_string(m % 990 + 1)}});
    for (int d = 0; d < kDetailsPerMaster; ++d) {
      details.push_back(
          {{"handle", std::to_string(++handle)}, {"hItem", std::to_string(m)}, {"xProd_I04", ValueOf(m, d)}});
      byMaster[details.back()["hItem"]].push_back(details.size() - 1);
    }
  }
  const size_t heap = HeapInUse() - before;
  for (auto _ : state) {
    size_t seen = 0;
    for (auto& m : masters)
      for (size_t d : byMaster[m["handle"]]) seen += details[d]["xProd_I04"].size();
    benchmark::DoNotOptimize(seen);
  }
  Report(state, kMasters * (1 + kDetailsPerMaster), heap, kMasters * (1 + kDetailsPerMaster));
}
BENCHMARK(BM_WalkMasterDetail_MapTable)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return moxbench::RunWithRatios(argc, argv,
                                 {{"Inclusão de 100 000 registros x 40 campos (mapas / DataSet)",
                                   {"BM_AppendPost_DataSet/iterations:3", "BM_AppendPost_MapTable/iterations:3"}},
                                  {"Percurso mestre-detalhe 10 000 x 5 (mapas / DataSet)",
                                   {"BM_WalkMasterDetail_DataSet", "BM_WalkMasterDetail_MapTable"}}});
}
