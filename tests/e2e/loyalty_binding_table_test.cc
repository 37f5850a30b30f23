// The binding table the built loyalty plugin hands over at load, read with the host's own
// records: its one route entry, the types with their fields and enumerators, and the events.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/reference_host.h"

namespace Vorn::Host {
namespace {

// gtest binds references, and a field of a packed record may sit at any address: copy first.
template <class T>
T Read(T field) {
  return field;
}

std::string Joined(const std::vector<std::string>& texts) {
  std::string out;
  for (const std::string& text : texts)
    out += (out.empty() ? "" : ", ") + text;
  return out;
}

// "name: type" per field, or "NAME=value" per enumerator, in table order.
std::string Shape(const TypeView& type) {
  std::vector<std::string> members;
  for (const FieldView& field : type.fields) {
    members.push_back(field.name + ": " +
                      TypeText(field.type_code, field.element_type_code, field.type_name));
  }
  for (const EnumeratorView& enumerator : type.enumerators)
    members.push_back(enumerator.name + "=" + std::to_string(enumerator.value));
  return Joined(members);
}

struct TypeRow {
  const char* name;
  const char* tags;
  const char* shape;
};

// Each family a table of its own; the help records and the builtin types join as tables of
// their own when they are registered.
constexpr TypeRow kLoyaltyTypes[] = {
    {"LoyaltyStatus", "Plugins, Plugin qev-loyalty",
     "CHANGE=3, DISABLED=5, EXPIRY=2, LEGACY=0, REVOKE=4, REWARDS_GRANT=1"},
    {"LoyaltyRewards", "Plugins, Plugin qev-loyalty",
     "freeRewardedChampionsCount: int32, freeRewardedSkinsCount: int32, ipBoost: int32, "
     "xpBoost: int32"},
    {"LoyaltyStatusNotification", "Plugins, Plugin qev-loyalty",
     "status: enum LoyaltyStatus, rewards: struct LoyaltyRewards"},
    {"LCDSLoyaltyStateChangeNotificationCategory", "",
     "change=3, disabled=5, expiry=2, grant=1, legacy=0, revoke=4"},
    {"LCDSChampionReward", "", "championId: int32, skins: vector<int32>"},
    {"LCDSLoyaltyRewards", "",
     "champions: vector<LCDSChampionReward>, ipBoost: int32, xpBoost: int32"},
    {"LCDSLoyaltyStateChangeNotification", "",
     "accountId: uint64, notificationCategory: enum LCDSLoyaltyStateChangeNotificationCategory, "
     "rewards: struct LCDSLoyaltyRewards"},
};

constexpr TypeRow kPluginManagerTypes[] = {
    {"PluginManagerState", "vclient", "NotReady=0, PluginsInitialized=1"},
    {"PluginManagerResource", "vclient", "state: enum PluginManagerState"},
    {"PluginResourceEventType", "vclient", "Create=0, Delete=2, Update=1"},
    {"PluginResourceEvent", "vclient",
     "uri: string, eventType: enum PluginResourceEventType, data: object"},
    {"PluginLcdsEvent", "vclient",
     "clientId: string, subtopic: string, typeName: string, body: object"},
    {"PluginLcdsResponse", "vclient", "typeName: string, body: object"},
    {"PluginServiceProxyResponse", "vclient",
     "uuid: string, serviceName: string, methodName: string, payload: string, status: string, "
     "error: string"},
};

struct EventRow {
  const char* name;
  const char* payload;
  const char* tags;
  const char* description;
};

constexpr EventRow kHostEvents[] = {
    {"OnJsonApiEvent", "PluginResourceEvent", "vclient", "Fired when a resource is changed."},
    {"OnLcdsEvent", "PluginLcdsEvent", "vclient",
     "Fired when a message is received over the LCDS connection."},
    {"OnServiceProxyUuidEvent", "PluginServiceProxyResponse", "vclient",
     "Fired when a uuid-based service proxy message is received."},
    {"OnServiceProxyMethodEvent", "PluginServiceProxyResponse", "vclient",
     "Fired when a method-based service proxy message is received."},
    {"OnServiceProxyAsyncEvent", "PluginServiceProxyResponse", "vclient",
     "Fired when an async service proxy message is received."},
};

class LoyaltyBindingTable : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.Load(QEV_LOYALTY_LIBRARY).ok());
    ASSERT_NE(host_.context().bindings, nullptr);
    words_ = static_cast<const BindingTableWords*>(host_.context().bindings);
    // Every array readable, each link the next entry, each last link null.
    ASSERT_TRUE(host_.ReadBindingTable().ok()) << host_.ReadBindingTable().error();
  }

  const BindingTableView& table() const { return host_.ReadBindingTable().value(); }

  const TypeView* FindType(const std::string& name) const {
    for (const TypeView& type : table().types) {
      if (type.name == name) return &type;
    }
    return nullptr;
  }

  void ExpectTypes(const TypeRow* rows, size_t count, const char* family_tag) const {
    for (size_t i = 0; i < count; ++i) {
      const TypeRow& row = rows[i];
      SCOPED_TRACE(row.name);
      const TypeView* type = FindType(row.name);
      ASSERT_NE(type, nullptr);
      EXPECT_EQ(Joined(type->tags), row.tags);
      EXPECT_EQ(Shape(*type), row.shape);
      for (const FieldView& field : type->fields)
        EXPECT_EQ(field.description, "") << field.name;
    }
    // Nothing of the family beyond the rows.
    for (const TypeView& type : table().types) {
      if (std::find(type.tags.begin(), type.tags.end(), family_tag) == type.tags.end()) continue;
      const bool listed = std::any_of(rows, rows + count,
                                      [&](const TypeRow& row) { return type.name == row.name; });
      EXPECT_TRUE(listed) << type.name;
    }
  }

  ReferenceHost host_;
  const BindingTableWords* words_ = nullptr;
};

