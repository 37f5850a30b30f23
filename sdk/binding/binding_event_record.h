// The registry's record of one event that the plugin can raise.
#pragma once

#include <string>
#include <vector>

namespace Vorn {

struct BindingTypeRecord;

struct BindingEventRecord {
  std::string name;
  const BindingTypeRecord* payload_type = nullptr;  // the record of the event's data
  std::string name_space;
  std::string description;
  std::vector<std::string> tags;
};

}  // namespace Vorn
