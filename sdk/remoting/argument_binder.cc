// The binding steps in their order, and the decoding of argument texts and bodies.
#include "sdk/remoting/argument_binder.h"

#include <cstring>

#include "sdk/binding/nesting_limit.h"
#include "sdk/binding/plain_value.h"
#include "sdk/encoding/json_reader.h"
#include "sdk/encoding/msgpack_reader.h"
#include "sdk/encoding/yaml_reader.h"
#include "sdk/remoting/content_type.h"
#include "sdk/remoting/path_template.h"
#include "sdk/runtime/format_text.h"

namespace Vorn {

namespace {

std::string_view TextOf(const char* text) {
  return text == nullptr ? std::string_view() : std::string_view(text);
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

int FindParameter(const BindingFunctionRecord& function, std::string_view name) {
  for (size_t i = 0; i < function.arguments.size(); ++i) {
    if (function.arguments[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// A segment that starts with a digit, read as C notation does (decimal, "0x" hexadecimal,
// leading "0" octal).
bool ReadIndex(BindingResult& result, std::string_view segment, uint32_t& index) {
  unsigned base = 10;
  size_t at = 0;
  if (segment.size() > 2 && segment[0] == '0' && (segment[1] == 'x' || segment[1] == 'X') &&
      DigitValue(segment[2]) < 16) {
    base = 16;
    at = 2;
  } else if (segment[0] == '0') {
    base = 8;
  }
  uint64_t value = 0;
  bool overflow = false;
  for (; at < segment.size(); ++at) {
    const int digit = DigitValue(segment[at]);
    if (digit >= static_cast<int>(base)) break;
    // Saturates above 32 bits, where strtoul would report an overflow.
    if (!overflow) value = value * base + static_cast<unsigned>(digit);
    if (value > 0xFFFFFFFFu) overflow = true;
  }
  if (at != segment.size()) {
    result.SetError(FormatText("Index %1 is in an incorrect format", std::string(segment)));
    return false;
  }
  if (overflow || value >= 0x80000000u) {
    result.SetError(FormatText("Index %1 is out of range", std::string(segment)));
    return false;
  }
  index = static_cast<uint32_t>(value);
  return true;
}

// Walks the dotted rest of an argument name into `value` and returns the value it names.
// `created` counts the elements that the request's dotted indexes have created so far.
BindingProperty* WalkDottedName(BindingResult& result, BindingProperty& value,
                                std::string_view rest, const BindingArgumentRecord& parameter,
                                uint32_t& created) {
  BindingProperty* cursor = &value;
  size_t start = 0;
  // Each segment makes the value it walks through a container; the parameter's is level 1.
  for (int level = 1;; ++level) {
    if (level > kMaxNestingDepth) {
      result.SetError(FormatText(
          "Couldn't assign value to '%1' because the input is nested too deeply.", parameter.name));
      return nullptr;
    }
    const size_t dot = rest.find('.', start);
    const std::string_view segment =
        rest.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
    if (!segment.empty() && IsDigit(segment[0])) {
      uint32_t index = 0;
      if (!ReadIndex(result, segment, index)) return nullptr;
      const uint32_t size =
          cursor->GetType() == BindingProperty::Type::Collection ? cursor->Size() : 0;
      // One collection, and all that the request's dotted indexes create, stay within the
      // bound: a short query must not allocate gigabytes.
      const uint32_t growth = index >= size ? index + 1 - size : 0;
      if (growth > 0 &&
          (index >= kMaxArgumentIndexGrowth || growth > kMaxArgumentIndexGrowth - created)) {
        result.SetError(FormatText("Index %1 is out of range", std::string(segment)));
        return nullptr;
      }
      created += growth;
      cursor->MakeCollection();
      cursor = &cursor->ElementAt(index);
    } else {
      cursor->MakeStructure();
      cursor = &cursor->MemberAt(segment);
    }
    if (dot == std::string_view::npos) return cursor;
    start = dot + 1;
  }
}

void ApplySource(BindingResult& result, const BindingFunctionRecord& function,
                 std::vector<BindingProperty>& arguments, std::string_view name,
                 std::string_view text, ArgumentLocation source, uint32_t& created) {
  const size_t dot = name.find('.');
  const int index = FindParameter(function, name.substr(0, dot));
  if (index < 0) {
    result.SetError(
        FormatText("Unknown argument '%1' for '%2'.", std::string(name), function.name));
    return;
  }
  const BindingArgumentRecord& parameter = function.arguments[static_cast<size_t>(index)];
  if (parameter.location != ArgumentLocation::Any && parameter.location != source) {
    result.SetError(FormatText("Argument '%1' for '%2' was specified in an invalid location.",
                               std::string(name), function.name));
    return;
  }
  BindingProperty& value = arguments[static_cast<size_t>(index)];
  if (dot == std::string_view::npos) {
    AssignArgumentText(result, value, text, {}, true, parameter, function.name);
    return;
  }
  if (BindingProperty* element =
          WalkDottedName(result, value, name.substr(dot + 1), parameter, created)) {
    AssignArgumentText(result, *element, text, {}, false, parameter, function.name);
  }
}

void ApplyNamedArguments(BindingResult& result, const BindingFunctionRecord& function,
                         const HostRequestRecord& request, size_t variable_count,
                         std::vector<BindingProperty>& arguments) {
  if (request.arguments == nullptr) return;
  for (uint32_t i = 0; i < request.argument_count && result.Ok(); ++i) {
    const HostRequestArgument& entry = request.arguments[i];
    int index = -1;
    std::string name;
    if (entry.name != nullptr) {
      name = entry.name;
      index = FindParameter(function, name);
    } else {
      const size_t position = i + variable_count;
      name = FormatText("%1", position);
      if (position < function.arguments.size()) index = static_cast<int>(position);
    }
    if (index < 0) {
      result.SetError(FormatText("Unknown argument '%1' for '%2'.", name, function.name));
      return;
    }
    const char* message_name = entry.name != nullptr
                                   ? entry.name
                                   : function.arguments[static_cast<size_t>(index)].name.c_str();
    BindingProperty& target = arguments[static_cast<size_t>(index)];
    target.Clear();
    BindingPlainResult sink;
    std::memset(&sink, 0, sizeof(sink));
    const BindingPlainValue plain = entry.value;
    if (!FromPlain(&sink, target, plain, message_name)) {
      result.SetError(TextOf(sink.error));
    }
    FreePlainResult(sink);
  }
}

// `message` takes the parameter's name, the function's name and the codec's message.
void DecodeWith(BindingResult& result, BindingProperty& target, BindingResult parsed,
                const char* message, const BindingArgumentRecord& parameter,
                std::string_view function_name) {
  if (!parsed.Ok()) {
    result.SetError(
        FormatText(message, parameter.name, std::string(function_name), parsed.Error()));
    return;
  }
  target = std::move(parsed.Value());
}

// A YAML text ends at its first NUL, wherever it comes from.
std::string_view BeforeFirstNul(std::string_view text) {
  const size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> ParseQuery(std::string_view path) {
  std::vector<std::pair<std::string, std::string>> pieces;
  const size_t question = path.find('?');
  if (question == std::string_view::npos) return pieces;
  std::string_view query = path.substr(question + 1);
  while (true) {
    const size_t amp = query.find('&');
    const std::string_view piece = query.substr(0, amp);
    if (!piece.empty()) {
      const size_t equals = piece.find('=');
      if (equals == std::string_view::npos) {
        pieces.emplace_back(PercentDecode(piece), std::string());
      } else {
        pieces.emplace_back(PercentDecode(piece.substr(0, equals)),
                            PercentDecode(piece.substr(equals + 1)));
      }
    }
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
  return pieces;
}

void AssignArgumentText(BindingResult& result, BindingProperty& target, std::string_view text,
                        std::string_view content_type, bool whole,
                        const BindingArgumentRecord& parameter, std::string_view function_name) {
  if (!result.Ok()) return;
  const BindingTypeCode code = parameter.type.code;
  if (text.empty()) {
    switch (code) {
      case BindingTypeCode::Bool:
        target.SetBool(true);
        return;
      case BindingTypeCode::Object:
      case BindingTypeCode::Struct:
        target.Clear();
        target.MakeStructure();
        return;
      case BindingTypeCode::Vector:
        target.Clear();
        target.MakeCollection();
        return;
      default:
        result.SetError(FormatText("Expected value for argument '%1'.", parameter.name));
        return;
    }
  }
  const bool sniff = content_type.empty() && whole &&
                     (code == BindingTypeCode::Object || code == BindingTypeCode::Vector ||
                      code == BindingTypeCode::Struct);
  const ArgumentValueFormat format = ClassifyArgumentContentType(content_type);
  // The sniffing tests read a C text up to its NUL; only they need the copy.
  const std::string terminated = sniff ? std::string(text) : std::string();
  if (format == ArgumentValueFormat::MessagePack ||
      (sniff && LooksLikeMessagePack(text.data(), static_cast<uint32_t>(text.size())))) {
    uint32_t consumed = 0;
    DecodeWith(result, target,
               ParseMessagePack(text.data(), static_cast<uint32_t>(text.size()), consumed),
               "Couldn't deserialize MessagePack value for parameter '%1' of '%2': %3", parameter,
               function_name);
  } else if (format == ArgumentValueFormat::Json || (sniff && LooksLikeJson(terminated.c_str()))) {
    DecodeWith(result, target, ParseJson(text),
               "Couldn't deserialize JSON value for parameter '%1' of '%2': %3", parameter,
               function_name);
  } else if (format == ArgumentValueFormat::Yaml || (sniff && LooksLikeYaml(terminated.c_str()))) {
    DecodeWith(result, target, ParseYaml(BeforeFirstNul(text)),
               "Couldn't deserialize YAML value for parameter '%1' of '%2': %3", parameter,
               function_name);
  } else if (format == ArgumentValueFormat::Raw) {
    target.SetBlob(text.data(), text.size());
  } else {
    target.SetString(text);
  }
}

void DecodeBody(BindingResult& result, BindingProperty& target, const void* body, uint32_t size,
                std::string_view content_type) {
  const char* bytes = static_cast<const char*>(body);
  BindingResult parsed;
  switch (ClassifyContentType(content_type)) {
    case RemotingBodyFormat::Json:
      parsed = ParseJson(std::string_view(bytes, size));
      break;
    case RemotingBodyFormat::Yaml:
      parsed = ParseYaml(BeforeFirstNul(std::string_view(bytes, size)));
      break;
    case RemotingBodyFormat::MessagePack: {
      uint32_t consumed = 0;
      parsed = ParseMessagePack(bytes, size, consumed);
      if (parsed.Ok() && consumed != size) {
        result.SetError("Extra MessgePack data found in body");
        return;
      }
      break;
    }
    case RemotingBodyFormat::Unknown:
      result.SetError("Unsupported body content type");
      return;
  }
  if (!parsed.Ok()) {
    result.SetError(parsed.Error());
    return;
  }
  target = std::move(parsed.Value());
}

BindingResult BindArguments(const BindingFunctionRecord& function, const HostRequestRecord& request,
                            std::string_view path,
                            const std::map<std::string, std::string>& variables,
                            std::vector<BindingProperty>& arguments) {
  BindingResult result;
  arguments.resize(function.arguments.size());
  uint32_t created = 0;  // elements created by dotted indexes, over all the sources

  std::map<std::string, std::string, std::less<>> headers;
  if (request.headers != nullptr) {
    for (uint32_t i = 0; i < request.header_count; ++i) {
      headers[std::string(TextOf(request.headers[i].name))] =
          std::string(TextOf(request.headers[i].value));
    }
  }
  for (const BindingArgumentRecord& parameter : function.arguments) {
    if (!result.Ok()) break;
    if (parameter.location != ArgumentLocation::Any &&
        parameter.location != ArgumentLocation::Header) {
      continue;
    }
    if (auto it = headers.find(Lower(parameter.name)); it != headers.end()) {
      ApplySource(result, function, arguments, parameter.name, it->second, ArgumentLocation::Header,
                  created);
    }
  }
  for (const auto& [name, text] : variables) {
    if (!result.Ok()) break;
    ApplySource(result, function, arguments, name, text, ArgumentLocation::Path, created);
  }
  if (result.Ok()) {
    for (const auto& [name, text] : ParseQuery(path)) {
      if (!result.Ok()) break;
      ApplySource(result, function, arguments, name, text, ArgumentLocation::Query, created);
    }
  }
  if (result.Ok()) ApplyNamedArguments(result, function, request, variables.size(), arguments);

  if (request.body != nullptr) {
    for (size_t i = 0; i < function.arguments.size(); ++i) {
      if (function.arguments[i].location != ArgumentLocation::Body) continue;
      BindingResult body;
      DecodeBody(body, arguments[i], request.body, request.body_size, TextOf(request.content_type));
      if (!body.Ok()) result.SetError(body.Error());
      break;
    }
  }
  return result;
}

}  // namespace Vorn
