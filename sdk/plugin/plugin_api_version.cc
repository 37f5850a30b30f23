// Version text form and compatibility rule of the handshake.
#include "sdk/plugin/plugin_api_version.h"

#include "sdk/runtime/format_text.h"

namespace Vorn {

const PluginApiVersion kPluginApiVersion{18, 0, 0, {}, {}};

std::string FormatTextForm(const PluginApiVersion& version) {
  // The numbers go through a 33-byte buffer, so they take at most 32 characters.
  char numbers[33];
  size_t length = FormatTextTo(numbers, sizeof numbers, "%1.%2.%3", version.major, version.minor,
                               version.patch);
  std::string text(numbers, length);
  if (!version.prerelease.empty()) text.append("-").append(version.prerelease);
  if (!version.build.empty()) text.append("+").append(version.build);
  return text;
}

bool IsCompatible(const PluginApiVersion& own, const PluginApiVersion& core) {
  if (core.major != own.major) return false;
  return core.minor > own.minor || (core.minor == own.minor && core.patch >= own.patch);
}

}  // namespace Vorn
