// RapidJSON's Document doing the work of the BindingProperty benchmarks (an anchor). Its objects
// keep members unordered and unchecked for duplicates, so it does less than the others.
#include <benchmark/benchmark.h>

#include <rapidjson/document.h>

#include "bench/binding_bench_workload.h"

namespace {

using rapidjson::Document;
using rapidjson::Value;

void BuildStructure(Document& document) {
  const auto& names = bench::MemberNames();
  auto& allocator = document.GetAllocator();
  document.SetObject();
  for (int i = 0; i < bench::kStructureMembers; ++i) {
    document.AddMember(
        Value(names[i].c_str(), static_cast<rapidjson::SizeType>(names[i].size()), allocator),
        Value(i), allocator);
  }
}

void BuildCollection(Document& document, bool mixed) {
  const auto& texts = bench::ShortTexts();
  auto& allocator = document.GetAllocator();
  document.SetArray();
  for (int i = 0; i < bench::kCollectionElements; ++i) {
    switch (mixed ? bench::MixedKind(i) : 0) {
      case 0:
        document.PushBack(Value(i), allocator);
        break;
      case 1:
        document.PushBack(Value(i * 0.5), allocator);
        break;
      case 2:
        document.PushBack(Value((i & 4) != 0), allocator);
        break;
      default: {
        const std::string& text = texts[i % texts.size()];
        document.PushBack(
            Value(text.c_str(), static_cast<rapidjson::SizeType>(text.size()), allocator),
            allocator);
        break;
      }
    }
  }
}

void BM_Structure_BuildDestroy_RapidJson(benchmark::State& state) {
  for (auto _ : state) {
    Document document;
    BuildStructure(document);
    benchmark::DoNotOptimize(document.MemberCount());
  }
}
BENCHMARK(BM_Structure_BuildDestroy_RapidJson)->Unit(benchmark::kMicrosecond);

void BM_Structure_CopyDestroy_RapidJson(benchmark::State& state) {
  Document source;
  BuildStructure(source);
  for (auto _ : state) {
    Document copy;
    copy.CopyFrom(source, copy.GetAllocator());
    benchmark::DoNotOptimize(copy.MemberCount());
  }
}
BENCHMARK(BM_Structure_CopyDestroy_RapidJson)->Unit(benchmark::kMicrosecond);

void BM_Collection_BuildDestroy_RapidJson(benchmark::State& state) {
  const bool mixed = state.range(0) != 0;
  for (auto _ : state) {
    Document document;
    BuildCollection(document, mixed);
    benchmark::DoNotOptimize(document.Size());
  }
}
BENCHMARK(BM_Collection_BuildDestroy_RapidJson)
    ->ArgName("mixed")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

void BM_Collection_CopyDestroy_RapidJson(benchmark::State& state) {
  Document source;
  BuildCollection(source, state.range(0) != 0);
  for (auto _ : state) {
    Document copy;
    copy.CopyFrom(source, copy.GetAllocator());
    benchmark::DoNotOptimize(copy.Size());
  }
}
BENCHMARK(BM_Collection_CopyDestroy_RapidJson)
    ->ArgName("mixed")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
