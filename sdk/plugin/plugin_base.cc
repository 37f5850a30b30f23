// Lifecycle of the plugin base: construction, load steps, the host's three callbacks.
#include "sdk/plugin/plugin_base.h"

#include <exception>

#include "sdk/binding/binding_registry.h"
#include "sdk/diagnostics/assertion.h"
#include "sdk/diagnostics/plugin_log_target.h"
#include "sdk/diagnostics/trace_hook.h"
#include "sdk/plugin/event_dispatch.h"
#include "sdk/plugin/plugin_manager_records.h"
#include "sdk/runtime/allocation.h"
#include "sdk/runtime/format_text.h"
#include "sdk/runtime/platform.h"

namespace Vorn::Client {
namespace {

constexpr const char* kServiceProxyEvents[] = {
    "OnServiceProxyUuidEvent", "OnServiceProxyMethodEvent", "OnServiceProxyAsyncEvent"};

PluginBase* AsPlugin(void* plugin) {
  return static_cast<PluginBase*>(plugin);
}

// The host's callbacks: no exception may reach the host.
bool VORN_CDECL InitializeCallback(void* plugin, const HostInterface* host) {
  if (plugin == nullptr) return false;
  try {
    return AsPlugin(plugin)->Initialize(host);
  } catch (...) {
    return false;
  }
}

void VORN_CDECL ShutdownCallback(void* plugin) {
  if (plugin == nullptr) return;
  PluginBase* base = AsPlugin(plugin);
  try {
    base->ReleaseHandlers();
  } catch (...) {
  }
  delete base;
}

void VORN_CDECL GetMemoryStatsCallback(void*, uint32_t* out_words) {
  if (out_words == nullptr) return;
  const AllocationStats stats = ReadAllocationStats();
  const uint64_t counters[] = {stats.peak_bytes,  stats.live_blocks_at_peak, stats.bytes_allocated,
                               stats.allocations, stats.bytes_freed,         stats.frees};
  for (size_t i = 0; i < 6; ++i) {
    out_words[2 * i] = static_cast<uint32_t>(counters[i]);
    out_words[2 * i + 1] = static_cast<uint32_t>(counters[i] >> 32);
  }
  out_words[12] = 0;
  out_words[13] = 0;
}

}  // namespace

PluginBase::PluginBase() {
  GetLogApi()->AddRef();
  registry_ = std::make_unique<BindingRegistry>();
  callbacks_ = PluginCallbacks{&InitializeCallback, &ShutdownCallback, &GetMemoryStatsCallback};
}

PluginBase::~PluginBase() {
  // Handlers hold conversions through the registry: they go before it.
  PluginEventClient::ReleaseHandlers();
  registry_.reset();
  tags_.clear();
  log_target_.reset();
  GetLogApi()->Release();
}

void PluginBase::Load(PluginLoadContext& context, const char* short_name) {
  const PluginApiVersion& own = kPluginApiVersion;
  PluginApiVersion core{context.major, context.minor, context.patch, {}, {}};
  const std::string name = short_name != nullptr ? short_name : "";
  if (!IsCompatible(own, core)) {
    const std::string why =
        FormatText("%1 which supports plugin API %2 is not compatible with core's plugin API %3",
                   name, own, core);
    ReportAssertion("ALE-EECF0606", why.c_str(), "", 0, "");
    Platform::FatalStop();
  }
  host_version_ = core;

  names_.short_name = name;
  names_.kind = "backend";
  names_.full_name = GetFullNameFromShortNameAndType(names_.short_name, names_.kind);
  tags_ = {"Plugins", "Plugin " + names_.short_name};

  RegisterPluginManagerRecords(*registry_);
  SetTypeRegistry(registry_.get());

  RegisterApi();

  const BindingTableWords& bindings = binding_entries_.Build(
      registry_->FunctionSnapshot(), registry_->TypeSnapshot(), registry_->EventSnapshot());
  routes_.Build(*registry_, bindings, handler_contexts_, binding_table_);

  context.major = own.major;
  context.minor = own.minor;
  context.patch = own.patch;
  context.callbacks = &callbacks_;
  context.plugin = static_cast<void*>(this);
  context.name = names_.short_name.c_str();
  context.bindings = &binding_table_;
}

bool PluginBase::Initialize(const HostInterface* host) {
  host_ = host;

  // A second Initialize finds the target in place and leaves the logger as it is.
  if (std::unique_ptr<PluginLogTarget> target = InstallPluginLogTarget(host)) {
    log_target_ = std::move(target);
  }

  const uint32_t host_handle = host != nullptr ? host->host_handle : 0;
  SetHostContext(host_handle, FormatText("VornClient/%1 (%2)", host_version_, names_.short_name));

  for (const char* event : kServiceProxyEvents) {
    AddEventHandler(event, MakeServiceProxyEventHandler(*this, event), 1);
  }
  return OnInitialize();
}

void PluginBase::ReleaseHandlers() {
  PluginEventClient::ReleaseHandlers();
}

int32_t PluginBase::PerformRequest(HostResponseRecord* out_response,
                                   const HostRequestRecord* request) {
  const HostApi* api = Api();
  return api != nullptr ? api->PerformRequest(api, out_response, request) : 0;
}

int32_t PluginBase::HostEntry1(uint32_t word0, uint32_t word1) {
  const HostApi* api = Api();
  return api != nullptr ? api->Entry1(api, word0, word1) : 0;
}

int32_t PluginBase::DispatchEvent(const PluginEventRecord* event) {
  const HostApi* api = Api();
  return api != nullptr ? api->DispatchEvent(api, event) : 0;
}

int32_t PluginBase::SubscribeEvent(const char* name, uint32_t host_handle,
                                   PluginEventCallback callback, void* context, uint32_t flags) {
  const HostApi* api = Api();
  return api != nullptr ? api->SubscribeEvent(api, name, host_handle, callback, context, flags) : 0;
}

int32_t PluginBase::UnsubscribeEvent(const char* name, uint32_t host_handle) {
  const HostApi* api = Api();
  return api != nullptr ? api->UnsubscribeEvent(api, name, host_handle) : 0;
}

uint64_t PluginBase::ScheduleCallback(const char* name, PluginTimerCallback callback, void* context,
                                      double delay_seconds, uint32_t flags) {
  const HostApi* api = Api();
  return api != nullptr ? api->ScheduleCallback(api, name, callback, context, delay_seconds, flags)
                        : 0;
}

int32_t PluginBase::HostEntry6() {
  const HostApi* api = Api();
  return api != nullptr ? api->Entry6(api) : 0;
}

int32_t PluginBase::HostEntry7(const std::string& text, uint32_t word) {
  const HostApi* api = Api();
  return api != nullptr ? api->Entry7(api, text.c_str(), word) : 0;
}

int32_t PluginBase::HostEntry8() {
  const HostApi* api = Api();
  return api != nullptr ? api->Entry8(api) : 0;
}

}  // namespace Vorn::Client
