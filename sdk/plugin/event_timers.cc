// Timers through the host's ScheduleCallback: the entry waits in the timer table until the host
// calls back.
#include <chrono>
#include <exception>

#include "sdk/plugin/internal/timer_tickets.h"
#include "sdk/plugin/plugin_event_client.h"

namespace Vorn::Client {

int64_t PluginEventClient::SteadyNowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

uint64_t PluginEventClient::ScheduleAt(const std::string& name, std::function<void()> callable,
                                       int64_t deadline_ns) {
  const int64_t remaining = deadline_ns - SteadyNowNs();
  const double delay = remaining > 0 ? static_cast<double>(remaining) / 1e9 : 0.0;
  uintptr_t ticket = 0;
  {
    std::lock_guard<std::mutex> hold(timer_lock_);
    const uint64_t id = next_timer_id_++;
    auto stored = std::make_unique<TimerEntry>(TimerEntry{this, id, 0, std::move(callable)});
    stored->ticket = ticket = detail::IssueTimerTicket(stored.get());
    timers_.emplace(id, std::move(stored));
  }
  // The context is the ticket, not the entry: the host may call back after this client is gone.
  return ScheduleCallback(name.c_str(), &PluginEventClient::TimerCallback,
                          reinterpret_cast<void*>(ticket), delay, 0);
}

void PluginEventClient::WithdrawTimers() {
  std::lock_guard<std::mutex> hold(timer_lock_);
  for (const auto& [id, entry] : timers_)
    detail::WithdrawTimerTicket(entry->ticket);
  timers_.clear();
}

void VORN_CDECL PluginEventClient::TimerCallback(void* context) {
  const auto ticket = reinterpret_cast<uintptr_t>(context);
  auto* entry = static_cast<TimerEntry*>(detail::FindTimerTicket(ticket));
  // A timer of a plugin that is gone, or one the host runs twice, does nothing.
  if (entry == nullptr) return;
  PluginEventClient* client = entry->client;
  const uint64_t id = entry->id;
  // The callable runs without the timer lock; no exception may reach the host.
  try {
    if (entry->callable) entry->callable();
  } catch (const std::exception& error) {
    PluginTraceHook("Timer callback failed: %s", error.what());
  } catch (...) {
    PluginTraceHook("Timer callback failed");
  }
  std::lock_guard<std::mutex> hold(client->timer_lock_);
  detail::WithdrawTimerTicket(ticket);
  client->timers_.erase(id);
}

size_t PluginEventClient::PendingTimerCount() const {
  std::lock_guard<std::mutex> hold(timer_lock_);
  return timers_.size();
}

}  // namespace Vorn::Client
