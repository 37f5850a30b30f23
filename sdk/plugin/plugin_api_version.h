// The plugin API version exchanged in the handshake, its text form and the compatibility rule.
#pragma once

#include <cstdint>
#include <string>

namespace Vorn {

struct PluginApiVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t patch = 0;
  std::string prerelease;
  std::string build;
};

// The API this plugin is built against: 18.0.0.
extern const PluginApiVersion kPluginApiVersion;

// "major.minor.patch", then "-prerelease" and "+build" when those are not empty.
std::string FormatTextForm(const PluginApiVersion& version);

// A core (host) version is compatible with our own when the majors agree and the core is at
// least our minor.patch; the texts take no part.
bool IsCompatible(const PluginApiVersion& own, const PluginApiVersion& core);

}  // namespace Vorn
