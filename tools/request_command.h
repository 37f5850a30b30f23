// vorn-host request: one request through the plugin's route, after Initialize.
#pragma once

#include "tools/command.h"

namespace Vorn::Tools {

void AddRequestCommand(CLI::App& app, int& exit_code);

}  // namespace Vorn::Tools
