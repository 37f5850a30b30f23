// Registration of the host-event records and the host events.
#include "sdk/plugin/plugin_manager_records.h"

#include "sdk/binding/binding_registry.h"
#include "sdk/binding/type_builder.h"

namespace Vorn::Client {

void RegisterPluginManagerRecords(BindingRegistry& registry) {
  using AppModule::PluginLcdsEvent;
  using AppModule::PluginLcdsResponse;
  using AppModule::PluginServiceProxyResponse;
  constexpr const char* kTag = "vclient";

  registry.BeginEnum<PluginManagerState>("PluginManagerState")
      .AddEnumValue("NotReady", PluginManagerState::NotReady)
      .AddEnumValue("PluginsInitialized", PluginManagerState::PluginsInitialized)
      .AddTag(kTag);
  registry.BeginType<PluginManagerResource>("PluginManagerResource")
      .AddField("state", &PluginManagerResource::state)
      .AddTag(kTag);
  registry.BeginEnum<PluginResourceEventType>("PluginResourceEventType")
      .AddEnumValue("Create", PluginResourceEventType::Create)
      .AddEnumValue("Update", PluginResourceEventType::Update)
      .AddEnumValue("Delete", PluginResourceEventType::Delete)
      .AddTag(kTag);
  registry.BeginType<PluginResourceEvent>("PluginResourceEvent")
      .AddField("uri", &PluginResourceEvent::uri)
      .AddField("eventType", &PluginResourceEvent::eventType)
      .AddField("data", &PluginResourceEvent::data)
      .AddTag(kTag);
  registry.BeginType<PluginLcdsEvent>("PluginLcdsEvent")
      .AddField("clientId", &PluginLcdsEvent::clientId)
      .AddField("subtopic", &PluginLcdsEvent::subtopic)
      .AddField("typeName", &PluginLcdsEvent::typeName)
      .AddField("body", &PluginLcdsEvent::body)
      .AddTag(kTag);
  registry.BeginType<PluginLcdsResponse>("PluginLcdsResponse")
      .AddField("typeName", &PluginLcdsResponse::typeName)
      .AddField("body", &PluginLcdsResponse::body)
      .AddTag(kTag);
  registry.BeginType<PluginServiceProxyResponse>("PluginServiceProxyResponse")
      .AddField("uuid", &PluginServiceProxyResponse::uuid)
      .AddField("serviceName", &PluginServiceProxyResponse::serviceName)
      .AddField("methodName", &PluginServiceProxyResponse::methodName)
      .AddField("payload", &PluginServiceProxyResponse::payload)
      .AddField("status", &PluginServiceProxyResponse::status)
      .AddField("error", &PluginServiceProxyResponse::error)
      .AddTag(kTag);

  struct EventRow {
    const char* name;
    const char* description;
  };
  registry.BeginEvent<PluginResourceEvent>("OnJsonApiEvent")
      .SetDescription("Fired when a resource is changed.")
      .AddTag(kTag);
  registry.BeginEvent<PluginLcdsEvent>("OnLcdsEvent")
      .SetDescription("Fired when a message is received over the LCDS connection.")
      .AddTag(kTag);
  const EventRow kServiceProxyEvents[] = {
      {"OnServiceProxyUuidEvent", "Fired when a uuid-based service proxy message is received."},
      {"OnServiceProxyMethodEvent", "Fired when a method-based service proxy message is received."},
      {"OnServiceProxyAsyncEvent", "Fired when an async service proxy message is received."},
  };
  for (const EventRow& row : kServiceProxyEvents) {
    registry.BeginEvent<PluginServiceProxyResponse>(row.name)
        .SetDescription(row.description)
        .AddTag(kTag);
  }
}

}  // namespace Vorn::Client
