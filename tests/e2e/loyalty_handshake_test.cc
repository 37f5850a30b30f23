// The built loyalty library through the reference host: the handshake and its context words,
// the refusal of incompatible hosts, Initialize and Shutdown as the host sees them, and the
// memory statistics.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "host/reference_host.h"

namespace Vorn::Host {
namespace {

HostOptions WithVersion(uint32_t major, uint32_t minor, uint32_t patch) {
  HostOptions options;
  options.version = ApiVersion{major, minor, patch};
  return options;
}

std::vector<std::string> NamesOf(const std::vector<TranscriptEntry>& calls) {
  std::vector<std::string> names;
  for (const TranscriptEntry& call : calls)
    names.push_back(call.arguments["name"]);
  return names;
}

TEST(LoyaltyHandshake, AcceptedHostsGetThePluginsOwnVersionBack) {
  constexpr ApiVersion kHosts[] = {{18, 0, 0}, {18, 0, 5}, {18, 3, 0}};
  for (const ApiVersion& version : kHosts) {
    SCOPED_TRACE(std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
                 std::to_string(version.patch));
    ReferenceHost host(WithVersion(version.major, version.minor, version.patch));
    ASSERT_TRUE(host.Load(QEV_LOYALTY_LIBRARY).ok());
    const ContextWords& context = host.context();
    EXPECT_EQ(context.major, 18u);
    EXPECT_EQ(context.minor, 0u);
    EXPECT_EQ(context.patch, 0u);
    ASSERT_NE(context.callbacks, nullptr);
    EXPECT_NE(context.callbacks->initialize, nullptr);
    EXPECT_NE(context.callbacks->shutdown, nullptr);
    EXPECT_NE(context.callbacks->get_memory_stats, nullptr);
    ASSERT_NE(context.plugin, nullptr);
    EXPECT_EQ(context.returned, context.plugin);
    ASSERT_NE(context.name, nullptr);
    EXPECT_STREQ(context.name, "qev-loyalty");
    EXPECT_NE(context.bindings, nullptr);
    // Nothing but the entry call has happened: the host table is not handed over yet.
    EXPECT_EQ(host.transcript().size(), 2u);
    EXPECT_TRUE(host.Shutdown().ok());
  }
}

TEST(LoyaltyHandshakeDeathTest, IncompatibleHostsStopTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  constexpr ApiVersion kHosts[] = {{17, 9, 9}, {19, 0, 0}};
  for (const ApiVersion& version : kHosts) {
    SCOPED_TRACE(std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
                 std::to_string(version.patch));
    EXPECT_EXIT(
        {
          ReferenceHost host(WithVersion(version.major, version.minor, version.patch));
          (void)host.Load(QEV_LOYALTY_LIBRARY);
        },
        ::testing::ExitedWithCode(3), "Assertion failed!\n\nExpression: ALE-EECF0606");
  }
}

class LoyaltyLifecycle : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(host_.Load(QEV_LOYALTY_LIBRARY).ok()); }

  ReferenceHost host_;
};

TEST_F(LoyaltyLifecycle, InitializeSubscribesTheServiceProxyEvents) {
  HostResult<bool> initialized = host_.Initialize();
  ASSERT_TRUE(initialized.ok()) << initialized.error();
  EXPECT_TRUE(initialized.value());

  const std::vector<TranscriptEntry> subscribed = host_.CallsTo("SubscribeEvent");
  ASSERT_GE(subscribed.size(), 3u);
  const char* const kServiceProxyEvents[] = {"OnServiceProxyUuidEvent", "OnServiceProxyMethodEvent",
                                             "OnServiceProxyAsyncEvent"};
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(kServiceProxyEvents[i]);
    EXPECT_EQ(subscribed[i].arguments["name"], kServiceProxyEvents[i]);
    EXPECT_EQ(subscribed[i].arguments["flags"], 1);
    EXPECT_EQ(subscribed[i].arguments["hostHandle"], host_.host_interface().host_handle);
    ASSERT_TRUE(host_.FindSubscription(kServiceProxyEvents[i]).has_value());
    EXPECT_NE(host_.FindSubscription(kServiceProxyEvents[i])->context, nullptr);
  }
}

TEST_F(LoyaltyLifecycle, ShutdownUnsubscribesEverySubscribedName) {
  ASSERT_TRUE(host_.Initialize().ok());
  const std::vector<std::string> subscribed = NamesOf(host_.CallsTo("SubscribeEvent"));
  ASSERT_FALSE(subscribed.empty());

  ASSERT_TRUE(host_.Shutdown().ok());
  const std::vector<TranscriptEntry> unsubscribed = host_.CallsTo("UnsubscribeEvent");
  const std::vector<std::string> names = NamesOf(unsubscribed);
  EXPECT_EQ(std::multiset<std::string>(names.begin(), names.end()),
            std::multiset<std::string>(subscribed.begin(), subscribed.end()));
  for (const TranscriptEntry& call : unsubscribed) {
    EXPECT_EQ(call.arguments["hostHandle"], host_.host_interface().host_handle);
  }
  EXPECT_TRUE(host_.SubscribedNames().empty());
  EXPECT_FALSE(host_.plugin_live());
}

TEST_F(LoyaltyLifecycle, MemoryStatsFillAllFourteenWords) {
  ASSERT_TRUE(host_.Initialize().ok());
  for (uint32_t pattern : {0xA5A5A5A5u, 0x5A5A5A5Au}) {
    SCOPED_TRACE(pattern);
    HostResult<std::array<uint32_t, kMemoryStatsWords>> stats = host_.GetMemoryStats(pattern);
    ASSERT_TRUE(stats.ok());
    const std::array<uint32_t, kMemoryStatsWords>& words = stats.value();
    for (size_t i = 0; i < 12; ++i)
      EXPECT_NE(words[i], pattern) << "word " << i;
    EXPECT_EQ(words[12], 0u);
    EXPECT_EQ(words[13], 0u);
    // Six 64-bit counters, low word first: peak, live at peak, bytes and count allocated,
    // bytes and count freed.
    auto counter = [&words](size_t index) {
      return uint64_t{words[2 * index]} | uint64_t{words[2 * index + 1]} << 32;
    };
    EXPECT_GE(counter(2), counter(4));
    EXPECT_GE(counter(3), counter(5));
    EXPECT_GE(counter(3), counter(1));
  }
}

}  // namespace
}  // namespace Vorn::Host
