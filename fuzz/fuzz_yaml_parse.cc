// Fuzzes ParseYaml: any input ends in a value or one message, within the nesting limit; every
// accepted value, written back as tagged flow YAML, reads again as exactly the same value; and a
// text that strtod reads whole is typed exactly as strtod's double says (the reader takes a
// faster way for common decimals).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "sdk/binding/nesting_limit.h"
#include "sdk/encoding/yaml_reader.h"

namespace {

using Vorn::BindingProperty;
using Type = BindingProperty::Type;

constexpr size_t kMaxRoundTrip = size_t{1} << 20;

[[noreturn]] void Fault(const char* what) {
  std::fprintf(stderr, "fuzz_yaml_parse: %s\n", what);
  std::abort();
}

// Decodes one UTF-8 code point at `at`; false for an invalid sequence.
bool NextCodePoint(std::string_view text, size_t& at, uint32_t& code) {
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  size_t extra;
  if (lead < 0x80) {
    code = lead;
    ++at;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    code = lead & 0x1Fu;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    code = lead & 0x0Fu;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    code = lead & 0x07u;
  } else {
    return false;
  }
  if (text.size() - at <= extra) return false;
  for (size_t i = 1; i <= extra; ++i) {
    const unsigned char next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return false;
    code = (code << 6) | (next & 0x3Fu);
  }
  at += extra + 1;
  return true;
}

// A double-quoted YAML text; everything but printable ASCII as an escape. False when the text
// is no UTF-8 (the reader's texts always are, libyaml checks them).
bool WriteQuoted(std::string_view text, std::string& out) {
  out.push_back('"');
  for (size_t at = 0; at < text.size();) {
    uint32_t code;
    if (!NextCodePoint(text, at, code)) return false;
    if (code == '"' || code == '\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(code));
    } else if (code >= 0x20 && code < 0x7F) {
      out.push_back(static_cast<char>(code));
    } else {
      char escape[16];
      std::snprintf(escape, sizeof escape, "\\U%08X", static_cast<unsigned>(code));
      out += escape;
    }
  }
  out.push_back('"');
  return true;
}

// Tags keep every kind apart from the plain rules, so the text reads back as the same value.
// False for a text that is no UTF-8 or an output past kMaxRoundTrip.
bool WriteYaml(const BindingProperty& value, std::string& out, int depth) {
  if (depth > Vorn::kMaxNestingDepth) Fault("accepted a value nested too deeply");
  // Aliases may expand a small input to 64 MiB of text: writing and reading that back proves
  // nothing more and would only make the input slow.
  if (out.size() > kMaxRoundTrip) return false;
  char number[48];
  switch (value.GetType()) {
    case Type::Empty:
      out += "~";
      return true;
    case Type::Bool:
      out += value.GetBool() ? "true" : "false";
      return true;
    case Type::Signed:
      // Only a text with a leading '-' gives Signed: "!!int -0" is Signed 0.
      if (value.GetSigned() > 0) Fault("accepted a positive Signed");
      std::snprintf(number, sizeof number, "!!int -%llu",
                    0ull - static_cast<unsigned long long>(value.GetSigned()));
      out += number;
      return true;
    case Type::Unsigned:
      std::snprintf(number, sizeof number, "!!int %llu",
                    static_cast<unsigned long long>(value.GetUnsigned()));
      out += number;
      return true;
    case Type::Float:
      if (std::isinf(value.GetFloat())) Fault("accepted an infinite Float");
      std::snprintf(number, sizeof number, "!!float %.17g", value.GetFloat());
      out += number;
      return true;
    case Type::String:
      return WriteQuoted(value.GetStringView(), out);
    case Type::Collection: {
      out += '[';
      const char* separator = "";
      for (const BindingProperty& element : value.Elements()) {
        out += separator;
        if (!WriteYaml(element, out, depth + 1)) return false;
        separator = ", ";
      }
      out += ']';
      return true;
    }
    case Type::Structure: {
      out += '{';
      const char* separator = "";
      for (const auto& member : value.Members()) {
        // Explicit keys: libyaml refuses implicit keys longer than 1024 characters.
        out += separator;
        out += "? ";
        if (!WriteQuoted(member.name, out)) return false;
        out += " : ";
        if (!WriteYaml(member.value, out, depth + 1)) return false;
        separator = ", ";
      }
      out += '}';
      return true;
    }
    default:
      Fault("a YAML value of a kind the reader never makes");
  }
}

bool SameValue(const BindingProperty& a, const BindingProperty& b) {
  if (a.GetType() != b.GetType()) return false;
  switch (a.GetType()) {
    case Type::Empty:
      return true;
    case Type::Bool:
      return a.GetBool() == b.GetBool();
    case Type::Signed:
      return a.GetSigned() == b.GetSigned();
    case Type::Unsigned:
      return a.GetUnsigned() == b.GetUnsigned();
    case Type::Float: {
      // %.17g and a correctly rounding strtod give the same double back.
      const double x = a.GetFloat();
      const double y = b.GetFloat();
      return (std::isnan(x) && std::isnan(y)) || (x == y && std::signbit(x) == std::signbit(y));
    }
    case Type::String:
      return a.GetStringView() == b.GetStringView();
    case Type::Collection: {
      if (a.Size() != b.Size()) return false;
      for (uint32_t i = 0; i < a.Size(); ++i) {
        if (!SameValue(a.ElementAt(i), b.ElementAt(i))) return false;
      }
      return true;
    }
    case Type::Structure: {
      if (a.Size() != b.Size()) return false;
      auto other = b.Members().begin();
      for (const auto& member : a.Members()) {
        if (member.name != (*other).name || !SameValue(member.value, (*other).value)) return false;
        ++other;
      }
      return true;
    }
    default:
      return false;
  }
}

// The plain-number rules applied to strtod's reading of the whole text; false when the text
// is no plain number (or could read as something else in YAML).
bool ExpectedPlainNumber(std::string_view text, BindingProperty& expected) {
  if (text.empty() || text.size() > 400) return false;
  for (char c : text) {
    if (std::strchr("0123456789+-.eE", c) == nullptr) return false;
  }
  if (text[0] == '-' && (text.size() == 1 || text[1] == '-')) return false;  // "-", "---"
  if (text.compare(0, 3, "...") == 0) return false;
  const std::string terminated(text);
  char* end = nullptr;
  const double value = std::strtod(terminated.c_str(), &end);
  if (end != terminated.c_str() + terminated.size() || std::isinf(value)) return false;
  if (std::isnan(value) || value != std::trunc(value)) {
    expected.SetFloat(value);
  } else if (value < 0.0) {
    if (value >= -9223372036854775808.0) {
      expected.SetSigned(static_cast<int64_t>(value));
    } else {
      expected.SetFloat(value);
    }
  } else if (value < 18446744073709551616.0) {
    expected.SetUnsigned(static_cast<uint64_t>(value));
  } else {
    expected.SetFloat(value);
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const Vorn::BindingResult result = Vorn::ParseYaml(text);
  BindingProperty expected;
  if (ExpectedPlainNumber(text, expected)) {
    if (!result.Ok() || !SameValue(result.Value(), expected))
      Fault("a plain number typed unlike strtod");
  }
  if (!result.Ok()) {
    if (*result.Error() == '\0') Fault("failed without a message");
    return 0;
  }
  std::string written;
  if (!WriteYaml(result.Value(), written, 1)) return 0;
  const Vorn::BindingResult again = Vorn::ParseYaml(written);
  if (!again.Ok()) {
    std::fprintf(stderr, "written: %s\nmessage: %s\n", written.c_str(), again.Error());
    Fault("the written value does not read back");
  }
  if (!SameValue(result.Value(), again.Value())) {
    std::fprintf(stderr, "written: %s\n", written.c_str());
    Fault("the written value reads back differently");
  }
  return 0;
}
