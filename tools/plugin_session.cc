// Loading and starting the plugin for a subcommand.
#include "tools/plugin_session.h"

#include <cstdio>

#include "tools/command.h"
#include "tools/executable_path.h"

namespace Vorn::Tools {

int Fail(const std::string& message) {
  std::fprintf(stderr, "vorn-host: %s\n", message.c_str());
  return kExitFailed;
}

std::string PluginPath(const std::string& plugin) {
  return plugin.empty() ? DefaultPluginPath() : plugin;
}

int StartPlugin(Host::ReferenceHost& host, const std::string& plugin, PluginStart start) {
  if (Host::HostStatus loaded = host.Load(PluginPath(plugin)); !loaded.ok()) {
    return Fail(loaded.error());
  }
  if (start == PluginStart::kLoad) return kExitOk;
  if (start == PluginStart::kInitializeOnRealClock) {
    if (Host::HostStatus clock = host.StartRealClock(); !clock.ok()) return Fail(clock.error());
  }
  Host::HostResult<bool> initialized = host.Initialize();
  if (!initialized.ok()) return Fail(initialized.error());
  if (!initialized.value()) return Fail("the plugin's Initialize returned false");
  if (start == PluginStart::kInitialize) host.RunDue();
  return kExitOk;
}

}  // namespace Vorn::Tools
