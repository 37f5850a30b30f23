// The loyalty plugin's registrations, subscription and status tracking.
#include "loyalty/loyalty_plugin.h"

#include <string>

#include "loyalty/loyalty_records.h"
#include "sdk/diagnostics/log_api.h"
#include "sdk/plugin/resources.h"
#include "sdk/plugin/telemetry_client.h"
#include "sdk/remoting/function_registration.h"
#include "sdk/runtime/format_text.h"

namespace Vorn::Client::Loyalty {
namespace {

constexpr uint32_t kDisabled = static_cast<uint32_t>(Api::LoyaltyStatus::DISABLED);

uint32_t StatusOf(LCDS::LoyaltyNotificationCategory category) {
  const auto value = static_cast<uint32_t>(category);
  return value <= 4 ? value : kDisabled;
}

Api::LoyaltyStatusNotification NotificationOf(const LoyaltyState& state) {
  Api::LoyaltyStatusNotification notification;
  notification.status = static_cast<Api::LoyaltyStatus>(state.status);
  notification.rewards.freeRewardedChampionsCount = state.free_rewarded_champions_count;
  notification.rewards.freeRewardedSkinsCount = state.free_rewarded_skins_count;
  notification.rewards.ipBoost = state.ip_boost;
  notification.rewards.xpBoost = state.xp_boost;
  return notification;
}

}  // namespace

LoyaltyPlugin::LoyaltyPlugin() = default;
LoyaltyPlugin::~LoyaltyPlugin() = default;

void LoyaltyPlugin::RegisterApi() {
  RegisterLoyaltyRecords(registry(), *this, tags());
  RegisterGetHandler(registry(), Api::kStatusNotificationPath, this,
                     &LoyaltyPlugin::GetStatusNotification, tags());
}

bool LoyaltyPlugin::OnInitialize() {
  SubscribeLcds<LCDS::LoyaltyStateChangeNotification>(
      LCDS::kLoyaltyStateChangeNotificationClass,
      [this](const LCDS::LoyaltyStateChangeNotification& message) {
        OnLoyaltyStateChange(message);
      });
  return true;
}

Api::LoyaltyStatusNotification LoyaltyPlugin::GetStatusNotification() const {
  std::lock_guard<std::mutex> hold(state_lock_);
  return NotificationOf(state_);
}

LoyaltyState LoyaltyPlugin::state() const {
  std::lock_guard<std::mutex> hold(state_lock_);
  return state_;
}

void LoyaltyPlugin::OnLoyaltyStateChange(const LCDS::LoyaltyStateChangeNotification& message) {
  const uint32_t status = StatusOf(message.notificationCategory);
  const LCDS::LoyaltyRewards& rewards = message.rewards;
  const auto champions = static_cast<int32_t>(rewards.champions.size());

  // Decided and stored under the lock; logged after it is released, since the host's log entry
  // may call back into the plugin (a GET from inside HostLog would otherwise lock it twice).
  LoyaltyState changed;
  bool same = false;
  {
    std::lock_guard<std::mutex> hold(state_lock_);
    // The skins take no part in the sameness test.
    same = status == state_.status && rewards.ipBoost == state_.ip_boost &&
           rewards.xpBoost == state_.xp_boost && champions == state_.free_rewarded_champions_count;
    if (!same) {
      if (rewards.ipBoost == 0 && rewards.xpBoost == 0 && rewards.champions.empty()) {
        state_ = LoyaltyState{};
      } else {
        int32_t skins = 0;
        for (const LCDS::ChampionReward& champion : rewards.champions) {
          skins += static_cast<int32_t>(champion.skins.size());
        }
        state_.status = status;
        state_.ip_boost = rewards.ipBoost;
        state_.xp_boost = rewards.xpBoost;
        state_.free_rewarded_champions_count = champions;
        state_.free_rewarded_skins_count = skins;
      }
      changed = state_;
    }
  }
  if (same) {
    Log(kLogLevelAlways, kLogGroupDbg,
        "qev-loyalty: Received the same loyalty status as the current one. Nothing to update.");
    return;
  }
  Log(kLogLevelAlways, kLogGroupDbg, "qev-loyalty: Received new loyalty status");

  PublishResource(*this, PluginResourceEventType::Update, Api::kStatusNotificationPath,
                  NotificationOf(changed));

  const auto new_status = static_cast<Api::LoyaltyStatus>(changed.status);
  if (new_status != Api::LoyaltyStatus::LEGACY && new_status != Api::LoyaltyStatus::REWARDS_GRANT) {
    return;
  }
  TelemetryClient* telemetry_client = telemetry();
  if (telemetry_client == nullptr) return;
  telemetry_client->SetCommonData("account_id", FormatText("%1", message.accountId));
  (void)telemetry_client->SendTelemetryEvent(
      "loyalty__event",
      {{"event_name", "rewards_received"},
       {"ip_boost", FormatText("%d", changed.ip_boost)},
       {"xp_boost", FormatText("%d", changed.xp_boost)},
       {"free_champions_count", FormatText("%d", changed.free_rewarded_champions_count)}});
}

}  // namespace Vorn::Client::Loyalty
