// The loyalty plugin: follows the player's loyalty status from server push messages, answers
// GET requests for it, publishes every change and reports reward grants to telemetry.
#pragma once

#include <mutex>

#include "loyalty/api_records.h"
#include "loyalty/lcds_records.h"
#include "loyalty/loyalty_state.h"
#include "sdk/plugin/plugin_base.h"

namespace Vorn::Client::Loyalty {

class LoyaltyPlugin : public PluginBase {
 public:
  LoyaltyPlugin();
  ~LoyaltyPlugin() override;

  void RegisterApi() override;
  bool OnInitialize() override;

  // The GET handler of "/qev-loyalty/v1/status-notification"; changes nothing.
  Api::LoyaltyStatusNotification GetStatusNotification() const;
  // Runs for every loyalty message that converts.
  void OnLoyaltyStateChange(const LCDS::LoyaltyStateChangeNotification& message);

  LoyaltyState state() const;

 private:
  // Read and written under the lock, so a GET never sees half an update.
  mutable std::mutex state_lock_;
  LoyaltyState state_;
};

}  // namespace Vorn::Client::Loyalty
