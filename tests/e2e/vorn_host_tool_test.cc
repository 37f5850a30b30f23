// vorn-host as a child process: run with its sample and with scenario files, describe, request,
// their output and their exit codes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "host/plain_json.h"
#include "tests/e2e/tool_process.h"

namespace Vorn::Host {
namespace {

// Each of `pieces` must occur in `text`, in this order.
void ExpectInOrder(const std::string& text, const std::vector<std::string>& pieces) {
  size_t from = 0;
  for (const std::string& piece : pieces) {
    SCOPED_TRACE(piece);
    const size_t at = text.find(piece, from);
    ASSERT_NE(at, std::string::npos) << text;
    from = at + piece.size();
  }
}

size_t Count(const std::string& text, const std::string& piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
    ++count;
  return count;
}

std::string GetResult(const char* status, int champions, int skins, int ip, int xp) {
  return "\"result\":{\"rewards\":{\"freeRewardedChampionsCount\":" + std::to_string(champions) +
         ",\"freeRewardedSkinsCount\":" + std::to_string(skins) +
         ",\"ipBoost\":" + std::to_string(ip) + ",\"xpBoost\":" + std::to_string(xp) +
         "},\"status\":\"" + status + "\"}";
}

TEST(VornHostTool, RunPrintsTheWholeLifecycle) {
  const ToolRun run = RunTool("run");
  ASSERT_EQ(run.exit_code, 0) << run.out;
  const char* const kLines[] = {
      "host>   load_qev_loyalty {\"major\":18,\"minor\":0,\"patch\":0}\n",
      "\"name\":\"qev-loyalty\"",
      "host>   Initialize {\"hostHandle\":4660}\n",
      "plugin> SubscribeEvent {\"name\":\"OnServiceProxyUuidEvent\",\"hostHandle\":4660,"
      "\"flags\":1} -> 0\n",
      "host<   Initialize -> true\n",
      "host>   Shutdown\n",
      "plugin> UnsubscribeEvent {\"name\":\"OnServiceProxyUuidEvent\",\"hostHandle\":4660} -> 0\n",
  };
  size_t from = 0;
  for (const char* line : kLines) {
    SCOPED_TRACE(line);
    const size_t at = run.out.find(line, from);
    ASSERT_NE(at, std::string::npos) << run.out;
    from = at;
  }
}

TEST(VornHostTool, JsonLinesAreOneObjectPerLine) {
  const ToolRun run = RunTool("run --jsonl --plugin \"" QEV_LOYALTY_LIBRARY "\"");
  ASSERT_EQ(run.exit_code, 0) << run.out;
  size_t lines = 0;
  std::string last_call;
  for (size_t start = 0; start < run.out.size();) {
    const size_t end = run.out.find('\n', start);
    ASSERT_NE(end, std::string::npos);
    const Json entry = Json::parse(run.out.substr(start, end - start));
    // A scenario's notes stand between the calls.
    if (!entry.contains("note")) {
      EXPECT_TRUE(entry.contains("origin") && entry.contains("arguments")) << entry;
      last_call = entry["call"];
      ++lines;
    }
    start = end + 1;
  }
  EXPECT_GE(lines, 4u);
  EXPECT_EQ(last_call, "UnsubscribeEvent");
}

TEST(VornHostTool, TheSamplePlaysAGrantTheSameAgainAChangeAndAReset) {
  const ToolRun run = RunTool("run");
  ASSERT_EQ(run.exit_code, 0) << run.out;
  ExpectInOrder(run.out, {
                             GetResult("DISABLED", 0, 0, 0, 0),
                             "plugin> ScheduleCallback",
                             "host>   Timer",
                             "qev-loyalty: Received new loyalty status",
                             "plugin> DispatchEvent {\"name\":\"OnJsonApiEvent_qev-loyalty_v1_"
                             "status-notification\"",
                             "plugin> DispatchEvent {\"name\":\"OnJsonApiEvent\"",
                             "\"path\":\"/telemetry/v1/common-data/account_id\"",
                             "\"path\":\"/telemetry/v1/events/loyalty__event\"",
                             GetResult("REWARDS_GRANT", 2, 3, 0, 0),
                             "Received the same loyalty status as the current one.",
                             "\"status\":\"CHANGE\"},\"eventType\":\"Update\"",
                             GetResult("CHANGE", 0, 0, 0, 2),
                             GetResult("DISABLED", 0, 0, 0, 0),
                             "host>   Shutdown",
                         });
  EXPECT_EQ(Count(run.out, "host<   Request"), 4u);
  EXPECT_EQ(Count(run.out, "plugin> PerformRequest"), 2u);
  EXPECT_EQ(Count(run.out, "plugin> DispatchEvent"), 6u);
}

// One scenario in both forms; the transcripts must be the same.
constexpr const char* kJsonScenario = R"([
  {"note": "grant", "lcds": {"accountId": 9, "notificationCategory": "grant",
   "rewards": {"champions": [{"championId": 1, "skins": [4, 5]}], "ipBoost": 3, "xpBoost": 0}}},
  {"advance": 2.5},
  {"request": {"method": "GET", "path": "/qev-loyalty/v1/status-notification",
   "headers": {"Accept": "application/json"}}},
  {"request": {"method": "GET", "path": "/qev-loyalty/v1/status-notification",
   "args": {"verbose": true}}},
  {"lcds": {"accountId": 9}, "typeName": "com.example.Other"}
])";

