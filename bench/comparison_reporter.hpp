#pragma once

// A console reporter that also keeps each benchmark's median, so that a program can
// print its figures side by side once every benchmark has run: a figure beside its
// reference, and the ratio of the two, all measured in the same run.
//
// With --benchmark_repetitions=N the console shows only the aggregates (mean, median,
// standard deviation, coefficient of variation) of each benchmark; the median and the
// spread of the repetitions (fastest and slowest) are kept. Without repetitions the
// single run stands in for the median.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvane::bench {

class ComparisonReporter final : public benchmark::ConsoleReporter {
 public:
  // Colours only on a terminal, so that a log or a pipe gets plain text.
  ComparisonReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

  struct Figure {
    double median = 0;  // CPU time per iteration, nanoseconds
    double fastest = 0;
    double slowest = 0;
    int runs = 0;
    std::map<std::string, double> counters;  // of the last run
  };

  void ReportRuns(const std::vector<Run>& reports) override {
    std::vector<Run> shown;
    for (const Run& run : reports) {
      if (run.error_occurred) {
        shown.push_back(run);
        continue;
      }
      Samples& s = samples_[run.run_name.function_name];
      const double ns = run.GetAdjustedCPUTime() * nanosecondsPer(run.time_unit);
      if (run.run_type == Run::RT_Aggregate) {
        if (run.aggregate_name == "median") s.median = ns;
        shown.push_back(run);
      } else {
        s.times.push_back(ns);
        for (const auto& [name, counter] : run.counters) s.counters[name] = counter.value;
        if (run.repetitions <= 1) shown.push_back(run);
      }
    }
    if (!shown.empty()) ConsoleReporter::ReportRuns(shown);
  }

  // The figure of the benchmark named `name`; none when it did not run.
  std::optional<Figure> figure(const std::string& name) const {
    const auto it = samples_.find(name);
    if (it == samples_.end() || it->second.times.empty()) return std::nullopt;
    const Samples& s = it->second;
    Figure f;
    f.fastest = *std::min_element(s.times.begin(), s.times.end());
    f.slowest = *std::max_element(s.times.begin(), s.times.end());
    f.median = s.median.value_or(s.times.front());
    f.runs = static_cast<int>(s.times.size());
    f.counters = s.counters;
    return f;
  }

 private:
  struct Samples {
    std::vector<double> times;
    std::optional<double> median;
    std::map<std::string, double> counters;
  };

  static double nanosecondsPer(benchmark::TimeUnit unit) {
    switch (unit) {
      case benchmark::kSecond: return 1e9;
      case benchmark::kMillisecond: return 1e6;
      case benchmark::kMicrosecond: return 1e3;
      case benchmark::kNanosecond: return 1;
    }
    return 1;
  }

  std::map<std::string, Samples> samples_;
};

}  // namespace orvane::bench
