// Registration of the loyalty records in the plugin's registry.
#include "loyalty/loyalty_records.h"

#include "loyalty/api_records.h"
#include "loyalty/lcds_records.h"
#include "sdk/binding/binding_registry.h"
#include "sdk/binding/static_type_hash.h"
#include "sdk/binding/type_builder.h"
#include "sdk/plugin/plugin_event_client.h"

namespace Vorn::Client::Loyalty {
namespace {

// An LCDS record is known by its binding name and by its server class name.
template <typename T>
void RecordLcdsClass(PluginEventClient& client, const char* binding_name, const char* class_name) {
  client.SetLcdsClassName(binding_name, StaticType::HashCode<T>(), class_name);
}

void RegisterApiRecords(BindingRegistry& registry, const std::vector<std::string>& tags) {
  using namespace Api;
  registry.BeginEnum<LoyaltyStatus>("LoyaltyStatus")
      .AddEnumValue("LEGACY", LoyaltyStatus::LEGACY)
      .AddEnumValue("REWARDS_GRANT", LoyaltyStatus::REWARDS_GRANT)
      .AddEnumValue("EXPIRY", LoyaltyStatus::EXPIRY)
      .AddEnumValue("CHANGE", LoyaltyStatus::CHANGE)
      .AddEnumValue("REVOKE", LoyaltyStatus::REVOKE)
      .AddEnumValue("DISABLED", LoyaltyStatus::DISABLED)
      .AddTags(tags);
  registry.BeginType<LoyaltyRewards>("LoyaltyRewards")
      .AddField("freeRewardedChampionsCount", &LoyaltyRewards::freeRewardedChampionsCount)
      .AddField("freeRewardedSkinsCount", &LoyaltyRewards::freeRewardedSkinsCount)
      .AddField("ipBoost", &LoyaltyRewards::ipBoost)
      .AddField("xpBoost", &LoyaltyRewards::xpBoost)
      .AddTags(tags);
  registry.BeginType<LoyaltyStatusNotification>("LoyaltyStatusNotification")
      .AddField("status", &LoyaltyStatusNotification::status)
      .AddField("rewards", &LoyaltyStatusNotification::rewards)
      .AddTags(tags);
}

void RegisterLcdsRecords(BindingRegistry& registry, PluginEventClient& client) {
  using namespace LCDS;
  RecordLcdsClass<LoyaltyNotificationCategory>(client, "LCDSLoyaltyStateChangeNotificationCategory",
                                               "com.kestrawin.platform.loyalty.message.Category");
  registry.BeginEnum<LoyaltyNotificationCategory>("LCDSLoyaltyStateChangeNotificationCategory")
      .AddEnumValue("legacy", LoyaltyNotificationCategory::legacy)
      .AddEnumValue("grant", LoyaltyNotificationCategory::grant)
      .AddEnumValue("expiry", LoyaltyNotificationCategory::expiry)
      .AddEnumValue("change", LoyaltyNotificationCategory::change)
      .AddEnumValue("revoke", LoyaltyNotificationCategory::revoke)
      .AddEnumValue("disabled", LoyaltyNotificationCategory::disabled);

  RecordLcdsClass<ChampionReward>(client, "LCDSChampionReward",
                                  "com.kestrawin.platform.inventory.loyalty.ChampionReward");
  registry.BeginType<ChampionReward>("LCDSChampionReward")
      .AddField("championId", &ChampionReward::championId)
      .AddField("skins", &ChampionReward::skins);

  RecordLcdsClass<LoyaltyRewards>(client, "LCDSLoyaltyRewards",
                                  "com.kestrawin.platform.inventory.loyalty.LoyaltyRewards");
  registry.BeginType<LoyaltyRewards>("LCDSLoyaltyRewards")
      .AddField("champions", &LoyaltyRewards::champions)
      .AddField("ipBoost", &LoyaltyRewards::ipBoost)
      .AddField("xpBoost", &LoyaltyRewards::xpBoost);

  RecordLcdsClass<LoyaltyStateChangeNotification>(client, "LCDSLoyaltyStateChangeNotification",
                                                  kLoyaltyStateChangeNotificationClass);
  registry.BeginType<LoyaltyStateChangeNotification>("LCDSLoyaltyStateChangeNotification")
      .AddField("accountId", &LoyaltyStateChangeNotification::accountId)
      .AddField("notificationCategory", &LoyaltyStateChangeNotification::notificationCategory)
      .AddField("rewards", &LoyaltyStateChangeNotification::rewards);
}

}  // namespace

void RegisterLoyaltyRecords(BindingRegistry& registry, PluginEventClient& client,
                            const std::vector<std::string>& tags) {
  RegisterApiRecords(registry, tags);
  RegisterLcdsRecords(registry, client);
}

}  // namespace Vorn::Client::Loyalty