constexpr const char* kYamlScenario = R"(# the same steps as the JSON file
- note: grant
  lcds:
    accountId: 9
    notificationCategory: grant
    rewards:
      champions:
        - {championId: 1, skins: [4, 5]}
      ipBoost: 3
      xpBoost: 0
- advance: 2.5
- request:
    method: GET
    path: /qev-loyalty/v1/status-notification
    headers: {Accept: application/json}
- request: {method: GET, path: /qev-loyalty/v1/status-notification, args: {verbose: true}}
- lcds: {accountId: 9}
  typeName: com.example.Other
)";

TEST(VornHostTool, ScenarioFilesInJsonAndYamlPlayTheSame) {
  const ToolRun json =
      RunTool("run --scenario \"" + WriteFile("scenario.json", kJsonScenario) + "\"");
  const ToolRun yaml =
      RunTool("run --scenario \"" + WriteFile("scenario.yaml", kYamlScenario) + "\"");
  // The last step's type has no subscriber: the host cannot deliver it, which fails the run.
  EXPECT_EQ(json.exit_code, 1) << json.out;
  EXPECT_EQ(yaml.exit_code, 1) << yaml.out;
  EXPECT_EQ(json.out, yaml.out);
  ExpectInOrder(json.out,
                {
                    "host<   Initialize -> true\n-- grant\nhost>   DeliverEvent",
                    "qev-loyalty: Received new loyalty status",
                    "\"value\":{\"event_name\":\"rewards_received\",\"free_champions_count\":"
                    "\"1\",\"ip_boost\":\"3\",\"xp_boost\":\"0\"}",
                    "host>   Request {\"method\":\"GET\",\"path\":\"/qev-loyalty/v1/"
                    "status-notification\",\"headers\":[[\"Accept\",\"application/json\"]],",
                    GetResult("REWARDS_GRANT", 1, 2, 3, 0),
                    "\"error\":\"Unknown argument 'verbose' for "
                    "'GetQevLoyaltyV1StatusNotification'.\"",
                    "vorn-host: step 5: nobody subscribed the event "
                    "'OnLcdsEvent_com_example_Other'\n",
                    "host>   Shutdown",
                });
}

