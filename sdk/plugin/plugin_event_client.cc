// Handler tables, reference-counted subscriptions and the host's event callback.
#include "sdk/plugin/plugin_event_client.h"

#include <exception>
#include <utility>

#include "sdk/plugin/telemetry_client.h"

namespace Vorn::Client {

PluginEventClient::PluginEventClient() = default;
PluginEventClient::~PluginEventClient() {
  WithdrawTimers();
}

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
  // Over a copy of the names: the host may call back into the plugin from UnsubscribeEvent.
  std::vector<std::string> names;
  names.reserve(handlers_.size());
  for (const auto& [name, handler] : handlers_)
    names.push_back(name);
  for (const std::string& name : names)
    UnsubscribeEvent(name.c_str(), host_handle_);
  handlers_ = {};
  lcds_handlers_ = {};
  {
    std::lock_guard<std::mutex> hold(service_proxy_lock_);
    service_proxy_pending_ = {};
    service_proxy_async_ = {};
    service_proxy_received_.Clear();
  }
  json_api_listeners_ = {};
  json_api_pattern_listeners_.clear();
}

int32_t PluginEventClient::AddEventHandler(const std::string& name, PluginEventHandlerPtr handler,
                                           uint32_t flags) {
  handlers_[name] = std::move(handler);
  return SubscribeEvent(name.c_str(), host_handle_, &PluginEventClient::EventCallback, this, flags);
}

void PluginEventClient::SetLcdsClassName(const std::string& binding_name,
                                         const StaticTypeIdentity& identity,
                                         const std::string& class_name) {
  lcds_class_names_[binding_name] = class_name;
  lcds_class_names_by_identity_[identity.hash] = class_name;
}

const std::string* PluginEventClient::LcdsClassNameFor(const std::string& binding_name) const {
  auto found = lcds_class_names_.find(binding_name);
  return found == lcds_class_names_.end() ? nullptr : &found->second;
}

const std::string* PluginEventClient::LcdsClassNameFor(const StaticTypeIdentity& identity) const {
  auto found = lcds_class_names_by_identity_.find(identity.hash);
  return found == lcds_class_names_by_identity_.end() ? nullptr : &found->second;
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
  request_registry_ = type_registry_;
  host_handle_ = host_handle;
  user_agent_ = std::move(user_agent);
  telemetry_ = std::make_unique<TelemetryClient>(*this);
}

void VORN_CDECL PluginEventClient::EventCallback(const PluginEventRecord* event) {
  if (event == nullptr || event->context == nullptr || event->name == nullptr) return;
  // No exception may reach the host: a failing handler drops its one event.
  try {
    auto* client = static_cast<PluginEventClient*>(event->context);
    auto found = client->handlers_.find(event->name);
    if (found == client->handlers_.end()) return;
    // A handler that unsubscribes its own name stays alive until it returns.
    PluginEventHandlerPtr handler = found->second;
    handler->Handle(*event);
  } catch (const std::exception& error) {
    PluginTraceHook("Event %s dropped: %s", event->name, error.what());
  } catch (...) {
    PluginTraceHook("Event %s dropped", event->name);
  }
}

}  // namespace Vorn::Client
