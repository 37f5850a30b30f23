// Categories outside the enumeration: the conversion from a host message refuses them, so only
// a native caller can hand one to the change handler, which must still map it to DISABLED.
#include <gtest/gtest.h>

#include "loyalty/loyalty_plugin.h"
#include "sdk/plugin/plugin_entry.h"
#include "tests/plugin/fake_host.h"

namespace Vorn::Client::Loyalty {
namespace {

TEST(LoyaltyStatus, CategoriesOutsideTheEnumerationMapToDisabled) {
  Testing::FakeHost host;
  PluginLoadContext context{};
  context.major = 18;
  auto* plugin = static_cast<LoyaltyPlugin*>(
      static_cast<PluginBase*>(LoadPlugin<LoyaltyPlugin>(&context, "qev-loyalty")));
  ASSERT_NE(plugin, nullptr);
  ASSERT_TRUE(context.callbacks->Initialize(context.plugin, &host.host_interface));

  const struct {
    int32_t category;
    uint32_t status;
  } cases[] = {{4, 4}, {6, 5}, {7, 5}, {INT32_MAX, 5}, {-1, 5}, {0, 0}};
  int32_t ip_boost = 0;
  for (const auto& row : cases) {
    SCOPED_TRACE(row.category);
    LCDS::LoyaltyStateChangeNotification message;
    message.notificationCategory = static_cast<LCDS::LoyaltyNotificationCategory>(row.category);
    // A new boost each time, so no message is the same as the state before it.
    message.rewards.ipBoost = ++ip_boost;
    plugin->OnLoyaltyStateChange(message);
    EXPECT_EQ(plugin->state().status, row.status);
    EXPECT_EQ(plugin->state().ip_boost, ip_boost);
  }
  context.callbacks->Shutdown(context.plugin);
}

}  // namespace
}  // namespace Vorn::Client::Loyalty
