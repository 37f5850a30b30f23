// Native records to BindingProperty and back through the registry's converters; the anchors
// (nlohmann::json, RapidJSON's Document) do the same work in their own sources.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "bench/binding_convert_workload.h"
#include "bench/page_reserve.h"
#include "sdk/binding/type_builder.h"

namespace {

using Vorn::BindingProperty;
using Vorn::BindingRegistry;
using Vorn::BindingResult;

const BindingRegistry& Registry() {
  static const BindingRegistry* registry = [] {
    auto* made = new BindingRegistry();
    made->BeginEnum<bench::Grade>("Grade")
        .AddEnumValue("Common", bench::Grade::kCommon)
        .AddEnumValue("Rare", bench::Grade::kRare)
        .AddEnumValue("Epic", bench::Grade::kEpic);
    made->BeginType<bench::Item>("Item")
        .AddField("id", &bench::Item::id)
        .AddField("title", &bench::Item::title)
        .AddField("price", &bench::Item::price)
        .AddField("active", &bench::Item::active)
        .AddField("grade", &bench::Item::grade)
        .AddField("tags", &bench::Item::tags);
    made->BeginType<bench::Shelf>("Shelf")
        .AddField("id", &bench::Shelf::id)
        .AddField("name", &bench::Shelf::name)
        .AddField("items", &bench::Shelf::items);
    made->BeginType<bench::Catalogue>("Catalogue")
        .AddField("account", &bench::Catalogue::account)
        .AddField("owner", &bench::Catalogue::owner)
        .AddField("shelves", &bench::Catalogue::shelves);
    return made;
  }();
  return *registry;
}

BindingResult Convert(const bench::Catalogue& native) {
  BindingResult result;
  Vorn::ToValue(result, native, Registry());
  if (!result.Ok()) std::abort();
  return result;
}

void BM_Convert_ToValue_Binding(benchmark::State& state) {
  const bench::Catalogue& native = bench::SampleCatalogue();
  for (auto _ : state) {
    BindingResult result = Convert(native);
    benchmark::DoNotOptimize(result.Value().Size());
  }
}
BENCHMARK(BM_Convert_ToValue_Binding)->Unit(benchmark::kMicrosecond);

// Diagnostic: the same with the page source's regions kept mapped.
void BM_Convert_ToValue_BindingReservedPages(benchmark::State& state) {
  const bench::Catalogue& native = bench::SampleCatalogue();
  const bench::PageRegionReserve reserve(bench::kReservedPages);
  for (auto _ : state) {
    BindingResult result = Convert(native);
    benchmark::DoNotOptimize(result.Value().Size());
  }
}
BENCHMARK(BM_Convert_ToValue_BindingReservedPages)->Unit(benchmark::kMicrosecond);

void BM_Convert_FromValue_Binding(benchmark::State& state) {
  const BindingResult value = Convert(bench::SampleCatalogue());
  for (auto _ : state) {
    bench::Catalogue back;
    BindingResult result;
    Vorn::FromValue(result, back, value.Value(), "<value>", Registry());
    if (!result.Ok()) std::abort();
    benchmark::DoNotOptimize(back.shelves.size());
  }
}
BENCHMARK(BM_Convert_FromValue_Binding)->Unit(benchmark::kMicrosecond);

void BM_Convert_RoundTrip_Binding(benchmark::State& state) {
  const bench::Catalogue& native = bench::SampleCatalogue();
  for (auto _ : state) {
    const BindingResult value = Convert(native);
    bench::Catalogue back;
    BindingResult result;
    Vorn::FromValue(result, back, value.Value(), "<value>", Registry());
    if (!result.Ok()) std::abort();
    benchmark::DoNotOptimize(back.shelves.size());
  }
}
BENCHMARK(BM_Convert_RoundTrip_Binding)->Unit(benchmark::kMicrosecond);

}  // namespace
