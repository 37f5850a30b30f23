// nlohmann::json doing the work of the BindingProperty benchmarks (an anchor).
#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>

#include "bench/binding_bench_workload.h"

namespace {

using nlohmann::json;

void BuildStructure(json& value) {
  const auto& names = bench::MemberNames();
  value = json::object();
  for (int i = 0; i < bench::kStructureMembers; ++i)
    value[names[i]] = i;
}

void BuildCollection(json& value, bool mixed) {
  const auto& texts = bench::ShortTexts();
  value = json::array();
  for (int i = 0; i < bench::kCollectionElements; ++i) {
    switch (mixed ? bench::MixedKind(i) : 0) {
      case 0:
        value.push_back(i);
        break;
      case 1:
        value.push_back(i * 0.5);
        break;
      case 2:
        value.push_back((i & 4) != 0);
        break;
      default:
        value.push_back(texts[i % texts.size()]);
        break;
    }
  }
}

void BM_Structure_BuildDestroy_Nlohmann(benchmark::State& state) {
  for (auto _ : state) {
    json value;
    BuildStructure(value);
    benchmark::DoNotOptimize(value.size());
  }
}
BENCHMARK(BM_Structure_BuildDestroy_Nlohmann)->Unit(benchmark::kMicrosecond);

void BM_Structure_CopyDestroy_Nlohmann(benchmark::State& state) {
  json source;
  BuildStructure(source);
  for (auto _ : state) {
    json copy(source);
    benchmark::DoNotOptimize(copy.size());
  }
}
BENCHMARK(BM_Structure_CopyDestroy_Nlohmann)->Unit(benchmark::kMicrosecond);

void BM_Collection_BuildDestroy_Nlohmann(benchmark::State& state) {
  const bool mixed = state.range(0) != 0;
  for (auto _ : state) {
    json value;
    BuildCollection(value, mixed);
    benchmark::DoNotOptimize(value.size());
  }
}
BENCHMARK(BM_Collection_BuildDestroy_Nlohmann)
    ->ArgName("mixed")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

void BM_Collection_CopyDestroy_Nlohmann(benchmark::State& state) {
  json source;
  BuildCollection(source, state.range(0) != 0);
  for (auto _ : state) {
    json copy(source);
    benchmark::DoNotOptimize(copy.size());
  }
}
BENCHMARK(BM_Collection_CopyDestroy_Nlohmann)
    ->ArgName("mixed")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
