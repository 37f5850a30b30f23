// Full plugin names from short name and kind.
#include "sdk/plugin/plugin_names.h"

#include "sdk/diagnostics/log_api.h"
#include "sdk/runtime/format_text.h"

namespace Vorn::Client {

std::string GetFullNameFromShortNameAndType(const std::string& short_name,
                                            const std::string& kind) {
  const char* prefix = "tkp-xx-";
  if (kind == "backend") {
    prefix = "tkp-be-";
  } else if (kind == "frontend") {
    prefix = "tkp-fe-";
  } else {
    const std::string message =
        FormatText("GetFullNameFromShortNameAndType(\"%1\", \"%2\") called with an unknown type",
                   short_name, kind);
    Log(kLogLevelError, kLogGroupDbg, "            Plugin Manager| %s", message.c_str());
  }
  return prefix + short_name;
}

}  // namespace Vorn::Client
