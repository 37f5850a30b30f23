// Service-proxy replies: uuid and method replies fulfil at most one waiting request per event;
// asynchronous replies go to their registered handler.
#include <cstring>

#include "sdk/diagnostics/log_api.h"
#include "sdk/plugin/plugin_event_client.h"
#include "sdk/runtime/format_text.h"

namespace Vorn::Client {

void PluginEventClient::SendServiceProxyRequest(const std::string& key,
                                                ServiceProxyHandler completion) {
  std::lock_guard<std::recursive_mutex> hold(service_proxy_lock_);
  service_proxy_pending_[key] = std::move(completion);
}

void PluginEventClient::AddAsyncServiceProxyHandler(const std::string& key,
                                                    ServiceProxyHandler handler) {
  std::lock_guard<std::recursive_mutex> hold(service_proxy_lock_);
  service_proxy_async_[key] = std::move(handler);
}

void PluginEventClient::OnServiceProxyReply(const char* event_name,
                                            const AppModule::PluginServiceProxyResponse& response) {
  const bool by_uuid = std::strcmp(event_name, "OnServiceProxyUuidEvent") == 0;
  const std::string key =
      by_uuid ? response.uuid : FormatText("%1.%2", response.serviceName, response.methodName);
  if (std::strcmp(event_name, "OnServiceProxyAsyncEvent") == 0) {
    std::lock_guard<std::recursive_mutex> hold(service_proxy_lock_);
    auto found = service_proxy_async_.find(key);
    if (found == service_proxy_async_.end()) {
      Log(kLogLevelError, kLogGroupDbg,
          "Could not find registered handler for async service proxy event %s", key.c_str());
      return;
    }
    const ServiceProxyHandler handler = found->second;
    if (handler) handler(response);
    return;
  }
  {
    std::lock_guard<std::recursive_mutex> hold(service_proxy_lock_);
    bool replaced = false;
    for (auto& [stored_key, stored] : service_proxy_received_) {
      if (stored_key == key) {
        stored = response;
        replaced = true;
        break;
      }
    }
    if (!replaced) service_proxy_received_.emplace_back(key, response);
  }
  FulfilServiceProxyRequest();
}

void PluginEventClient::FulfilServiceProxyRequest() {
  std::lock_guard<std::recursive_mutex> hold(service_proxy_lock_);
  for (const auto& [key, response] : service_proxy_received_) {
    auto pending = service_proxy_pending_.find(key);
    if (pending == service_proxy_pending_.end()) continue;
    const std::string fulfilled = key;
    const AppModule::PluginServiceProxyResponse reply = response;
    ServiceProxyHandler completion = std::move(pending->second);
    service_proxy_pending_.erase(pending);
    std::erase_if(service_proxy_received_,
                  [&fulfilled](const auto& entry) { return entry.first == fulfilled; });
    if (completion) completion(reply);
    Log(kLogLevelAlways, kLogGroupDbg, "Fulfilled service proxy request: %s", fulfilled.c_str());
    return;
  }
}

}  // namespace Vorn::Client
