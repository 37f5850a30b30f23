// The plugin base class: the host connection, the plugin's identity, its log target and its
// callback table. A concrete plugin overrides RegisterApi, OnInitialize and its destructor.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sdk/binding/binding_table.h"
#include "sdk/plugin/abi/binding_table.h"
#include "sdk/plugin/abi/host_api.h"
#include "sdk/plugin/abi/load_context.h"
#include "sdk/plugin/plugin_api_version.h"
#include "sdk/plugin/plugin_event_client.h"
#include "sdk/plugin/plugin_names.h"
#include "sdk/plugin/route_table.h"
#include "sdk/remoting/request_handler.h"

namespace Vorn {
class BindingRegistry;
class LogTarget;
}  // namespace Vorn

namespace Vorn::Client {

class PluginBase : public PluginEventClient {
 public:
  PluginBase();
  ~PluginBase() override;

  void ReleaseHandlers() override;

  // Forwarded unchanged to the host's table; 0 before Initialize has handed it over.
  int32_t PerformRequest(HostResponseRecord* out_response,
                         const HostRequestRecord* request) override;
  int32_t HostEntry1(uint32_t word0, uint32_t word1) override;
  int32_t DispatchEvent(const PluginEventRecord* event) override;
  int32_t SubscribeEvent(const char* name, uint32_t host_handle, PluginEventCallback callback,
                         void* context, uint32_t flags) override;
  int32_t UnsubscribeEvent(const char* name, uint32_t host_handle) override;
  uint64_t ScheduleCallback(const char* name, PluginTimerCallback callback, void* context,
                            double delay_seconds, uint32_t flags) override;
  int32_t HostEntry6() override;
  int32_t HostEntry7(const std::string& text, uint32_t word) override;
  int32_t HostEntry8() override;

  // Runs during the load, before the host has handed over its table: types and handlers.
  virtual void RegisterApi() {}
  // Runs at the end of Initialize, when the host is ready; its result is Initialize's.
  virtual bool OnInitialize() { return true; }

  // The load steps after construction: version check (an incompatible host ends the process),
  // names, registrations, the binding table, and the context written back.
  void Load(PluginLoadContext& context, const char* short_name);
  bool Initialize(const HostInterface* host);

  const PluginNameRecord& names() const { return names_; }
  const std::vector<std::string>& tags() const { return tags_; }
  const PluginApiVersion& host_version() const { return host_version_; }
  const HostInterface* host() const { return host_; }
  const PluginCallbacks& callbacks() const { return callbacks_; }
  const BindingTableRecord& binding_table() const { return binding_table_; }
  BindingRegistry& registry() { return *registry_; }
  const BindingRegistry& registry() const { return *registry_; }

 private:
  const HostApi* Api() const { return host_ != nullptr ? host_->api : nullptr; }

  PluginApiVersion host_version_;
  std::unique_ptr<LogTarget> log_target_;
  PluginNameRecord names_;
  std::vector<std::string> tags_;
  std::unique_ptr<BindingRegistry> registry_;
  const HostInterface* host_ = nullptr;
  PluginCallbacks callbacks_{};
  BindingTableRecord binding_table_{};
  // What the binding table points into; built once at the end of the load.
  BindingTableHolder binding_entries_;
  RemotingHandlerTable handler_contexts_;
  RouteTable routes_;
};

}  // namespace Vorn::Client
