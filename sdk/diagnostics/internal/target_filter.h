// The filter the logger applies before offering a message to a target.
#pragma once

#include <cstdint>

#include "sdk/diagnostics/log_api.h"

namespace Vorn::detail {

// Level at least the target's minimum; a message with groups must share none with the
// target's excluded groups and, when the target includes some, share one with them.
bool TargetAccepts(LogTargetRecord* target, int32_t level, uint64_t groups);

}  // namespace Vorn::detail
