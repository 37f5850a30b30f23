// vorn-host decode: reads the input as a request body of the chosen format would be read, so
// what it prints is what a handler's parameter would receive.
#include "tools/decode_command.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "sdk/binding/binding_property.h"
#include "sdk/binding/binding_result.h"
#include "sdk/encoding/json_writer.h"
#include "sdk/remoting/argument_binder.h"
#include "tools/input_file.h"
#include "tools/plugin_session.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace Vorn::Tools {
namespace {

struct DecodeOptions {
  std::string format;
  bool typed = false;
  bool pretty = false;
  std::string file = "-";
};

// The content type under which a body of each format is decoded.
const std::map<std::string, const char*> kContentTypes = {
    {"json", "application/json"},
    {"msgpack", "application/x-msgpack"},
    {"yaml", "application/x-yaml"},
};

// `value` with every scalar wrapped in a one-member structure named after its kind; Empty stays
// Empty, which the writer shows as null inside a container. The readers bound the depth.
void Typed(const BindingProperty& value, BindingProperty& out) {
  switch (value.GetType()) {
    case BindingProperty::Type::Empty:
      return;
    case BindingProperty::Type::Collection:
      out.MakeCollection();
      out.Reserve(value.Size());
      for (const BindingProperty& element : value.Elements())
        Typed(element, out.Append());
      return;
    case BindingProperty::Type::Structure:
      out.MakeStructure();
      for (const auto& member : value.Members())
        Typed(member.value, out.MemberAt(member.name));
      return;
    default:
      out.MakeStructure();
      out.MemberAt(BindingProperty::TypeName(value.GetType())).CopyFrom(value);
      return;
  }
}

int Decode(const DecodeOptions& options) {
  std::string input;
  if (!ReadInput(options.file, input)) return Fail("cannot read " + options.file);
  BindingProperty value;
  BindingResult result;
  DecodeBody(result, value, input.data(), static_cast<uint32_t>(input.size()),
             kContentTypes.at(options.format));
  if (!result.Ok()) {
    std::fprintf(stderr, "%s\n", result.Error());
    return kExitFailed;
  }
  std::string text;
  const char* newline = options.pretty ? "\n" : nullptr;
  if (options.typed && value.GetType() == BindingProperty::Type::Empty) {
    text = "null";
  } else if (options.typed) {
    BindingProperty typed;
    Typed(value, typed);
    text = WriteJson(typed, nullptr, newline);
  } else {
    text = WriteJson(value, nullptr, newline);
  }
  text += '\n';
#if defined(_WIN32)
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  return kExitOk;
}

}  // namespace

void AddDecodeCommand(CLI::App& app, int& exit_code) {
  auto options = std::make_shared<DecodeOptions>();
  CLI::App* decode = app.add_subcommand(
      "decode",
      "Decode the input as a request body of the given format would be decoded (MessagePack\n"
      "must use every byte) and write the value as JSON. Exit code 1 with the reader's\n"
      "message on standard error when the input does not decode.");
  decode->add_option("--format", options->format, "Input format")
      ->type_name("json|msgpack|yaml")
      ->check(CLI::IsMember({"json", "msgpack", "yaml"}))
      ->required();
  decode->add_flag(
      "--typed", options->typed,
      "Write every scalar as a one-member object naming its kind, e.g. {\"signed\":-1}");
  decode->add_flag("--pretty", options->pretty, "Indented output");
  decode->add_option("file", options->file, "Input file (- or nothing for standard input)")
      ->type_name("FILE|-");
  decode->callback([options, &exit_code] { exit_code = Decode(*options); });
}

}  // namespace Vorn::Tools
