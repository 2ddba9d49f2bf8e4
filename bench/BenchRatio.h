#pragma once
// Runs the registered benchmarks and prints the ratio of two of them, so each benchmark shows
// how our code compares with its reference measured in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace moxbench {

class CollectingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& r : runs)
      if (!r.error_occurred) perIteration_[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  // Real time per iteration, in the unit the benchmark reports.
  double Time(const std::string& aName) const {
    auto it = perIteration_.find(aName);
    return it == perIteration_.end() ? 0.0 : it->second;
  }

 private:
  std::map<std::string, double> perIteration_;
};

// main() body: run everything, then print "aLabel: reference/ours" for each pair.
inline int RunWithRatios(int argc, char** argv,
                         const std::vector<std::pair<std::string, std::pair<std::string, std::string>>>& aPairs) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const auto& [label, names] : aPairs) {
    double ours = reporter.Time(names.first), reference = reporter.Time(names.second);
    if (ours > 0 && reference > 0)
      std::printf("%s: referência/nosso = %.2f (nosso %.3g, referência %.3g por iteração)\n", label.c_str(),
                  reference / ours, ours, reference);
  }
  benchmark::Shutdown();
  return 0;
}

}  // namespace moxbench
