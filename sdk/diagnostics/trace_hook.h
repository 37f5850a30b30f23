// The SDK's debug trace hook: it takes printf-style trace texts and deliberately writes them
// nowhere. Call sites keep their format checks; the call itself costs next to nothing.
#pragma once

#include "sdk/diagnostics/format_attribute.h"

namespace Vorn {

// Never reaches a log target, whatever the logger's settings.
VORN_PRINTF_FORMAT(1, 2) inline void PluginTraceHook(const char* /*format*/, ...) {}

}  // namespace Vorn
