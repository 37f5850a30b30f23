// codec_bench's main: registers the rows of every library file in a fixed order (operation,
// file, the SDK rows first, then their anchors), runs them, and ends with the ratio of each SDK
// row's throughput to each anchor's, taken from the fastest repetition of each.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "bench/best_time_reporter.h"
#include "bench/codec_rows.h"

namespace bench {
namespace {

// "sdk" and its variants ("sdk-...") are measured; every other library is an anchor.
bool IsSdk(const std::string& library) {
  return library.compare(0, 3, "sdk") == 0 && (library.size() == 3 || library[3] == '-');
}

struct Row {
  std::string operation;
  std::string library;
  const std::vector<CorpusFile>& (*corpus)();
  RowBody body;
};

std::vector<Row>& Rows() {
  static std::vector<Row> rows;
  return rows;
}

// Each SDK row next to every anchor of the same operation and file.
class RatioReporter final : public BestTimeReporter {
 public:
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-50s %-12s %s\n", "sdk row", "anchor", "throughput ratio (sdk / anchor)");
    for (const auto& [name, seconds] : best()) {
      const auto [operation, file, library] = Split(name);
      if (!IsSdk(library)) continue;
      for (const auto& [other, other_seconds] : best()) {
        const auto [other_operation, other_file, other_library] = Split(other);
        if (other_operation != operation || other_file != file || IsSdk(other_library)) {
          continue;
        }
        std::printf("%-50s %-12s %.2fx\n", name.c_str(), other_library.c_str(),
                    other_seconds / seconds);
      }
    }
  }

 private:
  static std::tuple<std::string, std::string, std::string> Split(const std::string& name) {
    const size_t first = name.find('/');
    const size_t last = name.rfind('/');
    if (first == std::string::npos || first == last) return {name, "", ""};
    return {name.substr(0, first), name.substr(first + 1, last - first - 1), name.substr(last + 1)};
  }
};

void RegisterRows() {
  std::vector<Row>& rows = Rows();
  std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
    return std::make_tuple(a.operation, !IsSdk(a.library), a.library) <
           std::make_tuple(b.operation, !IsSdk(b.library), b.library);
  });
  // Operation by operation, each file's rows side by side.
  for (size_t begin = 0; begin < rows.size();) {
    size_t end = begin;
    while (end < rows.size() && rows[end].operation == rows[begin].operation)
      ++end;
    for (const CorpusFile& file : rows[begin].corpus()) {
      for (size_t i = begin; i < end; ++i) {
        const Row& row = rows[i];
        const std::string name = row.operation + "/" + file.name + "/" + row.library;
        benchmark::RegisterBenchmark(name.c_str(), [body = row.body,
                                                    &file](benchmark::State& state) {
          body(state, file);
        })->Unit(benchmark::kMillisecond);
      }
    }
    begin = end;
  }
}

}  // namespace

bool AddCodecRow(const char* operation, const char* library,
                 const std::vector<CorpusFile>& (*corpus)(), RowBody body) {
  Rows().push_back(Row{operation, library, corpus, body});
  return true;
}

}  // namespace bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench::RegisterRows();
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
