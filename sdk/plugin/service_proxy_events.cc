// Service-proxy replies: uuid and method replies fulfil at most one waiting request per event;
// asynchronous replies go to their registered handler. Completions, handlers and log lines run
// after the mutex is released, so they may send requests or reach the host freely.
#include <cstring>
#include <optional>

#include "sdk/diagnostics/log_api.h"
#include "sdk/plugin/plugin_event_client.h"
#include "sdk/runtime/format_text.h"

namespace Vorn::Client {

void PluginEventClient::SendServiceProxyRequest(const std::string& key,
                                                ServiceProxyHandler completion) {
  std::lock_guard<std::mutex> hold(service_proxy_lock_);
  service_proxy_pending_[key] = std::move(completion);
}

void PluginEventClient::AddAsyncServiceProxyHandler(const std::string& key,
                                                    ServiceProxyHandler handler) {
  std::lock_guard<std::mutex> hold(service_proxy_lock_);
  service_proxy_async_[key] = std::move(handler);
}

void PluginEventClient::OnServiceProxyReply(const char* event_name,
                                            const AppModule::PluginServiceProxyResponse& response) {
  const bool by_uuid = std::strcmp(event_name, "OnServiceProxyUuidEvent") == 0;
  const std::string key =
      by_uuid ? response.uuid : FormatText("%1.%2", response.serviceName, response.methodName);
  if (std::strcmp(event_name, "OnServiceProxyAsyncEvent") == 0) {
    std::optional<ServiceProxyHandler> handler;
    {
      std::lock_guard<std::mutex> hold(service_proxy_lock_);
      auto found = service_proxy_async_.find(key);
      if (found != service_proxy_async_.end()) handler = found->second;
    }
    if (!handler.has_value()) {
      Log(kLogLevelError, kLogGroupDbg,
          "Could not find registered handler for async service proxy event %s", key.c_str());
      return;
    }
    if (*handler) (*handler)(response);
    return;
  }
  {
    std::lock_guard<std::mutex> hold(service_proxy_lock_);
    service_proxy_received_.Store(key, response);
  }
  FulfilServiceProxyRequest();
}

void PluginEventClient::FulfilServiceProxyRequest() {
  std::string fulfilled;
  std::optional<AppModule::PluginServiceProxyResponse> reply;
  ServiceProxyHandler completion;
  {
    std::lock_guard<std::mutex> hold(service_proxy_lock_);
    const std::string* key = service_proxy_received_.OldestKeyIn(service_proxy_pending_);
    if (key == nullptr) return;
    fulfilled = *key;
    auto pending = service_proxy_pending_.find(fulfilled);
    completion = std::move(pending->second);
    service_proxy_pending_.erase(pending);
    reply = service_proxy_received_.Take(fulfilled);
  }
  // The tables are settled first, so the completion may ask again for the same key.
  if (completion) completion(*reply);
  Log(kLogLevelAlways, kLogGroupDbg, "Fulfilled service proxy request: %s", fulfilled.c_str());
}

}  // namespace Vorn::Client
