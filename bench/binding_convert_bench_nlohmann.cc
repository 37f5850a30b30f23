// nlohmann::json doing the work of the record conversion benchmarks (an anchor), through the
// library's usual to_json / from_json functions.
#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>

#include "bench/binding_convert_workload.h"

namespace bench {

void to_json(nlohmann::json& out, const Item& item) {
  out = nlohmann::json{{"id", item.id},         {"title", item.title}, {"price", item.price},
                       {"active", item.active}, {"grade", item.grade}, {"tags", item.tags}};
}
void from_json(const nlohmann::json& in, Item& item) {
  in.at("id").get_to(item.id);
  in.at("title").get_to(item.title);
  in.at("price").get_to(item.price);
  in.at("active").get_to(item.active);
  in.at("grade").get_to(item.grade);
  in.at("tags").get_to(item.tags);
}
void to_json(nlohmann::json& out, const Shelf& shelf) {
  out = nlohmann::json{{"id", shelf.id}, {"name", shelf.name}, {"items", shelf.items}};
}
void from_json(const nlohmann::json& in, Shelf& shelf) {
  in.at("id").get_to(shelf.id);
  in.at("name").get_to(shelf.name);
  in.at("items").get_to(shelf.items);
}
void to_json(nlohmann::json& out, const Catalogue& catalogue) {
  out = nlohmann::json{
      {"account", catalogue.account}, {"owner", catalogue.owner}, {"shelves", catalogue.shelves}};
}
void from_json(const nlohmann::json& in, Catalogue& catalogue) {
  in.at("account").get_to(catalogue.account);
  in.at("owner").get_to(catalogue.owner);
  in.at("shelves").get_to(catalogue.shelves);
}

}  // namespace bench

namespace {

void BM_Convert_ToValue_Nlohmann(benchmark::State& state) {
  const bench::Catalogue& native = bench::SampleCatalogue();
  for (auto _ : state) {
    nlohmann::json value = native;
    benchmark::DoNotOptimize(value.size());
  }
}
BENCHMARK(BM_Convert_ToValue_Nlohmann)->Unit(benchmark::kMicrosecond);

void BM_Convert_FromValue_Nlohmann(benchmark::State& state) {
  const nlohmann::json value = bench::SampleCatalogue();
  for (auto _ : state) {
    bench::Catalogue back = value.get<bench::Catalogue>();
    benchmark::DoNotOptimize(back.shelves.size());
  }
}
BENCHMARK(BM_Convert_FromValue_Nlohmann)->Unit(benchmark::kMicrosecond);

void BM_Convert_RoundTrip_Nlohmann(benchmark::State& state) {
  const bench::Catalogue& native = bench::SampleCatalogue();
  for (auto _ : state) {
    const nlohmann::json value = native;
    bench::Catalogue back = value.get<bench::Catalogue>();
    benchmark::DoNotOptimize(back.shelves.size());
  }
}
BENCHMARK(BM_Convert_RoundTrip_Nlohmann)->Unit(benchmark::kMicrosecond);

}  // namespace
