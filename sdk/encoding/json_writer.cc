// WriteJson: a walk over the value by kind that drives RapidJSON's compact or pretty writer over
// one growing buffer, the visitor that continues the walk below the recursion limit, and the
// newline replacement of the pretty form.
#include "sdk/encoding/json_writer.h"

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cmath>
#include <cstring>

#include "sdk/binding/nesting_limit.h"
#include "sdk/encoding/base64.h"

namespace Vorn {
namespace detail {
namespace {

// Initial capacities of the output buffer and of the writer's level stack (a level is a count
// and a flag, two words).
constexpr size_t kOutputCapacity = 256;
constexpr size_t kLevelDepth = 256 / (2 * sizeof(size_t));

// What one scalar writes, shared by the walk and the visitor. `Writer` is rapidjson::Writer or
// PrettyWriter.
template <typename Writer>
class JsonScalarWriter {
 public:
  JsonScalarWriter(Writer& writer, const BindingEnumNameLookup* registry)
      : writer_(writer), registry_(registry) {}

  // Numbers that fit 32 bits take RapidJSON's shorter conversions; the digits are the same.
  bool Signed(int64_t value) {
    if (value >= INT32_MIN && value <= INT32_MAX) return writer_.Int(static_cast<int>(value));
    return writer_.Int64(value);
  }
  bool Unsigned(uint64_t value) {
    if (value <= UINT32_MAX) return writer_.Uint(static_cast<unsigned>(value));
    return writer_.Uint64(value);
  }
  bool Float(double value) {
    // JSON has no literal for these; RapidJSON would refuse and leave the output malformed.
    if (!std::isfinite(value)) return writer_.Null();
    return writer_.Double(value);
  }
  bool String(std::string_view text) {
    return writer_.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
  }
  bool Key(std::string_view name) {
    return writer_.Key(name.data(), static_cast<rapidjson::SizeType>(name.size()));
  }
  bool Blob(const BindingBlob& bytes) {
    const std::string text = Base64Encode(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return String(text);
  }
  bool Enum(const BindingEnumCell& value) {
    if (registry_ != nullptr && value.identity != nullptr) {
      if (const char* name = registry_->FindEnumeratorName(*value.identity, value.value)) {
        return writer_.String(name);
      }
    }
    return Signed(static_cast<int64_t>(value.value));
  }

  Writer& writer() { return writer_; }

 private:
  Writer& writer_;
  const BindingEnumNameLookup* registry_;
};

// The writer as the value visitor; Accept drives it where the walk below stops recursing.
template <typename Writer>
class JsonWriterVisitor final : public BindingPropertyVisitor {
 public:
  explicit JsonWriterVisitor(JsonScalarWriter<Writer>& out) : out_(out) {}

  bool VisitEmpty() override { return out_.writer().Null(); }
  bool VisitBool(bool value) override { return out_.writer().Bool(value); }
  bool VisitSigned(int64_t value) override { return out_.Signed(value); }
  bool VisitUnsigned(uint64_t value) override { return out_.Unsigned(value); }
  bool VisitFloat(double value) override { return out_.Float(value); }
  bool VisitString(std::string_view text) override { return out_.String(text); }
  bool VisitBlob(const BindingBlob& bytes) override { return out_.Blob(bytes); }
  bool VisitEnum(const BindingEnumCell& value) override { return out_.Enum(value); }
  bool BeginCollection(uint32_t) override { return out_.writer().StartArray(); }
  bool BeginElement(uint32_t) override { return true; }
  bool EndElement(uint32_t) override { return true; }
  bool EndCollection() override { return out_.writer().EndArray(); }
  bool BeginStructure(uint32_t) override { return out_.writer().StartObject(); }
  bool BeginMember(std::string_view name) override { return out_.Key(name); }
  bool EndMember(std::string_view) override { return true; }
  bool EndStructure() override { return out_.writer().EndObject(); }

 private:
  JsonScalarWriter<Writer>& out_;
};

// The same events as Accept with the visitor above, without a virtual call per step: the
// writer's calls inline into one switch per value. Below the recursion limit the visitor takes
// over, whose walk keeps its own stack.
template <typename Writer>
class JsonTreeWriter {
 public:
  JsonTreeWriter(rapidjson::StringBuffer& buffer, const BindingEnumNameLookup* registry)
      : writer_(buffer, nullptr, kLevelDepth), out_(writer_, registry) {}

  void Write(const BindingProperty& value, int depth) {
    using Type = BindingProperty::Type;
    switch (value.GetType()) {
      case Type::Empty:
        writer_.Null();
        break;
      case Type::Bool:
        writer_.Bool(value.GetBool());
        break;
      case Type::Signed:
        out_.Signed(value.GetSigned());
        break;
      case Type::Unsigned:
        out_.Unsigned(value.GetUnsigned());
        break;
      case Type::Float:
        out_.Float(value.GetFloat());
        break;
      case Type::String:
        out_.String(value.GetStringView());
        break;
      case Type::Blob:
        out_.Blob(value.GetBlob());
        break;
      case Type::Enum:
        out_.Enum(value.GetEnum(BindingEnumCell{0, nullptr}));
        break;
      case Type::Collection:
        if (depth >= kMaxNestingDepth) return Hand(value);
        writer_.StartArray();
        for (const BindingProperty& element : value.Elements())
          Write(element, depth + 1);
        writer_.EndArray();
        break;
      case Type::Structure:
        if (depth >= kMaxNestingDepth) return Hand(value);
        writer_.StartObject();
        for (const auto& member : value.Members()) {
          out_.Key(member.name);
          Write(member.value, depth + 1);
        }
        writer_.EndObject();
        break;
      default:
        break;
    }
  }

 private:
  void Hand(const BindingProperty& value) {
    JsonWriterVisitor<Writer> visitor(out_);
    value.Accept(visitor);
  }

  Writer writer_;
  JsonScalarWriter<Writer> out_;
};

using CompactWriter = rapidjson::Writer<rapidjson::StringBuffer>;
using PrettyWriter = rapidjson::PrettyWriter<rapidjson::StringBuffer>;

// Every "\n" of the layout becomes `newline`; line feeds inside strings are escaped, so none of
// them is touched.
std::string ReplaceNewlines(const char* text, size_t length, const char* newline) {
  const size_t newline_length = std::strlen(newline);
  std::string out;
  out.reserve(length + length / 8);
  const char* end = text + length;
  for (const char* at = text; at < end;) {
    const char* line_end = static_cast<const char*>(std::memchr(at, '\n', end - at));
    if (line_end == nullptr) {
      out.append(at, end);
      break;
    }
    out.append(at, line_end);
    out.append(newline, newline_length);
    at = line_end + 1;
  }
  return out;
}

}  // namespace
}  // namespace detail

std::string WriteJson(const BindingProperty& value, const BindingEnumNameLookup* registry,
                      const char* newline) {
  if (value.GetType() == BindingProperty::Type::Empty) return std::string();
  rapidjson::StringBuffer buffer(nullptr, detail::kOutputCapacity);
  if (newline == nullptr || newline[0] == '\0') {
    detail::JsonTreeWriter<detail::CompactWriter>(buffer, registry).Write(value, 0);
    return std::string(buffer.GetString(), buffer.GetSize());
  }
  detail::JsonTreeWriter<detail::PrettyWriter>(buffer, registry).Write(value, 0);
  if (std::strcmp(newline, "\n") == 0) return std::string(buffer.GetString(), buffer.GetSize());
  return detail::ReplaceNewlines(buffer.GetString(), buffer.GetSize(), newline);
}

}  // namespace Vorn
