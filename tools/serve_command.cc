// vorn-host serve: load and start the plugin on the real clock, listen, print the address, and
// shut everything down on the first SIGINT or SIGTERM.
#include "tools/serve_command.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include <pthread.h>

#include "host/reference_host.h"
#include "tools/plugin_server.h"
#include "tools/plugin_session.h"

namespace Vorn::Tools {
namespace {

struct ServeOptions {
  std::string plugin;
  std::string bind = "127.0.0.1";
  int port = 0;
};

std::string Url(const std::string& address, int port) {
  const bool v6 = address.find(':') != std::string::npos;
  return "http://" + (v6 ? "[" + address + "]" : address) + ":" + std::to_string(port);
}

int Serve(const ServeOptions& options) {
  // The stop signals wait for this thread alone: every thread started from here on inherits
  // the mask, so no server thread is interrupted by them.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  // A client that went away is a failed write, not the end of the server.
  std::signal(SIGPIPE, SIG_IGN);

  Host::HostOptions host_options;
  host_options.keep_records = false;
  Host::ReferenceHost host(host_options);
  if (int started = StartPlugin(host, options.plugin, PluginStart::kInitializeOnRealClock);
      started != kExitOk) {
    return started;
  }
  if (!host.ReadBindingTable().ok()) return Fail(host.ReadBindingTable().error());
  PluginServer server(host);
  Host::HostResult<int> port = server.Start(options.bind, options.port);
  if (!port.ok()) return Fail(port.error());
  std::printf("%s\n", Url(options.bind, port.value()).c_str());
  std::fflush(stdout);

  int signal_number = 0;
  sigwait(&stop_signals, &signal_number);
  if (Host::HostStatus stopped = server.ShutDown(); !stopped.ok()) return Fail(stopped.error());
  return kExitOk;
}

}  // namespace

void AddServeCommand(CLI::App& app, int& exit_code) {
  auto options = std::make_shared<ServeOptions>();
  CLI::App* serve = app.add_subcommand(
      "serve",
      "Initialize the plugin and serve it over HTTP until SIGINT or SIGTERM; the first line\n"
      "printed is the address. Requests for the plugin's routes reach it as the host's\n"
      "requests; POST /vorn-host/lcds (an LCDS message body; ?typeName=, ?clientId=,\n"
      "?subtopic=), POST /vorn-host/events/NAME (a host event's payload), GET\n"
      "/vorn-host/describe and GET /vorn-host/calls (every host entry the plugin calls, as\n"
      "Server-Sent Events) are the host's own. Timers run on the real clock.");
  serve
      ->add_option("--plugin", options->plugin,
                   "Plugin library (default: the one built beside this tool)")
      ->type_name("LIB");
  serve->add_option("--port", options->port, "Port to listen on; 0 picks a free one")
      ->type_name("N")
      ->check(CLI::Range(0, 65535))
      ->capture_default_str();
  serve->add_option("--bind", options->bind, "Address to listen on")
      ->type_name("ADDRESS")
      ->capture_default_str();
  serve->callback([options, &exit_code] { exit_code = Serve(*options); });
}

}  // namespace Vorn::Tools
