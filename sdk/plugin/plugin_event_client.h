// Everything that has to do with host events: handler tables, subscription counts, LCDS and
// JSON-API dispatch, service-proxy replies, timers and the host handle. The host-facing
// operations are pure here; PluginBase forwards them to the HostApi.
#pragma once

#include <cstdint>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "sdk/binding/binding_registry.h"
#include "sdk/binding/conversions.h"
#include "sdk/binding/static_type_hash.h"
#include "sdk/diagnostics/trace_hook.h"
#include "sdk/encoding/json_writer.h"
#include "sdk/plugin/abi/event_record.h"
#include "sdk/plugin/abi/host_api.h"
#include "sdk/plugin/event_dispatch.h"
#include "sdk/plugin/event_names.h"
#include "sdk/plugin/event_subscriber.h"
#include "sdk/plugin/plugin_event_handler.h"
#include "sdk/plugin/plugin_manager_records.h"
#include "sdk/plugin/service_proxy_replies.h"

namespace Vorn::Client {

class TelemetryClient;

class PluginEventClient : public EventSubscriber {
 public:
  using LcdsHandler = std::function<void(const AppModule::PluginLcdsEvent&)>;
  using ResourceHandler = std::function<void(const PluginResourceEvent&)>;
  using ServiceProxyHandler = std::function<void(const AppModule::PluginServiceProxyResponse&)>;

  PluginEventClient();
  virtual ~PluginEventClient();
  PluginEventClient(const PluginEventClient&) = delete;
  PluginEventClient& operator=(const PluginEventClient&) = delete;

  // Subscribes the path's event name on the first reference only.
  void Subscribe(const std::string& resource_path) override;
  // Unsubscribes when the last reference goes; a path without a live subscription does nothing.
  void Unsubscribe(const std::string& resource_path) override;

  // Unsubscribes every name in the handler table and empties the handler, LCDS, service-proxy
  // and JSON-API tables. Subscription counts, timers and pending LCDS responses stay.
  virtual void ReleaseHandlers();

  // The host's operations, in the order of the host's table.
  virtual int32_t PerformRequest(HostResponseRecord* out_response,
                                 const HostRequestRecord* request) = 0;
  virtual int32_t HostEntry1(uint32_t word0, uint32_t word1) = 0;
  virtual int32_t DispatchEvent(const PluginEventRecord* event) = 0;
  virtual int32_t SubscribeEvent(const char* name, uint32_t host_handle,
                                 PluginEventCallback callback, void* context, uint32_t flags) = 0;
  virtual int32_t UnsubscribeEvent(const char* name, uint32_t host_handle) = 0;
  virtual uint64_t ScheduleCallback(const char* name, PluginTimerCallback callback, void* context,
                                    double delay_seconds, uint32_t flags) = 0;
  virtual int32_t HostEntry6() = 0;
  virtual int32_t HostEntry7(const std::string& text, uint32_t word) = 0;
  virtual int32_t HostEntry8() = 0;

  // Stores the handler under the name (replacing any earlier one) and subscribes the name with
  // the host; returns the host's result.
  int32_t AddEventHandler(const std::string& name, PluginEventHandlerPtr handler, uint32_t flags);

  // Delivers LCDS messages of `type_name` to `handler` as native T, converted from the message
  // "body"; a body that does not convert skips this handler only. Subscribes again on every call.
  template <typename T>
  int32_t SubscribeLcds(const std::string& type_name, std::function<void(const T&)> handler);
  // The next LCDS message of `type_name` completes the future instead of reaching the handlers.
  std::future<AppModule::PluginLcdsEvent> AwaitLcdsResponse(const std::string& type_name);

  // Listeners of resource events, by exact path and by pattern ("*" stands for one segment).
  void AddJsonApiListener(const std::string& path, ResourceHandler handler);
  void AddJsonApiPatternListener(const std::string& pattern, ResourceHandler handler);

  // Service-proxy replies: a request waiting for the reply with `key` ("uuid", or
  // "service.method"), and handlers of asynchronous replies by "service.method".
  void SendServiceProxyRequest(const std::string& key, ServiceProxyHandler completion);
  void AddAsyncServiceProxyHandler(const std::string& key, ServiceProxyHandler handler);

  // Asks the host to run `callable` at `deadline_ns` on the steady clock (now when past);
  // returns the host's result.
  uint64_t ScheduleAt(const std::string& name, std::function<void()> callable, int64_t deadline_ns);
  static int64_t SteadyNowNs();