TEST(VornHostTool, ScenarioMistakesAreReportedBeforeTheLoad) {
  struct Row {
    const char* name;
    const char* text;
    const char* message;
  };
  const Row kRows[] = {
      {"object.json", R"({"lcds": {}})", "vorn-host: a scenario must be a list of steps\n"},
      {"two.json", R"([{"advance": 1}, {"advance": 1, "lcds": {}}])",
       "vorn-host: step 2: a step needs exactly one of \"lcds\", \"event\", \"request\", "
       "\"advance\"\n"},
      {"unknown.json", R"([{"sleep": 1}])", "vorn-host: step 1: unknown member \"sleep\"\n"},
      {"back.json", R"([{"advance": -1}])",
       "vorn-host: step 1: \"advance\" must be a number of seconds, 0 or more\n"},
      {"nopath.yaml", "- request: {method: GET}\n",
       "vorn-host: step 1: a request needs a \"path\"\n"},
      {"typename.yaml", "- advance: 1\n  typeName: x\n",
       "vorn-host: step 1: \"typeName\", \"clientId\" and \"subtopic\" belong to an lcds "
       "step\n"},
      {"broken.yaml", "- [a\n", "broken.yaml: YAML: did not find expected ',' or ']' at line 2"},
      {"broken.json", "[{]", "broken.json: [json.exception.parse_error.101]"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    const ToolRun run = RunTool("run --scenario \"" + WriteFile(row.name, row.text) + "\"");
    EXPECT_EQ(run.exit_code, 1) << run.out;
    EXPECT_NE(run.out.find(row.message), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("load_qev_loyalty"), std::string::npos) << run.out;
  }
}

TEST(VornHostTool, DescribeListsTheBindingTable) {
  const ToolRun text = RunTool("describe");
  ASSERT_EQ(text.exit_code, 0) << text.out;
  ExpectInOrder(text.out, {
                              "Routes (1)\n"
                              "  GET /qev-loyalty/v1/status-notification\n"
                              "    GetQevLoyaltyV1StatusNotification() -> struct "
                              "LoyaltyStatusNotification\n"
                              "    tags: Plugins, Plugin qev-loyalty\n"
                              "Types (",
                              "  LCDSLoyaltyRewards  (record, ",
                              "    +0 champions: vector<LCDSChampionReward>\n",
                              "  LoyaltyStatus  (enum, 4 bytes)\n"
                              "    tags: Plugins, Plugin qev-loyalty\n"
                              "    CHANGE = 3\n",
                              "Events (",
                              "  OnJsonApiEvent (PluginResourceEvent)\n"
                              "    Fired when a resource is changed.\n"
                              "    tags: vclient\n",
                          });

  const ToolRun json = RunTool("describe --json --plugin \"" QEV_LOYALTY_LIBRARY "\"");
  ASSERT_EQ(json.exit_code, 0) << json.out;
  const Json table = Json::parse(json.out);
  ASSERT_EQ(table["routes"].size(), 1u);
  EXPECT_EQ(table["routes"][0]["methodText"], "GET");
  EXPECT_EQ(table["routes"][0]["method"], 2);
  EXPECT_EQ(table["routes"][0]["function"], "GetQevLoyaltyV1StatusNotification");
  EXPECT_EQ(table["routes"][0]["handlerContext"], true);
  bool found = false;
  for (const Json& type : table["types"]) {
    if (type["name"] != "LoyaltyRewards") continue;
    found = true;
    EXPECT_EQ(type["fields"][3], Json::parse(R"({"name":"xpBoost","description":"","offset":12,
        "typeCode":6,"elementTypeCode":0,"typeName":"","optional":false})"));
  }
  EXPECT_TRUE(found);
}

TEST(VornHostTool, RequestPrintsStatusAndResultOrError) {
  struct Row {
    const char* arguments;
    int exit_code;
    const char* output;
  };
  const Row kRows[] = {
      {"GET /qev-loyalty/v1/status-notification", 0,
       "status 0\nresult {\"rewards\":{\"freeRewardedChampionsCount\":0,"
       "\"freeRewardedSkinsCount\":0,\"ipBoost\":0,\"xpBoost\":0},\"status\":\"DISABLED\"}\n"},
      {"GET /qev-loyalty/v1/status-notification --header Accept=text/plain", 0,
       "\"status\":\"DISABLED\"}\n"},
      {"POST /qev-loyalty/v1/status-notification", 1, "status 404\nerror Invalid function\n"},
      {"GET /qev-loyalty/v1/status-notification --arg verbose=1", 1,
       "status 0\nerror Unknown argument 'verbose' for 'GetQevLoyaltyV1StatusNotification'.\n"},
      {"GET /qev-loyalty/v1/unknown", 1, "vorn-host: no route for GET /qev-loyalty/v1/unknown\n"},
      {"GET /qev-loyalty/v1/status-notification --header Accept", 1,
       "vorn-host: --header wants NAME=VALUE, not 'Accept'\n"},
      {"GET /qev-loyalty/v1/status-notification --body /no/such/file --content-type "
       "application/json",
       1, "vorn-host: cannot read /no/such/file\n"},
      {"GET", 2, "path is required"},
      {"GET /qev-loyalty/v1/status-notification --body x", 2, "--body requires --content-type"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.arguments);
    const ToolRun run = RunTool(std::string("request ") + row.arguments);
    EXPECT_EQ(run.exit_code, row.exit_code) << run.out;
    EXPECT_NE(run.out.find(row.output), std::string::npos) << run.out;
  }
}

TEST(VornHostTool, RequestCarriesABodyFromAFile) {
  const std::string body = WriteFile("body.json", R"({"unused": [1, 2]})");
  const ToolRun run = RunTool("request GET /qev-loyalty/v1/status-notification --body \"" + body +
                              "\" --content-type application/json");
  EXPECT_EQ(run.exit_code, 0) << run.out;
  EXPECT_NE(run.out.find("\"status\":\"DISABLED\"}\n"), std::string::npos) << run.out;
}

TEST(VornHostTool, ExitCodes) {
  struct Row {
    const char* arguments;
    int exit_code;
    const char* output;
  };
  const Row kRows[] = {
      {"", 2, "A subcommand is required"},
      {"run --frobnicate", 2, "The following argument was not expected: --frobnicate"},
      {"frobnicate", 2, "A subcommand is required"},
      {"run --plugin /no/such/plugin.so", 1, "vorn-host: cannot load /no/such/plugin.so"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.arguments);
    const ToolRun run = RunTool(row.arguments);
    EXPECT_EQ(run.exit_code, row.exit_code) << run.out;
    EXPECT_NE(run.out.find(row.output), std::string::npos) << run.out;
  }
}

}  // namespace
}  // namespace Vorn::Host
