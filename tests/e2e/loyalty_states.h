// Loyalty messages that each change the status, with the GET answer each leaves: no two share
// their counts, so a torn read shows as an answer outside the set.
#pragma once

#include <set>
#include <string>

#include "host/plain_json.h"
#include "host/transcript.h"

namespace Vorn::Host {

struct StateRow {
  const char* body;
  const char* answer;  // the GET result once the message is taken
};

// Each differs from the one before it, so each is taken.
inline constexpr StateRow kStates[] = {
    {R"({"accountId":1,"notificationCategory":"grant","rewards":{"champions":[
        {"championId":1,"skins":[1,2,3]},{"championId":2,"skins":[]}],"ipBoost":0,"xpBoost":0}})",
     R"({"rewards":{"freeRewardedChampionsCount":2,"freeRewardedSkinsCount":3,"ipBoost":0,
        "xpBoost":0},"status":"REWARDS_GRANT"})"},
    {R"({"accountId":1,"notificationCategory":"change","rewards":{"champions":[],"ipBoost":5,
        "xpBoost":6}})",
     R"({"rewards":{"freeRewardedChampionsCount":0,"freeRewardedSkinsCount":0,"ipBoost":5,
        "xpBoost":6},"status":"CHANGE"})"},
    {R"({"accountId":1,"notificationCategory":"legacy","rewards":{"champions":[
        {"championId":3,"skins":[4]}],"ipBoost":7,"xpBoost":0}})",
     R"({"rewards":{"freeRewardedChampionsCount":1,"freeRewardedSkinsCount":1,"ipBoost":7,
        "xpBoost":0},"status":"LEGACY"})"},
    {R"({"accountId":1,"notificationCategory":"revoke","rewards":{"champions":[
        {"championId":4,"skins":[]},{"championId":5,"skins":[]},{"championId":6,"skins":[9,9]}],
        "ipBoost":1,"xpBoost":1}})",
     R"({"rewards":{"freeRewardedChampionsCount":3,"freeRewardedSkinsCount":2,"ipBoost":1,
        "xpBoost":1},"status":"REVOKE"})"},
};

inline constexpr const char* kInitialAnswer =
    R"({"rewards":{"freeRewardedChampionsCount":0,"freeRewardedSkinsCount":0,"ipBoost":0,
        "xpBoost":0},"status":"DISABLED"})";

// Every answer a GET may give while these messages arrive, as compact JSON.
inline std::set<std::string> WholeAnswers() {
  std::set<std::string> answers = {DumpJson(Json::parse(kInitialAnswer))};
  for (const StateRow& row : kStates)
    answers.insert(DumpJson(Json::parse(row.answer)));
  return answers;
}

}  // namespace Vorn::Host