  // Records LCDS class names of a registered record, by binding name and by identity.
  void SetLcdsClassName(const std::string& binding_name, const StaticTypeIdentity& identity,
                        const std::string& class_name);
  const std::string* LcdsClassNameFor(const std::string& binding_name) const;
  const std::string* LcdsClassNameFor(const StaticTypeIdentity& identity) const;

  uint32_t host_handle() const { return host_handle_; }
  const std::string& user_agent() const { return user_agent_; }
  const BindingRegistry* type_registry() const { return type_registry_; }
  const BindingRegistry* request_registry() const { return request_registry_; }
  TelemetryClient* telemetry() const { return telemetry_.get(); }
  // Current reference count of an event name's subscription (0 when none).
  int32_t SubscriptionCount(const std::string& event_name) const;
  bool HasHandler(const std::string& event_name) const;
  size_t PendingTimerCount() const;

  // The callback handed to SubscribeEvent; its context is the event client.
  static void VORN_CDECL EventCallback(const PluginEventRecord* event);

  // Dispatch paths of the subscribed handlers.
  void DispatchLcds(const AppModule::PluginLcdsEvent& event);
  void DispatchJsonApi(const PluginResourceEvent& event);
  void OnServiceProxyReply(const char* event_name,
                           const AppModule::PluginServiceProxyResponse& response);

 protected:
  void SetTypeRegistry(const BindingRegistry* registry) { type_registry_ = registry; }
  // Initialize: host handle, user agent, request registry and a new telemetry client.
  void SetHostContext(uint32_t host_handle, std::string user_agent);

 private:
  struct TimerEntry {
    PluginEventClient* client;
    uint64_t id;
    uintptr_t ticket;  // the context handed to the host
    std::function<void()> callable;
  };
  static void VORN_CDECL TimerCallback(void* context);
  // Withdraws the tickets of every pending timer, so that the host's later calls do nothing.
  void WithdrawTimers();
  void FulfilServiceProxyRequest();

  const BindingRegistry* request_registry_ = nullptr;
  std::unordered_map<std::string, ResourceHandler> json_api_listeners_;
  std::vector<std::pair<std::string, ResourceHandler>> json_api_pattern_listeners_;
  PluginEventClient* self_ = nullptr;
  const BindingRegistry* type_registry_ = nullptr;
  uint32_t host_handle_ = 0;
  std::string user_agent_;
  std::unique_ptr<TelemetryClient> telemetry_;
  std::unordered_map<std::string, std::string> lcds_class_names_;
  std::unordered_map<uint32_t, std::string> lcds_class_names_by_identity_;
  std::unordered_map<std::string, PluginEventHandlerPtr> handlers_;
  std::unordered_map<std::string, int32_t> subscription_counts_;
  std::unordered_map<std::string, std::vector<LcdsHandler>> lcds_handlers_;
  // Guarded by service_proxy_lock_.
  std::unordered_map<std::string, ServiceProxyHandler> service_proxy_pending_;
  std::unordered_map<std::string, ServiceProxyHandler> service_proxy_async_;
  ServiceProxyReplies service_proxy_received_;
  // Held only while the tables change: no completion, handler or host call runs under it.
  mutable std::mutex service_proxy_lock_;
  // Guarded by timer_lock_.
  std::map<uint64_t, std::unique_ptr<TimerEntry>> timers_;
  uint64_t next_timer_id_ = 1;
  mutable std::mutex timer_lock_;
  std::unordered_map<std::string, std::promise<AppModule::PluginLcdsEvent>> pending_lcds_;
};

template <typename T>
int32_t PluginEventClient::SubscribeLcds(const std::string& type_name,
                                         std::function<void(const T&)> handler) {
  const BindingRegistry* registry = type_registry_;
  lcds_handlers_[type_name].push_back(
      [registry, handler = std::move(handler)](const AppModule::PluginLcdsEvent& event) {
        T native{};
        BindingResult result;
        if (registry != nullptr) FromValue(result, native, event.body, "<value>", *registry);
        if (registry == nullptr || !result.Ok()) {
          PluginTraceHook("Couldn't convert LCDS DTO %s to C++ from %s",
                          StaticType::HashCode<T>().name, WriteJson(event.body).c_str());
          return;
        }
        if (handler) handler(native);
      });
  const std::string event_name = MakeLcdsEventName(type_name);
  PluginTraceHook("Subscribing to LCDS event: %s", event_name.c_str());
  return AddEventHandler(event_name, MakeLcdsEventHandler(*this), 1);
}

}  // namespace Vorn::Client
