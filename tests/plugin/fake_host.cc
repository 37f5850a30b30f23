// Recording host table for unit tests of the plugin frame.
#include "tests/plugin/fake_host.h"

namespace Vorn::Testing {
namespace {

int32_t VORN_CDECL PerformRequest(const HostApi* api, HostResponseRecord*,
                                  const HostRequestRecord*) {
  FakeHost::From(api).calls.push_back("PerformRequest");
  return 0;
}
int32_t VORN_CDECL Entry1(const HostApi* api, uint32_t a, uint32_t b) {
  FakeHost::From(api).calls.push_back("Entry1 " + std::to_string(a) + " " + std::to_string(b));
  return 11;
}
int32_t VORN_CDECL DispatchEvent(const HostApi* api, const PluginEventRecord* event) {
  FakeHost::From(api).calls.push_back(std::string("DispatchEvent ") + event->name);
  return 0;
}
int32_t VORN_CDECL SubscribeEvent(const HostApi* api, const char* name, uint32_t handle,
                                  PluginEventCallback callback, void* context, uint32_t flags) {
  FakeHost& host = FakeHost::From(api);
  host.calls.push_back(std::string("SubscribeEvent ") + name);
  host.subscriptions.push_back({name, handle, callback, context, flags});
  return 7;
}
int32_t VORN_CDECL UnsubscribeEvent(const HostApi* api, const char* name, uint32_t) {
  FakeHost& host = FakeHost::From(api);
  host.calls.push_back(std::string("UnsubscribeEvent ") + name);
  host.unsubscriptions.push_back(name);
  return 0;
}
uint64_t VORN_CDECL ScheduleCallback(const HostApi* api, const char* name,
                                     PluginTimerCallback callback, void* context, double delay,
                                     uint32_t flags) {
  FakeHost& host = FakeHost::From(api);
  host.calls.push_back(std::string("ScheduleCallback ") + name);
  if (callback != nullptr) host.timers.push_back({name, callback, context, delay, flags});
  return 0x100000001ull;
}
int32_t VORN_CDECL Entry6(const HostApi* api) {
  FakeHost::From(api).calls.push_back("Entry6");
  return 6;
}
int32_t VORN_CDECL Entry7(const HostApi* api, const char* text, uint32_t word) {
  FakeHost::From(api).calls.push_back("Entry7 " + std::string(text) + " " + std::to_string(word));
  return 7;
}
int32_t VORN_CDECL Entry8(const HostApi* api) {
  FakeHost::From(api).calls.push_back("Entry8");
  return 8;
}
int32_t VORN_CDECL HostLog(const HostApi* api, int32_t level, const char* line) {
  FakeHost& host = FakeHost::From(api);
  host.log_lines.emplace_back(level, line);
  if (host.on_log) host.on_log(level, line);
  return 0;
}

}  // namespace

FakeHost::FakeHost()
    : api{PerformRequest,   Entry1, DispatchEvent, SubscribeEvent, UnsubscribeEvent,
          ScheduleCallback, Entry6, Entry7,        Entry8,         HostLog},
      host_interface{&api, 0x5eed} {}

void FakeHost::RunTimers() {
  while (!timers.empty()) {
    FakeTimer timer = timers.front();
    timers.erase(timers.begin());
    timer.callback(timer.context);
  }
}

bool FakeHost::Deliver(const std::string& name, const BindingPlainValue& payload) {
  for (auto it = subscriptions.rbegin(); it != subscriptions.rend(); ++it) {
    if (it->name != name) continue;
    PluginEventRecord record{};
    record.name = it->name.c_str();
    record.payload = payload;
    record.context = it->context;
    it->callback(&record);
    return true;
  }
  return false;
}

}  // namespace Vorn::Testing
