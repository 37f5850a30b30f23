// vorn-host run.
#include "tools/run_command.h"

#include <CLI/CLI.hpp>

#include <memory>

#include "host/reference_host.h"
#include "tools/plugin_session.h"
#include "tools/scenario.h"
#include "tools/scenario_player.h"
#include "tools/transcript_printer.h"

namespace Vorn::Tools {

void AddRunCommand(CLI::App& app, int& exit_code) {
  auto options = std::make_shared<RunOptions>();
  CLI::App* run = app.add_subcommand(
      "run",
      "Load the plugin, initialize it, play a scenario (the built-in sample without\n"
      "--scenario: a reward grant, the same message again, a change, a reset, with GET\n"
      "requests in between), shut it down, and print every call between host and plugin.");
  run->add_option("--plugin", options->plugin,
                  "Plugin library (default: the one built beside this tool)")
      ->type_name("LIB");
  run->add_option("--scenario", options->scenario, "Scenario file, JSON or YAML (.yaml, .yml)")
      ->type_name("FILE");
  run->add_flag("--jsonl", options->jsonl, "Print the transcript as JSON Lines");
  run->footer(kScenarioHelp);
  run->callback([options, &exit_code] { exit_code = RunPlugin(*options); });
}

int RunPlugin(const RunOptions& options) {
  std::vector<ScenarioStep> steps;
  if (options.scenario.empty()) {
    steps = BuiltinScenario();
  } else {
    Host::HostResult<std::vector<ScenarioStep>> read = ReadScenarioFile(options.scenario);
    if (!read.ok()) return Fail(read.error());
    steps = std::move(read.value());
  }

  const TranscriptPrinter printer(
      options.jsonl ? TranscriptStyle::kJsonLines : TranscriptStyle::kReadable, stdout);
  Host::ReferenceHost host;
  host.SetTranscriptListener(
      [&printer](const Host::TranscriptEntry& entry) { printer.Print(entry); });
  if (int started = StartPlugin(host, options.plugin, PluginStart::kInitialize); started != kExitOk)
    return started;
  for (size_t i = 0; i < steps.size(); ++i) {
    if (!steps[i].note.empty()) printer.PrintNote(steps[i].note);
    if (Host::HostStatus played = PlayStep(host, steps[i]); !played.ok()) {
      return Fail("step " + std::to_string(i + 1) + ": " + played.error());
    }
  }
  if (Host::HostStatus shut_down = host.Shutdown(); !shut_down.ok()) {
    return Fail(shut_down.error());
  }
  return kExitOk;
}

}  // namespace Vorn::Tools
