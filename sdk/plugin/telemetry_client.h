// The plugin's telemetry: named events with flat text maps, and common data, both posted to the
// host's telemetry paths through the plugin's own requests.
#pragma once

#include <future>
#include <string>
#include <unordered_map>

#include "sdk/remoting/send_request.h"

namespace Vorn::Client {

class PluginEventClient;

class TelemetryClient {
 public:
  using Fields = std::unordered_map<std::string, std::string>;

  explicit TelemetryClient(PluginEventClient& client) : client_(client) {}
  virtual ~TelemetryClient() = default;
  TelemetryClient(const TelemetryClient&) = delete;
  TelemetryClient& operator=(const TelemetryClient&) = delete;

  // POSTs the fields as one positional structure of texts to "/telemetry/v1/events/" + name.
  // The host answers synchronously, so the future is ready when this returns.
  virtual std::future<RemotingRequestOutcome> SendTelemetryEvent(const std::string& name,
                                                                 const Fields& fields);
  // POSTs the value as one positional text to "/telemetry/v1/common-data/" + key; the outcome
  // is dropped.
  void SetCommonData(const std::string& key, const std::string& value);

 private:
  PluginEventClient& client_;
};

}  // namespace Vorn::Client
