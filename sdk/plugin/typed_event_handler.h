// A handler that converts an event's plain payload into the native record T through the
// registry and runs a callable with it; a payload that does not convert drops the event.
#pragma once

#include <functional>
#include <utility>

#include "sdk/binding/binding_registry.h"
#include "sdk/binding/conversions.h"
#include "sdk/binding/plain_value.h"
#include "sdk/binding/static_type_hash.h"
#include "sdk/diagnostics/trace_hook.h"
#include "sdk/plugin/plugin_event_handler.h"

namespace Vorn::Client {

template <typename T>
class TypedEventHandler final : public PluginEventHandler {
 public:
  // `registry` must outlive the handler.
  TypedEventHandler(const BindingRegistry* registry, std::function<void(const T&)> handler)
      : registry_(registry), handler_(std::move(handler)) {}

  void Handle(const PluginEventRecord& event) override {
    const char* name = event.name != nullptr ? event.name : "";
    BindingResult result;
    BindingPlainResult sink{};
    if (!FromPlain(&sink, result.Value(), event.payload, "<result>")) {
      result.SetError(sink.error != nullptr ? sink.error : "");
      FreePlainResult(sink);
    }
    T native{};
    if (result.Ok()) {
      BindingProperty value;
      value.MoveFrom(result.Value());
      if (registry_ != nullptr) {
        FromValue(result, native, value, "<result>", *registry_);
      } else {
        result.SetError("no type registry");
      }
    }
    if (!result.Ok()) {
      PluginTraceHook("Couldn't convert payload %s for event %s: %s",
                      StaticType::HashCode<T>().name, name, result.Error());
      return;
    }
    PluginTraceHook("Handling event %s", name);
    if (handler_) handler_(native);
  }

 private:
  const BindingRegistry* registry_;
  std::function<void(const T&)> handler_;
};

}  // namespace Vorn::Client
