// Handler tables and reference-counted subscriptions of the event client.
#include "sdk/plugin/plugin_event_client.h"

#include <exception>
#include <utility>

#include "sdk/diagnostics/trace_hook.h"
#include "sdk/plugin/event_dispatch.h"
#include "sdk/plugin/event_names.h"

namespace Vorn::Client {

PluginEventClient::PluginEventClient() = default;
PluginEventClient::~PluginEventClient() = default;

void PluginEventClient::Subscribe(const std::string& resource_path) {
  const std::string name = MakeJsonApiEventName(resource_path);
  int32_t& count = subscription_counts_[name];
  if (++count != 1) return;
  PluginTraceHook("Subscribing to event: %s", name.c_str());
  AddEventHandler(name, MakeJsonApiEventHandler(*this), 0);
}

void PluginEventClient::Unsubscribe(const std::string& resource_path) {
  const std::string name = MakeJsonApiEventName(resource_path);
  auto found = subscription_counts_.find(name);
  // Without a live subscription there is nothing to release; the count never goes negative.
  if (found == subscription_counts_.end() || found->second <= 0) return;
  if (--found->second != 0) return;
  UnsubscribeEvent(name.c_str(), host_handle_);
  handlers_.erase(name);
  PluginTraceHook("Unsubscribing to event: %s", name.c_str());
}

void PluginEventClient::ReleaseHandlers() {
  for (const auto& [name, handler] : handlers_)
    UnsubscribeEvent(name.c_str(), host_handle_);
  handlers_.clear();
}

int32_t PluginEventClient::AddEventHandler(const std::string& name, PluginEventHandlerPtr handler,
                                           uint32_t flags) {
  handlers_[name] = std::move(handler);
  self_ = this;
  return SubscribeEvent(name.c_str(), host_handle_, &PluginEventClient::EventCallback, this, flags);
}

int32_t PluginEventClient::SubscriptionCount(const std::string& event_name) const {
  auto found = subscription_counts_.find(event_name);
  return found == subscription_counts_.end() ? 0 : found->second;
}

bool PluginEventClient::HasHandler(const std::string& event_name) const {
  return handlers_.find(event_name) != handlers_.end();
}

void PluginEventClient::SetHostContext(uint32_t host_handle, std::string user_agent) {
  self_ = this;
  host_handle_ = host_handle;
  user_agent_ = std::move(user_agent);
}

void VORN_CDECL PluginEventClient::EventCallback(const PluginEventRecord* event) {
  if (event == nullptr || event->context == nullptr || event->name == nullptr) return;
  // No exception may reach the host: a failing handler drops its one event.
  try {
    auto* client = static_cast<PluginEventClient*>(event->context);
    auto found = client->handlers_.find(event->name);
    if (found == client->handlers_.end()) return;
    PluginEventHandlerPtr handler = found->second;
    handler->Handle(*event);
  } catch (const std::exception& error) {
    PluginTraceHook("Event %s dropped: %s", event->name, error.what());
  } catch (...) {
    PluginTraceHook("Event %s dropped", event->name);
  }
}

}  // namespace Vorn::Client