TEST_F(LoyaltyBindingTable, TheRouteEntryForTheStatusResource) {
  ASSERT_EQ(words_->route_count, 1u);
  const RouteEntryRecord& entry = words_->routes[0];
  EXPECT_EQ(Read(entry.next), nullptr);
  EXPECT_EQ(Read(entry.method), 2u);
  EXPECT_STREQ(Read(entry.path), "/qev-loyalty/v1/status-notification");
  EXPECT_STREQ(Read(entry.function_name), "GetQevLoyaltyV1StatusNotification");
  EXPECT_NE(Read(entry.handler_context), nullptr);
  EXPECT_NE(Read(entry.request_callback), nullptr);
  EXPECT_EQ(Read(entry.argument_count), 0u);
  EXPECT_EQ(Read(entry.result_type_code), 17u);
  EXPECT_STREQ(Read(entry.result_type_name), "LoyaltyStatusNotification");
  EXPECT_STREQ(Read(entry.async_type_name), "");

  const RouteView& route = table().routes[0];
  EXPECT_EQ(Joined(route.tags), "Plugins, Plugin qev-loyalty");
  EXPECT_TRUE(route.arguments.empty());
  EXPECT_TRUE(route.text_lists.empty());
}

TEST_F(LoyaltyBindingTable, ListsTheLoyaltyAndPluginManagerTypes) {
  ExpectTypes(kLoyaltyTypes, std::size(kLoyaltyTypes), "Plugins");
  ExpectTypes(kPluginManagerTypes, std::size(kPluginManagerTypes), "vclient");
  // Offsets of the API records are those of int32 fields on every ABI.
  const TypeView* rewards = FindType("LoyaltyRewards");
  ASSERT_NE(rewards, nullptr);
  EXPECT_EQ(rewards->size, 16u);
  for (size_t i = 0; i < rewards->fields.size(); ++i)
    EXPECT_EQ(rewards->fields[i].offset, 4 * i) << rewards->fields[i].name;
  const TypeView* notification = FindType("LoyaltyStatusNotification");
  ASSERT_NE(notification, nullptr);
  EXPECT_EQ(notification->size, 20u);
}

TEST_F(LoyaltyBindingTable, TypesAreInNameOrder) {
  std::vector<std::string> names;
  for (const TypeView& type : table().types)
    names.push_back(type.name);
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end())) << Joined(names);
}

TEST_F(LoyaltyBindingTable, ListsTheHostEvents) {
  for (const EventRow& row : kHostEvents) {
    SCOPED_TRACE(row.name);
    const auto found = std::find_if(table().events.begin(), table().events.end(),
                                    [&](const EventView& event) { return event.name == row.name; });
    ASSERT_NE(found, table().events.end());
    EXPECT_EQ(found->payload_type_name, row.payload);
    EXPECT_EQ(Joined(found->tags), row.tags);
    EXPECT_EQ(found->description, row.description);
  }
  size_t host_events = 0;
  for (const EventView& event : table().events) {
    if (event.tags == std::vector<std::string>{"vclient"}) ++host_events;
  }
  EXPECT_EQ(host_events, std::size(kHostEvents));
}

TEST_F(LoyaltyBindingTable, EveryArrayEndsInANullLink) {
  ASSERT_GT(words_->type_count, 0u);
  ASSERT_GT(words_->event_count, 0u);
  EXPECT_EQ(Read(words_->routes[words_->route_count - 1].next), nullptr);
  EXPECT_EQ(Read(words_->types[words_->type_count - 1].next), nullptr);
  EXPECT_EQ(Read(words_->events[words_->event_count - 1].next), nullptr);
  for (uint32_t i = 0; i < words_->type_count; ++i) {
    const TypeEntryRecord& type = words_->types[i];
    const uint32_t count = Read(type.member_count);
    SCOPED_TRACE(Read(type.name));
    if (const FieldEntryRecord* fields = Read(type.fields)) {
      EXPECT_EQ(Read(type.enumerators), nullptr);
      ASSERT_GT(count, 0u);
      EXPECT_EQ(Read(fields[count - 1].next), nullptr);
    } else if (const EnumeratorEntryRecord* enumerators = Read(type.enumerators)) {
      ASSERT_GT(count, 0u);
      EXPECT_EQ(Read(enumerators[count - 1].next), nullptr);
    } else {
      EXPECT_EQ(count, 0u);
    }
  }
}

}  // namespace
}  // namespace Vorn::Host
