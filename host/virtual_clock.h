// The host's timer queue on a clock that moves only when told to. Due timers run in deadline
// order, and timers with the same deadline in the order they were scheduled.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace Vorn::Host {

class VirtualClock {
 public:
  struct Timer {
    uint64_t id = 0;
    std::string name;
    double deadline = 0;
    std::function<void()> task;
  };

  // A negative or NaN delay counts as 0. Ids start at 1 and increase.
  uint64_t Schedule(std::string name, double delay_seconds, std::function<void()> task);

  // Removes and returns the earliest timer due at or before `until`, moving the clock to its
  // deadline when that is later than now. The caller runs it, so a running timer may schedule
  // more.
  std::optional<Timer> TakeNextDue(double until);
  // Moves the clock forward to `time`; never backwards.
  void AdvanceTo(double time);

  double now() const { return now_; }
  // The id the next Schedule gives.
  uint64_t next_id() const { return next_id_; }
  // The earliest deadline queued; none when the queue is empty.
  std::optional<double> next_deadline() const {
    if (queue_.empty()) return std::nullopt;
    return queue_.begin()->first.first;
  }
  size_t pending() const { return queue_.size(); }

 private:
  double now_ = 0;
  uint64_t next_id_ = 1;
  // Keyed by (deadline, id): ids grow, so ties keep their scheduling order.
  std::map<std::pair<double, uint64_t>, Timer> queue_;
};

}  // namespace Vorn::Host
