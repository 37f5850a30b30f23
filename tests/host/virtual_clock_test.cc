// The host's timer queue: deadline then scheduling order, and timers added while one runs.
#include "host/virtual_clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace Vorn::Host {
namespace {

std::vector<std::string> RunAll(VirtualClock& clock, double until) {
  std::vector<std::string> ran;
  while (auto timer = clock.TakeNextDue(until)) {
    ran.push_back(timer->name);
    timer->task();
  }
  return ran;
}

TEST(HostVirtualClock, RunsByDeadlineThenInSchedulingOrder) {
  VirtualClock clock;
  EXPECT_EQ(clock.Schedule("late", 2, [] {}), 1u);
  EXPECT_EQ(clock.Schedule("first-at-1", 1, [] {}), 2u);
  clock.Schedule("now-a", 0, [] {});
  clock.Schedule("now-negative", -5, [] {});
  clock.Schedule("now-nan", std::nan(""), [] {});
  clock.Schedule("second-at-1", 1, [] {});

  EXPECT_EQ(RunAll(clock, 0), (std::vector<std::string>{"now-a", "now-negative", "now-nan"}));
  EXPECT_EQ(RunAll(clock, 1.5), (std::vector<std::string>{"first-at-1", "second-at-1"}));
  EXPECT_EQ(clock.now(), 1.0);
  EXPECT_EQ(clock.pending(), 1u);
}

TEST(HostVirtualClock, TimerScheduledWhileRunningCountsFromItsDeadline) {
  VirtualClock clock;
  std::vector<std::string> ran;
  clock.Schedule("outer", 1, [&] {
    clock.Schedule("inner-now", 0, [] {});
    clock.Schedule("inner-later", 0.5, [] {});
    clock.Schedule("inner-too-late", 5, [] {});
  });
  EXPECT_EQ(RunAll(clock, 2), (std::vector<std::string>{"outer", "inner-now", "inner-later"}));
  EXPECT_EQ(clock.now(), 1.5);
  clock.AdvanceTo(2);
  clock.AdvanceTo(1);  // never backwards
  EXPECT_EQ(clock.now(), 2.0);
}

}  // namespace
}  // namespace Vorn::Host
