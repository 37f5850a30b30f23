// Registration of the loyalty records: the API records with the plugin's tags, then the LCDS
// records with their class names.
#pragma once

#include <string>
#include <vector>

namespace Vorn {
class BindingRegistry;
}

namespace Vorn::Client {
class PluginEventClient;
}

namespace Vorn::Client::Loyalty {

void RegisterLoyaltyRecords(BindingRegistry& registry, PluginEventClient& client,
                            const std::vector<std::string>& tags);

}  // namespace Vorn::Client::Loyalty
