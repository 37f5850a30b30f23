// A host table for unit tests of the plugin frame: every entry records its call.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "sdk/plugin/abi/event_record.h"
#include "sdk/plugin/abi/host_api.h"

namespace Vorn::Testing {

struct FakeSubscription {
  std::string name;
  uint32_t host_handle;
  PluginEventCallback callback;
  void* context;
  uint32_t flags;
};

struct FakeTimer {
  std::string name;
  PluginTimerCallback callback;
  void* context;
  double delay_seconds;
  uint32_t flags;
};

// The table is the first member, so an entry finds its host from the table pointer.
struct FakeHost {
  HostApi api;
  HostInterface host_interface;
  std::vector<std::string> calls;
  std::vector<FakeSubscription> subscriptions;
  std::vector<std::string> unsubscriptions;
  std::vector<std::pair<int32_t, std::string>> log_lines;
  std::vector<FakeTimer> timers;
  // Called from HostLog after the line is recorded: a host that calls back into the plugin.
  std::function<void(int32_t level, const std::string& line)> on_log;

  // Runs and forgets the scheduled callbacks, in the order they were scheduled.
  void RunTimers();
  // Delivers an event of `name` with `payload` to its latest subscription; false when none.
  bool Deliver(const std::string& name, const BindingPlainValue& payload);

  FakeHost();
  static FakeHost& From(const HostApi* api) {
    return *reinterpret_cast<FakeHost*>(const_cast<HostApi*>(api));
  }
};

}  // namespace Vorn::Testing
