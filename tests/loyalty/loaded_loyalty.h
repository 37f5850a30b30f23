// The loyalty plugin loaded and initialised in process against the recording host, shut down
// with the owner.
#pragma once

#include "loyalty/loyalty_plugin.h"
#include "sdk/plugin/plugin_entry.h"
#include "tests/plugin/fake_host.h"

namespace Vorn::Client::Loyalty {

struct LoadedLoyalty {
  LoadedLoyalty() {
    context.major = 18;
    plugin = static_cast<LoyaltyPlugin*>(
        static_cast<PluginBase*>(LoadPlugin<LoyaltyPlugin>(&context, "qev-loyalty")));
    if (plugin != nullptr)
      initialized = context.callbacks->Initialize(context.plugin, &host.host_interface);
  }
  ~LoadedLoyalty() {
    if (plugin != nullptr) context.callbacks->Shutdown(context.plugin);
  }
  LoadedLoyalty(const LoadedLoyalty&) = delete;
  LoadedLoyalty& operator=(const LoadedLoyalty&) = delete;

  Testing::FakeHost host;
  PluginLoadContext context{};
  LoyaltyPlugin* plugin = nullptr;
  bool initialized = false;
};

}  // namespace Vorn::Client::Loyalty
