// What the subcommands share on the way in and out: finding and loading the plugin, reporting
// a failure on standard error.
#pragma once

#include <string>

#include "host/reference_host.h"

namespace Vorn::Tools {

// Prints "vorn-host: <message>" on standard error; returns kExitFailed.
int Fail(const std::string& message);

// The plugin given, or the one built beside the tool when `plugin` is empty.
std::string PluginPath(const std::string& plugin);

enum class PluginStart {
  kLoad,
  // Hands the plugin the host and runs the timers it asked for while starting.
  kInitialize,
  // Starts the host's real clock first, whose thread runs the timers from then on.
  kInitializeOnRealClock,
};

// Loads the plugin into `host` and starts it as far as `start` says. kExitOk, or kExitFailed
// after printing why.
int StartPlugin(Host::ReferenceHost& host, const std::string& plugin, PluginStart start);

}  // namespace Vorn::Tools
