// Host event names derived from resource paths and LCDS type names.
#pragma once

#include <string>
#include <string_view>

namespace Vorn::Client {

// "OnJsonApiEvent" followed by the path's non-empty segments, at most 4 entries (6 under
// "qev-platform-config"), joined with "_".
std::string MakeJsonApiEventName(std::string_view resource_path);

// "OnLcdsEvent_" followed by the type name with every "." replaced by "_".
std::string MakeLcdsEventName(std::string_view lcds_type_name);

}  // namespace Vorn::Client
