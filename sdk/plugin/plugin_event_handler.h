// A handler stored under an event name: it converts the event's payload to its own record type
// and runs the plugin's code with it.
#pragma once

#include <memory>

#include "sdk/plugin/abi/event_record.h"

namespace Vorn::Client {

class PluginEventHandler {
 public:
  virtual ~PluginEventHandler() = default;
  // Called from the host's event callback; a payload that does not convert drops the event.
  virtual void Handle(const PluginEventRecord& event) = 0;
};

// Shared, so that a handler that unsubscribes itself stays alive until it returns.
using PluginEventHandlerPtr = std::shared_ptr<PluginEventHandler>;

}  // namespace Vorn::Client
