// BindingProperty building, copying and destroying a wide structure and a long collection; the
// anchors (nlohmann::json, RapidJSON's Document) do the same work in their own sources.
#include <benchmark/benchmark.h>

#include "bench/binding_bench_workload.h"
#include "bench/page_reserve.h"
#include "sdk/binding/binding_property.h"

namespace {

using Vorn::BindingProperty;

void BuildStructure(BindingProperty& value) {
  const auto& names = bench::MemberNames();
  for (int i = 0; i < bench::kStructureMembers; ++i)
    value.MemberAt(names[i]).SetSigned(i);
}

void BuildCollection(BindingProperty& value, bool mixed) {
  const auto& texts = bench::ShortTexts();
  value.MakeCollection();
  for (int i = 0; i < bench::kCollectionElements; ++i) {
    BindingProperty& element = value.Append();
    switch (mixed ? bench::MixedKind(i) : 0) {
      case 0:
        element.SetSigned(i);
        break;
      case 1:
        element.SetFloat(i * 0.5);
        break;
      case 2:
        element.SetBool((i & 4) != 0);
        break;
      default:
        element.SetString(texts[i % texts.size()]);
        break;
    }
  }
}

void BM_Structure_BuildDestroy_Binding(benchmark::State& state) {
  for (auto _ : state) {
    BindingProperty value;
    BuildStructure(value);
    benchmark::DoNotOptimize(value.Size());
  }
}
BENCHMARK(BM_Structure_BuildDestroy_Binding)->Unit(benchmark::kMicrosecond);

// Diagnostic: the same with the page source's regions kept mapped, so that the difference to
// the row above is what mapping and unmapping regions costs.
void BM_Structure_BuildDestroy_BindingReservedPages(benchmark::State& state) {
  const bench::PageRegionReserve reserve(bench::kReservedPages);
  for (auto _ : state) {
    BindingProperty value;
    BuildStructure(value);
    benchmark::DoNotOptimize(value.Size());
  }
}
BENCHMARK(BM_Structure_BuildDestroy_BindingReservedPages)->Unit(benchmark::kMicrosecond);

void BM_Structure_CopyDestroy_Binding(benchmark::State& state) {
  BindingProperty source;
  BuildStructure(source);
  for (auto _ : state) {
    BindingProperty copy(source);
    benchmark::DoNotOptimize(copy.Size());
  }
}
BENCHMARK(BM_Structure_CopyDestroy_Binding)->Unit(benchmark::kMicrosecond);

void BM_Structure_CopyDestroy_BindingReservedPages(benchmark::State& state) {
  BindingProperty source;
  BuildStructure(source);
  const bench::PageRegionReserve reserve(bench::kReservedPages);
  for (auto _ : state) {
    BindingProperty copy(source);
    benchmark::DoNotOptimize(copy.Size());
  }
}
BENCHMARK(BM_Structure_CopyDestroy_BindingReservedPages)->Unit(benchmark::kMicrosecond);

void BM_Collection_BuildDestroy_Binding(benchmark::State& state) {
  const bool mixed = state.range(0) != 0;
  for (auto _ : state) {
    BindingProperty value;
    BuildCollection(value, mixed);
    benchmark::DoNotOptimize(value.Size());
  }
}
BENCHMARK(BM_Collection_BuildDestroy_Binding)
    ->ArgName("mixed")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

void BM_Collection_CopyDestroy_Binding(benchmark::State& state) {
  BindingProperty source;
  BuildCollection(source, state.range(0) != 0);
  for (auto _ : state) {
    BindingProperty copy(source);
    benchmark::DoNotOptimize(copy.Size());
  }
}
BENCHMARK(BM_Collection_CopyDestroy_Binding)
    ->ArgName("mixed")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
