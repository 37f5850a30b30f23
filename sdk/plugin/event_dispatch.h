// The handlers the event client subscribes with: JSON-API resource events, LCDS messages and
// service-proxy replies, each converting its payload through the client's type registry.
#pragma once

#include "sdk/plugin/plugin_event_handler.h"

namespace Vorn::Client {

class PluginEventClient;

PluginEventHandlerPtr MakeJsonApiEventHandler(PluginEventClient& client);
PluginEventHandlerPtr MakeLcdsEventHandler(PluginEventClient& client);
// For "OnServiceProxyUuidEvent", "OnServiceProxyMethodEvent" or "OnServiceProxyAsyncEvent".
PluginEventHandlerPtr MakeServiceProxyEventHandler(PluginEventClient& client,
                                                   const char* event_name);

}  // namespace Vorn::Client
