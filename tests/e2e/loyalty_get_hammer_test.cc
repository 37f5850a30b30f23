// GET requests from several host threads through the built plugin's route entry while loyalty
// messages arrive and their timers run: every answer must be one whole state, never a mix.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "host/reference_host.h"
#include "tests/e2e/loyalty_names.h"
#include "tests/e2e/loyalty_states.h"

namespace Vorn::Host {
namespace {

constexpr int kThreads = 4;
constexpr int kMessages = 200;

struct ThreadTally {
  int answers = 0;
  std::vector<std::string> wrong;  // what was off, reported after the join
};

TEST(LoyaltyGetHammer, EveryAnswerIsOneWholeState) {
  ReferenceHost host;
  ASSERT_TRUE(host.Load(QEV_LOYALTY_LIBRARY).ok());
  HostResult<bool> initialized = host.Initialize();
  ASSERT_TRUE(initialized.ok() && initialized.value());

  const std::set<std::string> allowed = WholeAnswers();

  std::atomic<bool> done{false};
  std::vector<ThreadTally> tallies(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      ThreadTally& tally = tallies[t];
      // At least a few answers each, however the threads are scheduled.
      while (!done.load() || tally.answers < 5) {
        HostResult<HostResponse> response = host.Request({"GET", kPath});
        ++tally.answers;
        if (!response.ok()) {
          tally.wrong.push_back(response.error());
        } else if (response.value().failed || response.value().status != 0) {
          tally.wrong.push_back("failed: " + response.value().error.value_or("(no text)"));
        } else if (allowed.count(DumpJson(response.value().result)) == 0) {
          tally.wrong.push_back(DumpJson(response.value().result));
        }
      }
    });
  }

  for (int i = 0; i < kMessages; ++i) {
    const StateRow& row = kStates[i % std::size(kStates)];
    const Json message = {{"typeName", kTypeName}, {"body", Json::parse(row.body)}};
    EXPECT_TRUE(host.DeliverEvent(kLcdsEvent, message).ok());
    // Delivery happens in the timer the plugin asks for; now and then the clock moves too.
    EXPECT_EQ(i % 8 == 0 ? host.AdvanceClock(0.25) : host.RunDue(), 1u);
  }
  done = true;
  for (std::thread& thread : threads)
    thread.join();

  for (int t = 0; t < kThreads; ++t) {
    SCOPED_TRACE("thread " + std::to_string(t));
    EXPECT_GE(tallies[t].answers, 5);
    EXPECT_TRUE(tallies[t].wrong.empty())
        << tallies[t].wrong.size() << " wrong, first " << tallies[t].wrong.front();
  }
  HostResult<HostResponse> last = host.Request({"GET", kPath});
  ASSERT_TRUE(last.ok());
  EXPECT_EQ(last.value().result, Json::parse(kStates[(kMessages - 1) % std::size(kStates)].answer));
  EXPECT_TRUE(host.Shutdown().ok());
}

}  // namespace
}  // namespace Vorn::Host
