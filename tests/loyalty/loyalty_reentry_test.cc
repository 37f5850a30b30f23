// A host whose log entry calls back into the plugin: the change handler's log lines must not
// be written while it holds the state lock, or a GET from the host's log deadlocks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/loyalty/loaded_loyalty.h"
#include "tests/plugin/reentry_probe.h"

namespace Vorn::Client::Loyalty {
namespace {

TEST(LoyaltyReentry, AGetFromTheHostsLogSeesTheStateWithoutWaiting) {
  LoadedLoyalty loaded;
  ASSERT_NE(loaded.plugin, nullptr);
  ASSERT_TRUE(loaded.initialized);
  LoyaltyPlugin* plugin = loaded.plugin;
  Testing::FakeHost& host = loaded.host;

  // The GET runs on a second host thread while the first is still inside HostLog.
  Testing::ReentryProbe probe;
  std::vector<std::string> seen;
  host.on_log = [&](int32_t, const std::string& line) {
    Api::LoyaltyStatusNotification status{};
    const bool in_time =
        probe.FinishesWithin([&status, plugin] { status = plugin->GetStatusNotification(); });
    seen.push_back(
        line + (in_time ? " | ip boost " + std::to_string(status.rewards.ipBoost) : " | blocked"));
  };
  LCDS::LoyaltyStateChangeNotification message;
  message.notificationCategory = LCDS::LoyaltyNotificationCategory::change;
  message.rewards.ipBoost = 2;
  plugin->OnLoyaltyStateChange(message);
  plugin->OnLoyaltyStateChange(message);
  host.on_log = nullptr;
  EXPECT_EQ(seen, (std::vector<std::string>{
                      "qev-loyalty: Received new loyalty status | ip boost 2",
                      "qev-loyalty: Received the same loyalty status as the current one. Nothing "
                      "to update. | ip boost 2"}));
}

}  // namespace
}  // namespace Vorn::Client::Loyalty
