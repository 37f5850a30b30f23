// The loyalty status as the plugin's resource shows it to other clients.
#pragma once

#include <cstdint>

namespace Vorn::Client::Loyalty::Api {

enum class LoyaltyStatus : int32_t {
  LEGACY = 0,
  REWARDS_GRANT = 1,
  EXPIRY = 2,
  CHANGE = 3,
  REVOKE = 4,
  DISABLED = 5,
};

struct LoyaltyRewards {
  int32_t freeRewardedChampionsCount = 0;
  int32_t freeRewardedSkinsCount = 0;
  int32_t ipBoost = 0;
  int32_t xpBoost = 0;
};

struct LoyaltyStatusNotification {
  LoyaltyStatus status = LoyaltyStatus::DISABLED;
  LoyaltyRewards rewards;
};

inline constexpr const char* kStatusNotificationPath = "/qev-loyalty/v1/status-notification";

}  // namespace Vorn::Client::Loyalty::Api
