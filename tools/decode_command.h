// vorn-host decode: one input through the SDK's own readers, written back as JSON.
#pragma once

#include "tools/command.h"

namespace Vorn::Tools {

void AddDecodeCommand(CLI::App& app, int& exit_code);

}  // namespace Vorn::Tools
