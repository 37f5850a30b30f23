// RapidJSON's Document doing the work of the record conversion benchmarks (an anchor): members
// added and found by hand, names as constant references, no range checks.
#include <benchmark/benchmark.h>

#include <rapidjson/document.h>

#include <cstdlib>

#include "bench/binding_convert_workload.h"

namespace {

using rapidjson::Document;
using rapidjson::SizeType;
using rapidjson::StringRef;
using rapidjson::Value;
using Allocator = Document::AllocatorType;

Value Text(const std::string& text, Allocator& allocator) {
  return Value(text.c_str(), static_cast<SizeType>(text.size()), allocator);
}

Value ToJson(const bench::Item& item, Allocator& allocator) {
  Value out(rapidjson::kObjectType);
  out.AddMember("id", item.id, allocator);
  out.AddMember("title", Text(item.title, allocator), allocator);
  out.AddMember("price", item.price, allocator);
  out.AddMember("active", item.active, allocator);
  out.AddMember("grade", static_cast<int32_t>(item.grade), allocator);
  Value tags(rapidjson::kArrayType);
  tags.Reserve(static_cast<SizeType>(item.tags.size()), allocator);
  for (int32_t tag : item.tags)
    tags.PushBack(tag, allocator);
  out.AddMember("tags", tags, allocator);
  return out;
}

Value ToJson(const bench::Shelf& shelf, Allocator& allocator) {
  Value out(rapidjson::kObjectType);
  out.AddMember("id", shelf.id, allocator);
  out.AddMember("name", Text(shelf.name, allocator), allocator);
  Value items(rapidjson::kArrayType);
  items.Reserve(static_cast<SizeType>(shelf.items.size()), allocator);
  for (const bench::Item& item : shelf.items)
    items.PushBack(ToJson(item, allocator), allocator);
  out.AddMember("items", items, allocator);
  return out;
}

void ToJson(const bench::Catalogue& catalogue, Document& document) {
  Allocator& allocator = document.GetAllocator();
  document.SetObject();
  document.AddMember("account", catalogue.account, allocator);
  document.AddMember("owner", Text(catalogue.owner, allocator), allocator);
  Value shelves(rapidjson::kArrayType);
  shelves.Reserve(static_cast<SizeType>(catalogue.shelves.size()), allocator);
  for (const bench::Shelf& shelf : catalogue.shelves) {
    shelves.PushBack(ToJson(shelf, allocator), allocator);
  }
  document.AddMember("shelves", shelves, allocator);
}

const Value& Member(const Value& object, const char* name) {
  auto it = object.FindMember(name);
  if (it == object.MemberEnd()) std::abort();
  return it->value;
}

void FromJson(const Value& in, bench::Item& item) {
  item.id = Member(in, "id").GetInt();
  const Value& title = Member(in, "title");
  item.title.assign(title.GetString(), title.GetStringLength());
  item.price = Member(in, "price").GetDouble();
  item.active = Member(in, "active").GetBool();
  item.grade = static_cast<bench::Grade>(Member(in, "grade").GetInt());
  const Value& tags = Member(in, "tags");
  item.tags.resize(tags.Size());
  for (SizeType i = 0; i < tags.Size(); ++i)
    item.tags[i] = tags[i].GetInt();
}

void FromJson(const Value& in, bench::Shelf& shelf) {
  shelf.id = Member(in, "id").GetUint();
  const Value& name = Member(in, "name");
  shelf.name.assign(name.GetString(), name.GetStringLength());
  const Value& items = Member(in, "items");
  shelf.items.resize(items.Size());
  for (SizeType i = 0; i < items.Size(); ++i)
    FromJson(items[i], shelf.items[i]);
}

void FromJson(const Value& in, bench::Catalogue& catalogue) {
  catalogue.account = Member(in, "account").GetUint64();
  const Value& owner = Member(in, "owner");
  catalogue.owner.assign(owner.GetString(), owner.GetStringLength());
  const Value& shelves = Member(in, "shelves");
  catalogue.shelves.resize(shelves.Size());
  for (SizeType i = 0; i < shelves.Size(); ++i)
    FromJson(shelves[i], catalogue.shelves[i]);
}

void BM_Convert_ToValue_RapidJson(benchmark::State& state) {
  const bench::Catalogue& native = bench::SampleCatalogue();
  for (auto _ : state) {
    Document document;
    ToJson(native, document);
    benchmark::DoNotOptimize(document.MemberCount());
  }
}
BENCHMARK(BM_Convert_ToValue_RapidJson)->Unit(benchmark::kMicrosecond);

void BM_Convert_FromValue_RapidJson(benchmark::State& state) {
  Document document;
  ToJson(bench::SampleCatalogue(), document);
  for (auto _ : state) {
    bench::Catalogue back;
    FromJson(document, back);
    benchmark::DoNotOptimize(back.shelves.size());
  }
}
BENCHMARK(BM_Convert_FromValue_RapidJson)->Unit(benchmark::kMicrosecond);

void BM_Convert_RoundTrip_RapidJson(benchmark::State& state) {
  const bench::Catalogue& native = bench::SampleCatalogue();
  for (auto _ : state) {
    Document document;
    ToJson(native, document);
    bench::Catalogue back;
    FromJson(document, back);
    benchmark::DoNotOptimize(back.shelves.size());
  }
}
BENCHMARK(BM_Convert_RoundTrip_RapidJson)->Unit(benchmark::kMicrosecond);

}  // namespace
