// The host's timers on the real clock: a thread of the host runs them at their deadlines, one
// with no delay at once, and every timer's schedule is recorded before anything it does.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "host/reference_host.h"

namespace Vorn::Host {
namespace {

using Clock = std::chrono::steady_clock;

struct Runs {
  std::mutex mutex;
  std::condition_variable ran;
  std::vector<std::string> names;
  std::vector<std::thread::id> threads;
  std::vector<Clock::time_point> times;
};

struct TimerContext {
  Runs* runs;
  const char* name;
  const HostApiTable* api = nullptr;  // set: the timer schedules "follow-up" with no delay
  TimerContext* follow_up = nullptr;
};

extern "C" void QEV_HOST_CDECL NoteRun(void* context) {
  auto* timer = static_cast<TimerContext*>(context);
  if (timer->api != nullptr) {
    timer->api->schedule_callback(timer->api, "follow-up", NoteRun, timer->follow_up, 0, 0);
  }
  std::lock_guard lock(timer->runs->mutex);
  timer->runs->names.push_back(timer->name);
  timer->runs->threads.push_back(std::this_thread::get_id());
  timer->runs->times.push_back(Clock::now());
  timer->runs->ran.notify_all();
}

bool WaitForRuns(Runs& runs, size_t count) {
  std::unique_lock lock(runs.mutex);
  return runs.ran.wait_for(lock, std::chrono::seconds(30),
                           [&] { return runs.names.size() >= count; });
}

TEST(RealClock, TimersRunOnTheHostsThreadAtTheirDeadlines) {
  ReferenceHost host;
  const HostApiTable* api = host.host_interface().api;
  ASSERT_TRUE(host.StartRealClock().ok());
  EXPECT_FALSE(host.StartRealClock().ok());

  Runs runs;
  TimerContext later{&runs, "later"};
  TimerContext now{&runs, "now"};
  TimerContext follow_up{&runs, "follow-up"};
  TimerContext chaining{&runs, "chaining", api, &follow_up};
  const Clock::time_point scheduled = Clock::now();
  EXPECT_EQ(api->schedule_callback(api, "later", NoteRun, &later, 0.2, 0), 1u);
  EXPECT_EQ(api->schedule_callback(api, "now", NoteRun, &now, 0, 0), 2u);
  EXPECT_EQ(api->schedule_callback(api, "chaining", NoteRun, &chaining, 0.05, 0), 3u);
  ASSERT_TRUE(WaitForRuns(runs, 4));
  host.StopRealClock();

  EXPECT_EQ(runs.names, (std::vector<std::string>{"now", "chaining", "follow-up", "later"}));
  for (const std::thread::id thread : runs.threads) {
    EXPECT_EQ(thread, runs.threads.front());
    EXPECT_NE(thread, std::this_thread::get_id());
  }
  EXPECT_GE(runs.times.back() - scheduled, std::chrono::milliseconds(200));
  EXPECT_EQ(host.pending_timers(), 0u);

  // Each timer's schedule stands before the timer itself.
  std::vector<std::string> order;
  for (const TranscriptEntry& entry : host.transcript()) {
    if (entry.call == "ScheduleCallback" || entry.call == "Timer") {
      order.push_back(entry.call + " " + entry.arguments["name"].get<std::string>());
    }
  }
  for (const char* name : {"later", "now", "chaining", "follow-up"}) {
    SCOPED_TRACE(name);
    const auto scheduled_at =
        std::find(order.begin(), order.end(), "ScheduleCallback " + std::string(name));
    const auto ran_at = std::find(order.begin(), order.end(), "Timer " + std::string(name));
    ASSERT_NE(ran_at, order.end());
    EXPECT_LT(scheduled_at, ran_at);
  }
}

TEST(RealClock, StoppingLeavesTimersNotYetDueQueuedAndTheClockWhereItStood) {
  ReferenceHost host;
  const HostApiTable* api = host.host_interface().api;
  ASSERT_TRUE(host.StartRealClock().ok());
  Runs runs;
  TimerContext never{&runs, "never"};
  api->schedule_callback(api, "never", NoteRun, &never, 3600, 0);
  host.StopRealClock();
  EXPECT_EQ(host.pending_timers(), 1u);
  EXPECT_TRUE(runs.names.empty());
  const double stopped_at = host.now();
  EXPECT_GE(stopped_at, 0.0);
  EXPECT_LT(stopped_at, 3600.0);
  // Started again, the clock goes on from there.
  ASSERT_TRUE(host.StartRealClock().ok());
  host.StopRealClock();
  EXPECT_GE(host.now(), stopped_at);
}

}  // namespace
}  // namespace Vorn::Host
