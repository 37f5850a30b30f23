// Publishing resource changes: every change reaches the host under the path's own event name
// and under "OnJsonApiEvent".
#pragma once

#include <cstdint>
#include <string>

#include "sdk/binding/conversions.h"
#include "sdk/binding/plain_value.h"
#include "sdk/binding/static_type_hash.h"
#include "sdk/diagnostics/trace_hook.h"
#include "sdk/plugin/abi/event_record.h"
#include "sdk/plugin/event_names.h"
#include "sdk/plugin/plugin_event_client.h"
#include "sdk/plugin/plugin_manager_records.h"
#include "sdk/remoting/remoting_result.h"

namespace Vorn::Client {

// Converts `event` (a record with a "uri") and dispatches it under the uri's event name, then,
// when that name differs, under `base_name`. Failures carry code 0.
template <typename E>
RemotingResult SendEvent(PluginEventClient& client, const std::string& base_name, const E& event,
                         uint32_t word) {
  const BindingRegistry* registry = client.type_registry();
  BindingResult converted;
  if (registry == nullptr) return RemotingResult::Failure(0, "no type registry");
  ToValue(converted, event, *registry);
  if (!converted.Ok()) return RemotingResult::Failure(0, converted.Error());
  const BindingProperty& value = converted.Value();
  const std::string name = MakeJsonApiEventName(std::as_const(value).MemberAt("uri").GetString());
  PluginTraceHook("Sending event: %s", name.c_str());

  PluginEventRecord record{};
  record.payload = ToPlain(value, registry);
  record.word = word;
  record.name = name.c_str();
  client.DispatchEvent(&record);
  if (name != base_name) {
    record.name = base_name.c_str();
    client.DispatchEvent(&record);
  }
  FreePlainValue(record.payload);
  return RemotingResult::Success();
}

// Publishes a change of the resource at `path` holding `data`; nothing is sent when the record
// does not convert. The outcome is not reported.
template <typename T>
void PublishResource(PluginEventClient& client, PluginResourceEventType type,
                     const std::string& path, const T& data) {
  const BindingRegistry* registry = client.type_registry();
  PluginResourceEvent event;
  event.uri = path;
  event.eventType = type;
  BindingResult converted;
  if (registry != nullptr) ToValue(converted, data, *registry);
  if (registry == nullptr || !converted.Ok()) {
    PluginTraceHook("Couldn't convert resource %s for event uri \"%s\"",
                    StaticType::HashCode<T>().name, path.c_str());
    return;
  }
  event.data.MoveFrom(converted.Value());
  (void)SendEvent(client, "OnJsonApiEvent", event, 0);
}

}  // namespace Vorn::Client
