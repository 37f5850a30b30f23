// The host's virtual timer queue.
#include "host/virtual_clock.h"

#include <cmath>

namespace Vorn::Host {

uint64_t VirtualClock::Schedule(std::string name, double delay_seconds,
                                std::function<void()> task) {
  const double delay = std::isnan(delay_seconds) || delay_seconds < 0 ? 0 : delay_seconds;
  const uint64_t id = next_id_++;
  const double deadline = now_ + delay;
  queue_.emplace(std::make_pair(deadline, id),
                 Timer{id, std::move(name), deadline, std::move(task)});
  return id;
}

std::optional<VirtualClock::Timer> VirtualClock::TakeNextDue(double until) {
  if (queue_.empty() || queue_.begin()->first.first > until) return std::nullopt;
  auto node = queue_.extract(queue_.begin());
  AdvanceTo(node.mapped().deadline);
  return std::move(node.mapped());
}

void VirtualClock::AdvanceTo(double time) {
  if (time > now_) now_ = time;
}

}  // namespace Vorn::Host
