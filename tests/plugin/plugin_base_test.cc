// The plugin frame against a recording host table: load steps, Initialize, subscriptions,
// forwarding and the host's callbacks.
#include "sdk/plugin/plugin_base.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "sdk/diagnostics/log_api.h"
#include "sdk/plugin/plugin_entry.h"
#include "tests/plugin/fake_host.h"

namespace Vorn::Client {
namespace {

using Vorn::Testing::FakeHost;

class ProbePlugin : public PluginBase {
 public:
  bool OnInitialize() override {
    ++initialized;
    return result;
  }
  bool result = true;
  int initialized = 0;
};

struct Loaded {
  PluginLoadContext context{};
  ProbePlugin* plugin = nullptr;
};

Loaded LoadProbe(uint32_t major = 18, uint32_t minor = 0, uint32_t patch = 0) {
  Loaded loaded;
  loaded.context.major = major;
  loaded.context.minor = minor;
  loaded.context.patch = patch;
  void* plugin = LoadPlugin<ProbePlugin>(&loaded.context, "probe");
  loaded.plugin = static_cast<ProbePlugin*>(static_cast<PluginBase*>(plugin));
  return loaded;
}

class PluginBaseTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (loaded_.plugin != nullptr) loaded_.context.callbacks->Shutdown(loaded_.context.plugin);
  }
  ProbePlugin& Load(uint32_t minor = 0, uint32_t patch = 0) {
    loaded_ = LoadProbe(18, minor, patch);
    return *loaded_.plugin;
  }
  bool Initialize() {
    return loaded_.context.callbacks->Initialize(loaded_.context.plugin, &host_.host_interface);
  }
  size_t Count(const std::string& call) const {
    return std::count(host_.calls.begin(), host_.calls.end(), call);
  }

  FakeHost host_;
  Loaded loaded_;
};

TEST_F(PluginBaseTest, LoadWritesTheContext) {
  for (uint32_t minor : {0u, 3u}) {
    for (uint32_t patch : {0u, 5u}) {
      SCOPED_TRACE(std::to_string(minor) + "." + std::to_string(patch));
      Loaded loaded = LoadProbe(18, minor, patch);
      ASSERT_NE(loaded.plugin, nullptr);
      EXPECT_EQ(loaded.context.major, 18u);
      EXPECT_EQ(loaded.context.minor, 0u);
      EXPECT_EQ(loaded.context.patch, 0u);
      EXPECT_EQ(loaded.context.plugin, static_cast<void*>(static_cast<PluginBase*>(loaded.plugin)));
      EXPECT_EQ(loaded.context.callbacks, &loaded.plugin->callbacks());
      EXPECT_STREQ(loaded.context.name, "probe");
      EXPECT_EQ(loaded.context.bindings, &loaded.plugin->binding_table());
      EXPECT_EQ(loaded.plugin->names().full_name, "tkp-be-probe");
      EXPECT_EQ(loaded.plugin->names().kind, "backend");
      EXPECT_EQ(loaded.plugin->tags(), (std::vector<std::string>{"Plugins", "Plugin probe"}));
      EXPECT_EQ(loaded.plugin->host_version().minor, minor);
      loaded.context.callbacks->Shutdown(loaded.context.plugin);
    }
  }
}

TEST_F(PluginBaseTest, InitializeSubscribesTheServiceProxyEvents) {
  ProbePlugin& plugin = Load(0, 5);
  EXPECT_TRUE(Initialize());
  EXPECT_EQ(plugin.initialized, 1);
  ASSERT_EQ(host_.subscriptions.size(), 3u);
  const char* kExpected[] = {"OnServiceProxyUuidEvent", "OnServiceProxyMethodEvent",
                             "OnServiceProxyAsyncEvent"};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(host_.subscriptions[i].name, kExpected[i]);
    EXPECT_EQ(host_.subscriptions[i].flags, 1u);
    EXPECT_EQ(host_.subscriptions[i].host_handle, 0x5eedu);
    EXPECT_EQ(host_.subscriptions[i].context, static_cast<PluginEventClient*>(&plugin));
  }
  EXPECT_EQ(plugin.user_agent(), "VornClient/18.0.5 (probe)");
  EXPECT_EQ(plugin.host_handle(), 0x5eedu);
  EXPECT_EQ(plugin.host(), &host_.host_interface);
}

TEST_F(PluginBaseTest, InitializeReturnsTheResultOfOnInitialize) {
  ProbePlugin& plugin = Load();
  plugin.result = false;
  EXPECT_FALSE(Initialize());
}

