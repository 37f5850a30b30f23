// Registration of the builtin vocabulary, run by every registry's constructor.
#include "sdk/binding/builtin_types.h"

#include "sdk/binding/binding_registry.h"
#include "sdk/binding/help_provider.h"
#include "sdk/binding/type_builder.h"

namespace Vorn {

void RegisterBuiltins(BindingRegistry& registry) {
  constexpr const char* kBuiltin = "$builtin";
  constexpr const char* kAsync = "async";

  BindingHelpProvider::RegisterTypes(registry);

  registry.BeginEnum<BindingAsyncState::Type>("BindingAsyncState")
      .AddEnumValue("None", BindingAsyncState::None, "Invalid state")
      .AddEnumValue("Running", BindingAsyncState::Running, "The operation is in flight")
      .AddEnumValue("Cancelling", BindingAsyncState::Cancelling,
                    "A request to cancel the operation has been made")
      .AddEnumValue("Cancelled", BindingAsyncState::Cancelled, "The operation was cancelled")
      .AddEnumValue("Succeeded", BindingAsyncState::Succeeded,
                    "The operation completed successfully")
      .AddEnumValue("Failed", BindingAsyncState::Failed, "The operation encountered an error")
      .SetDescription("Possible states of an asynchronous operation.")
      .AddTag(kBuiltin)
      .AddTag(kAsync);
  registry.BeginType<BindingGenericEvent>("BindingGenericEvent")
      .AddField("data", &BindingGenericEvent::data, "Event data")
      .SetDescription("Represents generic data for an event.")
      .AddTag(kBuiltin);
  registry.BeginType<BindingCallbackEvent>("BindingCallbackEvent")
      .AddField("id", &BindingCallbackEvent::id, "ID of the callback being invoked")
      .AddField("parameters", &BindingCallbackEvent::parameters, "Callback parameters")
      .SetDescription("Represents the parameters of a call to a provided callback.")
      .AddTag(kBuiltin);
  registry.BeginType<BindingGenericAsyncEvent>("BindingGenericAsyncEvent")
      .AddField("asyncToken", &BindingGenericAsyncEvent::asyncToken, "Asynchronous operation token")
      .AddField("data", &BindingGenericAsyncEvent::data, "Event data")
      .SetDescription("Represents generic data for an asynchronous event.")
      .AddTag(kBuiltin)
      .AddTag(kAsync);
  registry.BeginType<BindingAsyncFailureEvent>("BindingAsyncFailureEvent")
      .AddField("asyncToken", &BindingAsyncFailureEvent::asyncToken, "Asynchronous operation token")
      .AddField("error", &BindingAsyncFailureEvent::error, "Error message")
      .SetDescription("Represents a failed asynchronous operation.")
      .AddTag(kBuiltin)
      .AddTag(kAsync);
  registry.BeginType<BindingAsyncCancelEvent>("BindingAsyncCancelEvent")
      .AddField("asyncToken", &BindingAsyncCancelEvent::asyncToken, "Asynchronous operation token")
      .SetDescription("Represents a cancelled asynchronous operation.")
      .AddTag(kBuiltin)
      .AddTag(kAsync);

  registry.BeginEvent<BindingCallbackEvent>("OnCallback")
      .SetDescription("Fired when a callback is invoked.")
      .AddTag(kBuiltin);
}

}  // namespace Vorn
