// The console output as usual, plus the best CPU time per iteration of every row, from which a
// program prints its ratios once all rows have run. With --benchmark_report_aggregates_only the
// single repetitions are not reported; the median of the repetitions stands in for them.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace bench {

class BestTimeReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type != Run::RT_Iteration && !median) continue;
      // An aggregate's time is already per iteration.
      const double seconds =
          median ? run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit)
                 : run.cpu_accumulated_time / static_cast<double>(run.iterations);
      auto [it, inserted] = best_.emplace(run.run_name.function_name, seconds);
      if (!inserted) it->second = std::min(it->second, seconds);
    }
  }

 protected:
  // Row name to its best seconds per iteration.
  const std::map<std::string, double>& best() const { return best_; }

 private:
  std::map<std::string, double> best_;
};

}  // namespace bench
