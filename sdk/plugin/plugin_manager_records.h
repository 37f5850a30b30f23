// The records in which host events arrive (resource events, LCDS messages, service-proxy
// replies), registered in every plugin's registry under the binding namespace "vclient".
#pragma once

#include <cstdint>
#include <string>

#include "sdk/binding/binding_property.h"

namespace Vorn {
class BindingRegistry;
}

namespace Vorn::Client {

enum class PluginManagerState : int32_t { NotReady = 0, PluginsInitialized = 1 };

struct PluginManagerResource {
  PluginManagerState state = PluginManagerState::NotReady;
};

enum class PluginResourceEventType : int32_t { Create = 0, Update = 1, Delete = 2 };

struct PluginResourceEvent {
  std::string uri;
  PluginResourceEventType eventType = PluginResourceEventType::Create;
  BindingProperty data;
};

namespace AppModule {

struct PluginLcdsEvent {
  std::string clientId;
  std::string subtopic;
  std::string typeName;
  BindingProperty body;
};

struct PluginLcdsResponse {
  std::string typeName;
  BindingProperty body;
};

struct PluginServiceProxyResponse {
  std::string uuid;
  std::string serviceName;
  std::string methodName;
  std::string payload;
  std::string status;
  std::string error;
};

}  // namespace AppModule

// Registers the seven records and the five host events, each with the tag "vclient".
void RegisterPluginManagerRecords(BindingRegistry& registry);

}  // namespace Vorn::Client
