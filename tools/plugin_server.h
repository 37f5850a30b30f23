// The reference host as a local HTTP server: requests for the plugin's routes reach it on the
// server's threads, and the host's own endpoints under /vorn-host/ deliver LCDS messages and
// host events, describe the plugin and stream every call it makes to the host.
#pragma once

#include <httplib.h>

#include <string>
#include <thread>

#include "host/call_stream.h"
#include "host/reference_host.h"
#include "tools/call_gate.h"

namespace Vorn::Tools {

// Bodies beyond this are refused before they are read.
inline constexpr size_t kMaxBodyBytes = size_t{16} << 20;

class PluginServer {
 public:
  // `host` holds a loaded plugin with a readable binding table and outlives the server; the
  // server follows the host's transcript from here on.
  explicit PluginServer(Host::ReferenceHost& host);
  ~PluginServer();
  PluginServer(const PluginServer&) = delete;
  PluginServer& operator=(const PluginServer&) = delete;

  // Listens on `address` and `port` (0 picks a free one) and serves on threads of its own;
  // returns the port.
  [[nodiscard]] Host::HostResult<int> Start(const std::string& address, int port);

  // Lets the calls inside the plugin finish and lets no new one in, shuts the plugin down (its
  // calls while it does still reach the streams), ends the streams and stops serving.
  Host::HostStatus ShutDown();

 private:
  void Dispatch(const httplib::Request& request, httplib::Response& response);
  void HostEndpoint(const httplib::Request& request, httplib::Response& response);
  void FollowCalls(httplib::Response& response);
  void DeliverLcds(const httplib::Request& request, httplib::Response& response);
  void DeliverHostEvent(const std::string& name, const httplib::Request& request,
                        httplib::Response& response);
  void DeliverHostEvent(const std::string& name, const Host::Json& payload,
                        httplib::Response& response);
  void ForwardToPlugin(const httplib::Request& request, httplib::Response& response);

  Host::ReferenceHost& host_;
  Host::CallStream calls_;
  CallGate gate_;
  httplib::Server server_;
  std::thread serving_;
};

}  // namespace Vorn::Tools
