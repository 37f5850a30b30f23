// Telemetry requests through the plugin's event client.
#include "sdk/plugin/telemetry_client.h"

#include "sdk/plugin/plugin_event_client.h"

namespace Vorn::Client {

std::future<RemotingRequestOutcome> TelemetryClient::SendTelemetryEvent(const std::string& name,
                                                                        const Fields& fields) {
  return SendRequestAsync(client_, RemotingMethod::Post, "/telemetry/v1/events/" + name, fields,
                          client_.request_registry());
}

void TelemetryClient::SetCommonData(const std::string& key, const std::string& value) {
  (void)SendRequest(client_, RemotingMethod::Post, "/telemetry/v1/common-data/" + key, value,
                    client_.request_registry());
}

}  // namespace Vorn::Client