TEST_F(PluginBaseTest, LogLinesReachTheHostOnceAfterASecondInitialize) {
  Load();
  ASSERT_TRUE(Initialize());
  const LogApi* log = GetLogApi();
  LogTargetRecord* target = log->FindTarget("PluginLogTarget");
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(log->GetMinLevel(), 0);
  EXPECT_EQ(log->GetExcludedGroups(), 4u);

  log->SetMinLevel(1);
  ASSERT_TRUE(Initialize());
  EXPECT_EQ(log->FindTarget("PluginLogTarget"), target);
  EXPECT_EQ(log->GetMinLevel(), 1) << "a second Initialize leaves the logger as it is";

  Log(kLogLevelAlways, kLogGroupDbg, "hello %d", 42);
  Log(kLogLevelOkay, kLogGroupDbg, "below the logger's level");
  ASSERT_EQ(host_.log_lines.size(), 1u);
  EXPECT_EQ(host_.log_lines[0].first, 3);
  EXPECT_EQ(host_.log_lines[0].second, "hello 42");
  log->SetMinLevel(0);
}

TEST_F(PluginBaseTest, SubscriptionsAreReferenceCounted) {
  ProbePlugin& plugin = Load();
  ASSERT_TRUE(Initialize());
  const std::string kEvent = "SubscribeEvent OnJsonApiEvent_qev-loyalty_v1_status-notification";
  const std::string kGone = "UnsubscribeEvent OnJsonApiEvent_qev-loyalty_v1_status-notification";
  plugin.Subscribe("/qev-loyalty/v1/status-notification");
  plugin.Subscribe("qev-loyalty/v1/status-notification/");
  EXPECT_EQ(Count(kEvent), 1u);
  plugin.Unsubscribe("/qev-loyalty/v1/status-notification");
  EXPECT_EQ(Count(kGone), 0u);
  plugin.Unsubscribe("/qev-loyalty/v1/status-notification");
  EXPECT_EQ(Count(kGone), 1u);
  EXPECT_FALSE(plugin.HasHandler("OnJsonApiEvent_qev-loyalty_v1_status-notification"));

  // Without a live subscription an Unsubscribe does nothing, and the next Subscribe subscribes.
  plugin.Unsubscribe("/qev-loyalty/v1/status-notification");
  EXPECT_EQ(Count(kGone), 1u);
  EXPECT_EQ(plugin.SubscriptionCount("OnJsonApiEvent_qev-loyalty_v1_status-notification"), 0);
  plugin.Subscribe("/qev-loyalty/v1/status-notification");
  EXPECT_EQ(Count(kEvent), 2u);
}

TEST_F(PluginBaseTest, ShutdownUnsubscribesEveryHandlerName) {
  ProbePlugin& plugin = Load();
  ASSERT_TRUE(Initialize());
  plugin.Subscribe("/a/b");
  plugin.Subscribe("/c");
  loaded_.context.callbacks->Shutdown(loaded_.context.plugin);
  loaded_.plugin = nullptr;
  std::vector<std::string> gone = host_.unsubscriptions;
  std::sort(gone.begin(), gone.end());
  EXPECT_EQ(gone, (std::vector<std::string>{"OnJsonApiEvent_a_b", "OnJsonApiEvent_c",
                                            "OnServiceProxyAsyncEvent", "OnServiceProxyMethodEvent",
                                            "OnServiceProxyUuidEvent"}));
}

TEST_F(PluginBaseTest, ForwardsTheHostEntries) {
  ProbePlugin& plugin = Load();
  EXPECT_EQ(plugin.HostEntry6(), 0) << "no host table before Initialize";
  EXPECT_TRUE(host_.calls.empty());
  ASSERT_TRUE(Initialize());
  host_.calls.clear();
  EXPECT_EQ(plugin.HostEntry1(1, 2), 11);
  EXPECT_EQ(plugin.HostEntry6(), 6);
  EXPECT_EQ(plugin.HostEntry7("text", 9), 7);
  EXPECT_EQ(plugin.HostEntry8(), 8);
  EXPECT_EQ(plugin.ScheduleCallback("timer", nullptr, nullptr, 0.0, 0), 0x100000001ull);
  EXPECT_EQ(host_.calls, (std::vector<std::string>{"Entry1 1 2", "Entry6", "Entry7 text 9",
                                                   "Entry8", "ScheduleCallback timer"}));
}

TEST_F(PluginBaseTest, MemoryStatsFillFourteenWords) {
  Load();
  uint32_t words[14];
  std::fill(std::begin(words), std::end(words), 0xA5A5A5A5u);
  loaded_.context.callbacks->GetMemoryStats(nullptr, words);
  EXPECT_EQ(words[12], 0u);
  EXPECT_EQ(words[13], 0u);
  for (int i = 0; i < 12; ++i)
    EXPECT_NE(words[i], 0xA5A5A5A5u) << i;
}

}  // namespace
}  // namespace Vorn::Client
