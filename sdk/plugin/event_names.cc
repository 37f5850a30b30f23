// Host event names derived from resource paths and LCDS type names.
#include "sdk/plugin/event_names.h"

#include <algorithm>

namespace Vorn::Client {

std::string MakeJsonApiEventName(std::string_view resource_path) {
  std::string name = "OnJsonApiEvent";
  size_t entries = 1;
  size_t limit = 4;
  size_t position = 0;
  while (position < resource_path.size()) {
    if (resource_path[position] == '/') {
      ++position;
      continue;
    }
    size_t end = resource_path.find('/', position);
    if (end == std::string_view::npos) end = resource_path.size();
    std::string_view segment = resource_path.substr(position, end - position);
    if (entries == 1 && segment == "qev-platform-config") limit = 6;
    if (entries >= limit) break;
    name.append("_").append(segment);
    ++entries;
    position = end;
  }
  return name;
}

std::string MakeLcdsEventName(std::string_view lcds_type_name) {
  std::string name = "OnLcdsEvent_";
  name.append(lcds_type_name);
  std::replace(name.begin() + 12, name.end(), '.', '_');
  return name;
}

}  // namespace Vorn::Client
