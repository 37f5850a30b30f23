// Assertion reports: a failed check becomes one readable error text in the log. The process
// goes on; the caller decides what follows.
#pragma once

#include <cstdint>

namespace Vorn {

// Any text may be null or empty and is then left out, as is a line of 0. Logged at level 2
// (" ERROR") in group "DBG".
void ReportAssertion(const char* expression, const char* description, const char* file,
                     uint32_t line, const char* function);

}  // namespace Vorn
