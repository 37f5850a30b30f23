// Requests for the loyalty status through the built plugin's route entry, as the host delivers
// them: request records in, response records read and released by the host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/reference_host.h"
#include "tests/e2e/loyalty_names.h"

namespace Vorn::Host {
namespace {

Json Message(const char* body) {
  return Json{{"typeName", kTypeName}, {"body", Json::parse(body)}};
}

class LoyaltyRequests : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.Load(QEV_LOYALTY_LIBRARY).ok());
    HostResult<bool> initialized = host_.Initialize();
    ASSERT_TRUE(initialized.ok() && initialized.value());
  }

  // A request that must be delivered; the response as the host read it.
  HostResponse Send(const HostRequest& request) {
    HostResult<HostResponse> response = host_.Request(request);
    EXPECT_TRUE(response.ok()) << response.error();
    return response.ok() ? response.value() : HostResponse{};
  }

  // What every response must be, whatever it says: released by the plugin's own function,
  // which leaves the record zero, and a content type that is a text.
  static void ExpectReleasable(const HostResponse& response) {
    EXPECT_TRUE(response.had_release);
    EXPECT_TRUE(response.zeroed_by_release);
    EXPECT_TRUE(response.content_type.has_value());
    EXPECT_TRUE(response.headers_error.empty()) << response.headers_error;
    EXPECT_TRUE(response.result_error.empty()) << response.result_error;
  }

  ReferenceHost host_;
};

TEST_F(LoyaltyRequests, GetBeforeAnyMessageIsDisabledWithoutRewards) {
  const HostResponse response = Send({"GET", kPath});
  ExpectReleasable(response);
  EXPECT_EQ(response.status, 0);
  EXPECT_FALSE(response.failed);
  EXPECT_FALSE(response.error.has_value());
  EXPECT_EQ(response.content_type, "");
  EXPECT_FALSE(response.has_stream);
  EXPECT_TRUE(response.headers.empty());
  EXPECT_EQ(response.result, Json::parse(R"({"rewards":{"freeRewardedChampionsCount":0,
      "freeRewardedSkinsCount":0,"ipBoost":0,"xpBoost":0},"status":"DISABLED"})"));
}

TEST_F(LoyaltyRequests, GetFollowsTheMessages) {
  struct Row {
    const char* message;
    const char* status;
    int champions, skins, ip, xp;
  };
  const Row kRows[] = {
      {R"({"accountId":7,"notificationCategory":"grant","rewards":{"champions":[
          {"championId":1,"skins":[10,11,12]},{"championId":2,"skins":[]}],"ipBoost":0,
          "xpBoost":0}})",
       "REWARDS_GRANT", 2, 3, 0, 0},
      // The same status with other skins: nothing changes.
      {R"({"accountId":7,"notificationCategory":"grant","rewards":{"champions":[
          {"championId":1,"skins":[]},{"championId":2,"skins":[5]}],"ipBoost":0,"xpBoost":0}})",
       "REWARDS_GRANT", 2, 3, 0, 0},
      {R"({"accountId":7,"notificationCategory":"change","rewards":{"champions":[],
          "ipBoost":4,"xpBoost":2}})",
       "CHANGE", 0, 0, 4, 2},
      {R"({"accountId":7,"notificationCategory":6,"rewards":{"champions":[],"ipBoost":1,
          "xpBoost":0}})",
       "CHANGE", 0, 0, 4, 2},  // does not convert: dropped
      {R"({"accountId":7,"notificationCategory":"revoke","rewards":{"champions":[
          {"championId":9,"skins":[1]}],"ipBoost":0,"xpBoost":3}})",
       "REVOKE", 1, 1, 0, 3},
      {R"({"accountId":7,"notificationCategory":"grant","rewards":{"champions":[],
          "ipBoost":0,"xpBoost":0}})",
       "DISABLED", 0, 0, 0, 0},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.message);
    ASSERT_TRUE(host_.DeliverEvent(kLcdsEvent, Message(row.message)).ok());
    host_.RunDue();
    const HostResponse response = Send({"GET", kPath});
    ExpectReleasable(response);
    EXPECT_FALSE(response.failed);
    EXPECT_EQ(response.result, (Json{{"rewards",
                                      {{"freeRewardedChampionsCount", row.champions},
                                       {"freeRewardedSkinsCount", row.skins},
                                       {"ipBoost", row.ip},
                                       {"xpBoost", row.xp}}},
                                     {"status", row.status}}));
  }
}

TEST_F(LoyaltyRequests, TheRouterAnswersWhatTheHandlerCannot) {
  struct Row {
    HostRequest request;
    int32_t status;
    const char* error;
  };
  const Row kRows[] = {
      {{"POST", kPath}, 404, "Invalid function"},
      {{"PURGE", kPath}, 404, "Invalid function"},
      // The route's path is literal, and the plugin matches the path with its query.
      {{"GET", std::string(kPath) + "?verbose=1"}, 404, "Invalid function"},
      {{"GET", kPath, {}, {{"verbose", Json(true)}}},
       0,
       "Unknown argument 'verbose' for 'GetQevLoyaltyV1StatusNotification'."},
      {{"GET", kPath, {}, {{"", Json(1)}}},
       0,
       "Unknown argument '0' for 'GetQevLoyaltyV1StatusNotification'."},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.request.method + " " + row.request.path);
    const HostResponse response = Send(row.request);
    ExpectReleasable(response);
    EXPECT_TRUE(response.failed);
    EXPECT_EQ(response.status, row.status);
    EXPECT_EQ(response.error, row.error);
  }
}

TEST_F(LoyaltyRequests, HeadersAndABodyTheHandlerDoesNotTakeAreIgnored) {
  HostRequest request{"GET", kPath, {{"Accept", "application/json"}, {"X-Trace", "7"}}};
  request.body = R"({"ignored":true})";
  request.content_type = "application/json";
  const HostResponse response = Send(request);
  ExpectReleasable(response);
  EXPECT_FALSE(response.failed);
  EXPECT_EQ(response.result["status"], "DISABLED");
}

TEST_F(LoyaltyRequests, ARequestWithoutHandlerContextFailsCleanly) {
  RouteView route = host_.ReadBindingTable().value().routes.at(0);
  route.handler_context = nullptr;
  HostResult<HostResponse> response = DeliverRequest(route, {"GET", kPath}, 1);
  ASSERT_TRUE(response.ok());
  ExpectReleasable(response.value());
  EXPECT_TRUE(response.value().failed);
  EXPECT_EQ(response.value().status, 404);
  EXPECT_EQ(response.value().error, "Invalid function");
}

TEST_F(LoyaltyRequests, RequestsAreRecordedWithTheirResponses) {
  host_.ClearRecords();
  (void)Send({"GET", kPath});
  const std::vector<TranscriptEntry> transcript = host_.transcript();
  ASSERT_EQ(transcript.size(), 2u);
  EXPECT_EQ(FormatReadable(transcript[0]),
            "host>   Request {\"method\":\"GET\",\"path\":\"/qev-loyalty/v1/status-notification\","
            "\"route\":\"GET /qev-loyalty/v1/status-notification\"}");
  EXPECT_EQ(FormatReadable(transcript[1]),
            "host<   Request -> {\"status\":0,\"failed\":false,\"error\":null,\"result\":{"
            "\"rewards\":{\"freeRewardedChampionsCount\":0,\"freeRewardedSkinsCount\":0,"
            "\"ipBoost\":0,\"xpBoost\":0},\"status\":\"DISABLED\"},\"contentType\":\"\"}");
}

}  // namespace
}  // namespace Vorn::Host
