// The loyalty feature seen from the host: server messages in, resource events and telemetry
// requests out, through the built library.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/reference_host.h"
#include "tests/e2e/loyalty_names.h"

namespace Vorn::Host {
namespace {

constexpr const char* kSame =
    "qev-loyalty: Received the same loyalty status as the current one. Nothing to update.";
constexpr const char* kNew = "qev-loyalty: Received new loyalty status";

Json Message(const char* category, int ip, int xp, Json champions, uint64_t account = 12345) {
  return Json{{"typeName", kTypeName},
              {"body",
               {{"accountId", account},
                {"notificationCategory", category},
                {"rewards", {{"champions", champions}, {"ipBoost", ip}, {"xpBoost", xp}}}}}};
}

Json Champion(int id, std::vector<int> skins) {
  return Json{{"championId", id}, {"skins", skins}};
}

Json Update(const char* status, int champions, int skins, int ip, int xp) {
  return Json{{"data",
               {{"rewards",
                 {{"freeRewardedChampionsCount", champions},
                  {"freeRewardedSkinsCount", skins},
                  {"ipBoost", ip},
                  {"xpBoost", xp}}},
                {"status", status}}},
              {"eventType", "Update"},
              {"uri", "/qev-loyalty/v1/status-notification"}};
}

class LoyaltyTracking : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.Load(QEV_LOYALTY_LIBRARY).ok());
    HostResult<bool> initialized = host_.Initialize();
    ASSERT_TRUE(initialized.ok() && initialized.value());
    ASSERT_TRUE(host_.FindSubscription(kLcdsEvent).has_value());
    host_.ClearRecords();
  }
  void TearDown() override { (void)host_.Shutdown(); }

  void Deliver(const Json& message) {
    ASSERT_TRUE(host_.DeliverEvent(kLcdsEvent, message).ok());
    host_.RunDue();
  }
  std::vector<std::string> LogTexts() const {
    std::vector<std::string> texts;
    for (const LogLine& line : host_.logs()) {
      EXPECT_EQ(line.level, 3) << line.line;
      texts.push_back(line.line);
    }
    return texts;
  }
  // The payload of the resource events, checking that both names carry the same one.
  Json PublishedUpdate() const {
    const std::vector<DispatchedEvent> events = host_.dispatched_events();
    EXPECT_EQ(events.size(), 2u);
    if (events.size() != 2) return nullptr;
    EXPECT_EQ(events[0].name, "OnJsonApiEvent_qev-loyalty_v1_status-notification");
    EXPECT_EQ(events[1].name, "OnJsonApiEvent");
    EXPECT_EQ(events[0].payload, events[1].payload);
    EXPECT_EQ(events[0].word, 0u);
    return events[0].payload;
  }

  ReferenceHost host_;
};

TEST_F(LoyaltyTracking, ARewardGrantIsPublishedAndReported) {
  Deliver(Message("grant", 0, 0, {Champion(1, {10, 11, 12}), Champion(2, {})}));
  EXPECT_EQ(LogTexts(), (std::vector<std::string>{kNew}));
  EXPECT_EQ(PublishedUpdate(), Update("REWARDS_GRANT", 2, 3, 0, 0));

  const std::vector<Json> requests = host_.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0]["methodText"], "POST");
  EXPECT_EQ(requests[0]["path"], "/telemetry/v1/common-data/account_id");
  EXPECT_EQ(requests[0]["arguments"], Json::parse(R"([{"name":null,"value":"12345"}])"));
  EXPECT_EQ(requests[1]["methodText"], "POST");
  EXPECT_EQ(requests[1]["path"], "/telemetry/v1/events/loyalty__event");
  EXPECT_EQ(requests[1]["arguments"], Json::parse(R"([{"name":null,"value":{
      "event_name":"rewards_received","free_champions_count":"2","ip_boost":"0",
      "xp_boost":"0"}}])"));
  EXPECT_EQ(requests[1]["requestHandle"], requests[0]["requestHandle"]);
}

TEST_F(LoyaltyTracking, TheSameStatusChangesNothing) {
  Deliver(Message("grant", 0, 0, {Champion(1, {10, 11, 12}), Champion(2, {})}));
  host_.ClearRecords();
  // Again, and once with other skins: the skins take no part in the comparison.
  Deliver(Message("grant", 0, 0, {Champion(1, {10, 11, 12}), Champion(2, {})}));
  Deliver(Message("grant", 0, 0, {Champion(1, {}), Champion(2, {7})}));
  EXPECT_EQ(LogTexts(), (std::vector<std::string>{kSame, kSame}));
  EXPECT_TRUE(host_.dispatched_events().empty());
  EXPECT_TRUE(host_.requests().empty());
}

TEST_F(LoyaltyTracking, EmptyRewardsResetTheStatus) {
  // Mapped status REWARDS_GRANT differs from the initial DISABLED, so the reset is published
  // even though the state stays DISABLED with zero counts; no telemetry for DISABLED.
  Deliver(Message("grant", 0, 0, Json::array()));
  EXPECT_EQ(LogTexts(), (std::vector<std::string>{kNew}));
  EXPECT_EQ(PublishedUpdate(), Update("DISABLED", 0, 0, 0, 0));
  EXPECT_TRUE(host_.requests().empty());
}

TEST_F(LoyaltyTracking, ADisabledFirstMessageIsTheInitialState) {
  Deliver(Message("disabled", 0, 0, Json::array()));
  EXPECT_EQ(LogTexts(), (std::vector<std::string>{kSame}));
  EXPECT_TRUE(host_.dispatched_events().empty());
}

TEST_F(LoyaltyTracking, OtherStatusesArePublishedWithoutTelemetry) {
  Deliver(Message("change", 2, 0, Json::array()));
  EXPECT_EQ(PublishedUpdate(), Update("CHANGE", 0, 0, 2, 0));
  EXPECT_TRUE(host_.requests().empty());
  host_.ClearRecords();
  Deliver(Message("legacy", 0, 5, Json::array()));
  EXPECT_EQ(PublishedUpdate(), Update("LEGACY", 0, 0, 0, 5));
  EXPECT_EQ(host_.requests().size(), 2u);
}

TEST_F(LoyaltyTracking, TheLargestAccountIdIsSentUnsigned) {
  Deliver(Message("legacy", 1, 0, Json::array(), UINT64_MAX));
  const std::vector<Json> requests = host_.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0]["arguments"][0]["value"], "18446744073709551615");
}

TEST_F(LoyaltyTracking, MessagesThatDoNotConvertAreDropped) {
  Json message = Message("grant", 1, 0, Json::array());
  message["body"]["notificationCategory"] = "bogus";
  Deliver(message);
  message["body"]["notificationCategory"] = 6;
  Deliver(message);
  EXPECT_TRUE(host_.logs().empty());
  EXPECT_TRUE(host_.dispatched_events().empty());
}

TEST_F(LoyaltyTracking, AFailedTelemetryRequestChangesNothingElse) {
  host_.SetRequestAnswer({503, std::string("busy")});
  Deliver(Message("grant", 3, 0, Json::array()));
  EXPECT_EQ(PublishedUpdate(), Update("REWARDS_GRANT", 0, 0, 3, 0));
  EXPECT_EQ(host_.requests().size(), 2u);
}

}  // namespace
}  // namespace Vorn::Host
