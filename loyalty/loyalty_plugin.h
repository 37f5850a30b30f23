// The loyalty plugin: follows the player's loyalty status from server push messages.
#pragma once

#include "loyalty/loyalty_state.h"
#include "sdk/plugin/plugin_base.h"

namespace Vorn::Client::Loyalty {

class LoyaltyPlugin : public PluginBase {
 public:
  LoyaltyPlugin();
  ~LoyaltyPlugin() override;

  void RegisterApi() override;
  bool OnInitialize() override;

  LoyaltyState state() const { return state_; }

 private:
  LoyaltyState state_;
};

}  // namespace Vorn::Client::Loyalty
