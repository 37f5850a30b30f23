// The common load routine behind every plugin's exported entry point.
#pragma once

#include <exception>
#include <memory>

#include "sdk/plugin/abi/load_context.h"
#include "sdk/plugin/plugin_base.h"

namespace Vorn::Client {

// Creates the concrete plugin and runs the load steps; returns the plugin object (also written
// to word 4), or null when the plugin could not be created. Never throws.
template <class Plugin>
void* LoadPlugin(PluginLoadContext* context, const char* short_name) noexcept {
  if (context == nullptr) return nullptr;
  try {
    std::unique_ptr<Plugin> plugin(new Plugin());
    PluginBase* base = plugin.get();
    base->Load(*context, short_name);
    plugin.release();
    return static_cast<void*>(base);
  } catch (...) {
    return nullptr;
  }
}

}  // namespace Vorn::Client
