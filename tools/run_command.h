// vorn-host run: load the plugin, hand it the host, play a scenario, shut it down, and print
// the transcript.
#pragma once

#include <string>

#include "tools/command.h"

namespace Vorn::Tools {

struct RunOptions {
  std::string plugin;    // empty: the plugin built beside the tool
  std::string scenario;  // empty: the built-in sample
  bool jsonl = false;
};

void AddRunCommand(CLI::App& app, int& exit_code);
int RunPlugin(const RunOptions& options);

}  // namespace Vorn::Tools
