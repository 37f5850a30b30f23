// The plugin's names: short name, kind and the full name derived from both.
#pragma once

#include <string>

namespace Vorn::Client {

struct PluginNameRecord {
  std::string full_name;
  std::string short_name;
  std::string kind;
};

// "tkp-be-" for kind "backend", "tkp-fe-" for "frontend", otherwise "tkp-xx-" (logged as an
// error), followed by the short name.
std::string GetFullNameFromShortNameAndType(const std::string& short_name, const std::string& kind);

}  // namespace Vorn::Client
