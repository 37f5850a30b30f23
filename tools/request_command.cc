// vorn-host request: builds the request from the command line, delivers it through the route the
// host picks, and prints the status with the error or the result.
#include "tools/request_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/reference_host.h"
#include "host/transcript.h"
#include "tools/input_file.h"
#include "tools/plugin_session.h"

namespace Vorn::Tools {
namespace {

struct RequestOptions {
  std::string plugin;
  std::string method;
  std::string path;
  std::vector<std::string> headers;
  std::vector<std::string> arguments;
  std::string body_file;
  std::string content_type;
};

// "N=V" into its two halves; the value may itself hold "=".
bool SplitPair(const std::string& text, std::pair<std::string, std::string>& out) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos || equals == 0) return false;
  out = {text.substr(0, equals), text.substr(equals + 1)};
  return true;
}

void Print(const Host::HostResponse& response) {
  std::printf("status %d\n", response.status);
  if (response.content_type && !response.content_type->empty()) {
    std::printf("content-type %s\n", response.content_type->c_str());
  }
  for (const auto& [name, value] : response.headers)
    std::printf("header %s: %s\n", name.c_str(), value.c_str());
  if (response.failed || response.error) {
    std::printf("error %s\n", response.error ? response.error->c_str() : "(no text)");
  } else {
    std::printf("result %s\n", Host::DumpJson(response.result).c_str());
  }
  std::fflush(stdout);
}

int Request(const RequestOptions& options) {
  Host::HostRequest request;
  request.method = options.method;
  request.path = options.path;
  for (const std::string& header : options.headers) {
    std::pair<std::string, std::string> pair;
    if (!SplitPair(header, pair)) return Fail("--header wants NAME=VALUE, not '" + header + "'");
    request.headers.push_back(std::move(pair));
  }
  for (const std::string& argument : options.arguments) {
    std::pair<std::string, std::string> pair;
    if (!SplitPair(argument, pair)) return Fail("--arg wants NAME=VALUE, not '" + argument + "'");
    request.arguments.emplace_back(pair.first, Host::Json(pair.second));
  }
  if (!options.body_file.empty()) {
    std::string body;
    if (!ReadInput(options.body_file, body)) return Fail("cannot read " + options.body_file);
    request.body = std::move(body);
    request.content_type = options.content_type;
  }

  Host::ReferenceHost host;
  if (int started = StartPlugin(host, options.plugin, PluginStart::kInitialize); started != kExitOk)
    return started;
  Host::HostResult<Host::HostResponse> response = host.Request(request);
  if (!response.ok()) return Fail(response.error());
  Print(response.value());
  const Host::HostResponse& answer = response.value();
  return answer.failed || answer.error || answer.status >= 400 ? kExitFailed : kExitOk;
}

}  // namespace

void AddRequestCommand(CLI::App& app, int& exit_code) {
  auto options = std::make_shared<RequestOptions>();
  CLI::App* request = app.add_subcommand(
      "request",
      "Initialize the plugin and deliver one request through its route entry; prints\n"
      "\"status N\", then \"error TEXT\" or \"result JSON\". Exit code 1 when the response\n"
      "failed or its status is 400 or more.");
  request
      ->add_option("--plugin", options->plugin,
                   "Plugin library (default: the one built beside this tool)")
      ->type_name("LIB");
  request->add_option("method", options->method, "GET, POST, ... (any other name is sent as such)")
      ->type_name("METHOD")
      ->required();
  request->add_option("path", options->path, "Request path, with an optional ?query")
      ->type_name("PATH")
      ->required();
  // One value per occurrence, so the options may stand anywhere among the positionals.
  request->add_option("--header", options->headers, "A request header (repeatable)")
      ->type_name("N=V")
      ->allow_extra_args(false);
  request->add_option("--arg", options->arguments, "A named argument, sent as a text (repeatable)")
      ->type_name("NAME=VALUE")
      ->allow_extra_args(false);
  CLI::Option* body =
      request
          ->add_option("--body", options->body_file, "File holding the request body (- for stdin)")
          ->type_name("FILE");
  CLI::Option* content_type =
      request->add_option("--content-type", options->content_type, "Content type of the body")
          ->type_name("TYPE");
  body->needs(content_type);
  content_type->needs(body);
  request->callback([options, &exit_code] { exit_code = Request(*options); });
}

}  // namespace Vorn::Tools
