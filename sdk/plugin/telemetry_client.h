// The plugin's telemetry: named events with flat text maps, and common data, both posted to the
// host's telemetry paths.
#pragma once

#include <future>
#include <string>
#include <unordered_map>

namespace Vorn::Client {

class PluginEventClient;

class TelemetryClient {
 public:
  explicit TelemetryClient(PluginEventClient& client) : client_(client) {}
  virtual ~TelemetryClient() = default;
  TelemetryClient(const TelemetryClient&) = delete;
  TelemetryClient& operator=(const TelemetryClient&) = delete;

  PluginEventClient& client() const { return client_; }

 private:
  PluginEventClient& client_;
};

}  // namespace Vorn::Client
