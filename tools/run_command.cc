// vorn-host run.
#include "tools/run_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>

#include "host/reference_host.h"
#include "tools/executable_path.h"
#include "tools/transcript_printer.h"

namespace Vorn::Tools {
namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "vorn-host: %s\n", message.c_str());
  return kExitFailed;
}

}  // namespace

void AddRunCommand(CLI::App& app, int& exit_code) {
  auto options = std::make_shared<RunOptions>();
  CLI::App* run = app.add_subcommand("run",
                                     "Load the plugin, initialize it, shut it down, and "
                                     "print every call between host and plugin");
  run->add_option("--plugin", options->plugin,
                  "Plugin library (default: the one built beside "
                  "this tool)");
  run->add_flag("--jsonl", options->jsonl, "Print the transcript as JSON Lines");
  run->callback([options, &exit_code] { exit_code = RunPlugin(*options); });
}

int RunPlugin(const RunOptions& options) {
  const std::string plugin = options.plugin.empty() ? DefaultPluginPath() : options.plugin;
  const TranscriptPrinter printer(
      options.jsonl ? TranscriptStyle::kJsonLines : TranscriptStyle::kReadable, stdout);

  Host::ReferenceHost host;
  host.SetTranscriptListener(
      [&printer](const Host::TranscriptEntry& entry) { printer.Print(entry); });
  if (Host::HostStatus loaded = host.Load(plugin); !loaded.ok()) return Fail(loaded.error());
  Host::HostResult<bool> initialized = host.Initialize();
  if (!initialized.ok()) return Fail(initialized.error());
  // Timers the plugin asked for while starting run before it goes away.
  host.RunDue();
  if (Host::HostStatus shut_down = host.Shutdown(); !shut_down.ok()) {
    return Fail(shut_down.error());
  }
  if (!initialized.value()) return Fail("the plugin's Initialize returned false");
  return kExitOk;
}

}  // namespace Vorn::Tools
