// Event handlers of the event client. Payloads are converted once the binding registry is in
// place; until then these handlers only trace the events they receive.
#include "sdk/plugin/event_dispatch.h"

#include "sdk/diagnostics/trace_hook.h"
#include "sdk/plugin/plugin_event_client.h"

namespace Vorn::Client {
namespace {

class TracingEventHandler final : public PluginEventHandler {
 public:
  void Handle(const PluginEventRecord& event) override {
    PluginTraceHook("Handling event %s", event.name != nullptr ? event.name : "");
  }
};

}  // namespace

PluginEventHandlerPtr MakeJsonApiEventHandler(PluginEventClient&) {
  return std::make_shared<TracingEventHandler>();
}

PluginEventHandlerPtr MakeServiceProxyEventHandler(PluginEventClient&, const char*) {
  return std::make_shared<TracingEventHandler>();
}

}  // namespace Vorn::Client
