// The library's one exported function, and the tracing providers that live as long as it.
#include "loyalty/loyalty_plugin.h"
#include "sdk/diagnostics/event_tracing.h"
#include "sdk/plugin/abi/load_context.h"
#include "sdk/plugin/plugin_entry.h"

namespace {

// Registers the tracing providers when the library is loaded and unregisters them at unload.
struct TracingLifetime {
  TracingLifetime() { Vorn::EventTracingStartup(); }
  ~TracingLifetime() { Vorn::EventTracingShutdown(); }
};
TracingLifetime tracing_lifetime;

}  // namespace

extern "C" VORN_EXPORT void* VORN_CDECL load_qev_loyalty(PluginLoadContext* context) {
  return Vorn::Client::LoadPlugin<Vorn::Client::Loyalty::LoyaltyPlugin>(context, "qev-loyalty");
}
