// Categories outside the enumeration: the conversion from a host message refuses them, so only
// a native caller can hand one to the change handler, which must still map it to DISABLED.
#include <gtest/gtest.h>

#include "tests/loyalty/loaded_loyalty.h"

namespace Vorn::Client::Loyalty {
namespace {

TEST(LoyaltyStatus, CategoriesOutsideTheEnumerationMapToDisabled) {
  LoadedLoyalty loaded;
  ASSERT_NE(loaded.plugin, nullptr);
  ASSERT_TRUE(loaded.initialized);
  LoyaltyPlugin* plugin = loaded.plugin;

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
}

}  // namespace
}  // namespace Vorn::Client::Loyalty
