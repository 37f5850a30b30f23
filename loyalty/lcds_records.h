// The loyalty message as the server pushes it over LCDS.
#pragma once

#include <cstdint>
#include <vector>

namespace Vorn::Client::Loyalty::LCDS {

// The wire carries the lower-case enumerator names.
enum class LoyaltyNotificationCategory : int32_t {
  legacy = 0,
  grant = 1,
  expiry = 2,
  change = 3,
  revoke = 4,
  disabled = 5,
};

struct ChampionReward {
  int32_t championId = 0;
  std::vector<int32_t> skins;
};

struct LoyaltyRewards {
  std::vector<ChampionReward> champions;
  int32_t ipBoost = 0;
  int32_t xpBoost = 0;
};

struct LoyaltyStateChangeNotification {
  uint64_t accountId = 0;
  LoyaltyNotificationCategory notificationCategory = LoyaltyNotificationCategory::disabled;
  LoyaltyRewards rewards;
};

// The message's class name, which is also the LCDS type name the plugin subscribes to.
inline constexpr const char* kLoyaltyStateChangeNotificationClass =
    "com.kestrawin.platform.loyalty.message.LoyaltyStateChangeNotification";

}  // namespace Vorn::Client::Loyalty::LCDS
