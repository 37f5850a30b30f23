// The handlers the event client subscribes with: JSON-API resource events and service-proxy
// replies.
#pragma once

#include "sdk/plugin/plugin_event_handler.h"

namespace Vorn::Client {

class PluginEventClient;

// Dispatches resource events to the listeners registered by exact path and by pattern.
PluginEventHandlerPtr MakeJsonApiEventHandler(PluginEventClient& client);

// Handles one of "OnServiceProxyUuidEvent", "OnServiceProxyMethodEvent" and
// "OnServiceProxyAsyncEvent".
PluginEventHandlerPtr MakeServiceProxyEventHandler(PluginEventClient& client,
                                                   const char* event_name);

}  // namespace Vorn::Client
