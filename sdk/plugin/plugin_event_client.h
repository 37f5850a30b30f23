// Everything that has to do with host events: handler tables, subscription counts and the host
// handle. The host-facing operations are pure here; PluginBase forwards them to the HostApi.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "sdk/plugin/abi/event_record.h"
#include "sdk/plugin/abi/host_api.h"
#include "sdk/plugin/event_subscriber.h"
#include "sdk/plugin/plugin_event_handler.h"

namespace Vorn::Client {

class PluginEventClient : public EventSubscriber {
 public:
  PluginEventClient();
  virtual ~PluginEventClient();
  PluginEventClient(const PluginEventClient&) = delete;
  PluginEventClient& operator=(const PluginEventClient&) = delete;

  // Subscribes the path's event name on the first reference only.
  void Subscribe(const std::string& resource_path) override;
  // Unsubscribes when the last reference goes; a path without a live subscription does nothing.
  void Unsubscribe(const std::string& resource_path) override;

  // Unsubscribes every name in the handler table and empties the handler tables.
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

  uint32_t host_handle() const { return host_handle_; }
  const std::string& user_agent() const { return user_agent_; }
  // Current reference count of an event name's subscription (0 when none).
  int32_t SubscriptionCount(const std::string& event_name) const;
  bool HasHandler(const std::string& event_name) const;

  // The callback handed to SubscribeEvent; its context is the event client.
  static void VORN_CDECL EventCallback(const PluginEventRecord* event);

 protected:
  void SetHostContext(uint32_t host_handle, std::string user_agent);

 private:
  PluginEventClient* self_ = nullptr;
  uint32_t host_handle_ = 0;
  std::string user_agent_;
  std::unordered_map<std::string, PluginEventHandlerPtr> handlers_;
  std::unordered_map<std::string, int32_t> subscription_counts_;
};

}  // namespace Vorn::Client
