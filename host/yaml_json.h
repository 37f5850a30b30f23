// YAML read into the host's JSON value with libyaml's event parser, for scenario files. The
// host's own reader, kept apart from the plugin's so a scenario never depends on what it tests.
#pragma once

#include <string_view>

#include "host/host_result.h"
#include "host/plain_json.h"

namespace Vorn::Host {

// Reads the one document of `text` (none gives null). Plain scalars resolve as in the YAML 1.2 core
// schema (null, true/false, integers in decimal, 0x and 0o, floats with .inf and .nan, else text);
// quoted and block scalars, and those tagged !!str, stay texts. Aliases copy their anchor's
// value. A document nested deeper than kMaxPlainDepth, a repeated mapping key, a key that is
// no scalar, a second document or a syntax error fails with a message giving line and column
// (1-based).
[[nodiscard]] HostResult<Json> ParseYamlDocument(std::string_view text);

}  // namespace Vorn::Host
