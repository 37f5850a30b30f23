// The registry's tables under concurrent use: lookups, snapshots and enumerator names on several
// threads while another thread enters functions and events.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "sdk/binding/type_builder.h"

namespace {

enum class Light : int32_t { kRed = 0, kGreen = 1 };
struct Lamp {
  Light light = Light::kRed;
};

TEST(BindingRegistryConcurrencyTest, LookupsRunBesideInsertions) {
  Vorn::BindingRegistry registry;
  registry.BeginEnum<Light>("Light")
      .AddEnumValue("Red", Light::kRed)
      .AddEnumValue("Green", Light::kGreen);
  registry.BeginType<Lamp>("Lamp").AddField("light", &Lamp::light);

  constexpr int kInsertions = 2000;
  std::atomic<bool> done{false};
  std::atomic<int> misses{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t) {
    readers.emplace_back([&] {
      while (!done.load()) {
        if (registry.FindTypeByIdentity(StaticType::HashCode<Lamp>()) == nullptr) ++misses;
        const char* name = registry.FindEnumeratorName(StaticType::HashCode<Light>(), 1);
        if (name == nullptr || std::string(name) != "Green") ++misses;
        Lamp lamp;
        Vorn::BindingResult result;
        Vorn::ToValue(result, lamp, registry);
        if (!result.Ok()) ++misses;
        (void)registry.FunctionSnapshot().size();
        (void)registry.FindEvent("OnEvent7");
      }
    });
  }
  for (int i = 0; i < kInsertions; ++i) {
    registry.InsertFunction("Function" + std::to_string(i));
    registry.BeginEvent("OnEvent" + std::to_string(i), nullptr);
  }
  done = true;
  for (std::thread& reader : readers)
    reader.join();
  EXPECT_EQ(misses.load(), 0);
  EXPECT_EQ(registry.FunctionSnapshot().size(), static_cast<size_t>(kInsertions));
  // The inserted events and the builtin "OnCallback".
  EXPECT_EQ(registry.EventSnapshot().size(), static_cast<size_t>(kInsertions) + 1);
}

}  // namespace
