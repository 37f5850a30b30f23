// The loyalty plugin's registrations and subscriptions.
#include "loyalty/loyalty_plugin.h"

namespace Vorn::Client::Loyalty {

LoyaltyPlugin::LoyaltyPlugin() = default;
LoyaltyPlugin::~LoyaltyPlugin() = default;

void LoyaltyPlugin::RegisterApi() {}

bool LoyaltyPlugin::OnInitialize() {
  return true;
}

}  // namespace Vorn::Client::Loyalty
