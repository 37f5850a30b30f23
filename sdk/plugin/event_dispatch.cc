// The event client's subscribed handlers: each converts the payload into its host-event record
// and hands it to the client's dispatch path.
#include "sdk/plugin/event_dispatch.h"

#include <string>

#include "sdk/plugin/plugin_event_client.h"
#include "sdk/plugin/typed_event_handler.h"

namespace Vorn::Client {

PluginEventHandlerPtr MakeJsonApiEventHandler(PluginEventClient& client) {
  return std::make_shared<TypedEventHandler<PluginResourceEvent>>(
      client.type_registry(),
      [&client](const PluginResourceEvent& event) { client.DispatchJsonApi(event); });
}

PluginEventHandlerPtr MakeLcdsEventHandler(PluginEventClient& client) {
  return std::make_shared<TypedEventHandler<AppModule::PluginLcdsEvent>>(
      client.type_registry(),
      [&client](const AppModule::PluginLcdsEvent& event) { client.DispatchLcds(event); });
}

PluginEventHandlerPtr MakeServiceProxyEventHandler(PluginEventClient& client,
                                                   const char* event_name) {
  return std::make_shared<TypedEventHandler<AppModule::PluginServiceProxyResponse>>(
      client.type_registry(), [&client, name = std::string(event_name)](
                                  const AppModule::PluginServiceProxyResponse& response) {
        client.OnServiceProxyReply(name.c_str(), response);
      });
}

}  // namespace Vorn::Client
