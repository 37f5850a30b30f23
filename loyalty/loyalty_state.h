// The loyalty status the plugin keeps between server messages.
#pragma once

#include <cstdint>

namespace Vorn::Client::Loyalty {

struct LoyaltyState {
  uint32_t status = 5;  // DISABLED
  int32_t free_rewarded_champions_count = 0;
  int32_t free_rewarded_skins_count = 0;
  int32_t xp_boost = 0;
  int32_t ip_boost = 0;
};

}  // namespace Vorn::Client::Loyalty
