// LCDS delivery: a pending response takes the message; otherwise the type's handlers get a copy
// from a host timer callback, in registration order.
#include "sdk/plugin/plugin_event_client.h"
#include "sdk/runtime/format_text.h"

namespace Vorn::Client {

std::future<AppModule::PluginLcdsEvent> PluginEventClient::AwaitLcdsResponse(
    const std::string& type_name) {
  std::promise<AppModule::PluginLcdsEvent> waiting;
  std::future<AppModule::PluginLcdsEvent> outcome = waiting.get_future();
  pending_lcds_[type_name] = std::move(waiting);
  return outcome;
}

void PluginEventClient::DispatchLcds(const AppModule::PluginLcdsEvent& event) {
  auto pending = pending_lcds_.find(event.typeName);
  if (pending != pending_lcds_.end()) {
    std::promise<AppModule::PluginLcdsEvent> waiting = std::move(pending->second);
    pending_lcds_.erase(pending);
    waiting.set_value(event);
    return;
  }
  auto handlers = lcds_handlers_.find(event.typeName);
  if (handlers == lcds_handlers_.end() || handlers->second.empty()) return;
  auto copy = std::make_shared<AppModule::PluginLcdsEvent>(event);
  ScheduleAt(
      FormatText("Event: OnLcdsEvent (%1)", event.typeName),
      [this, copy]() {
        auto found = lcds_handlers_.find(copy->typeName);
        if (found == lcds_handlers_.end()) return;
        // Handlers added while these run are not called for this message.
        const std::vector<LcdsHandler> current = found->second;
        for (const LcdsHandler& handler : current)
          handler(*copy);
      },
      SteadyNowNs());
}

}  // namespace Vorn::Client
