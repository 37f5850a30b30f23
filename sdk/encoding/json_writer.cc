// WriteJson: a BindingPropertyVisitor that drives RapidJSON's compact or pretty writer over one
// growing buffer, and the newline replacement of the pretty form.
#include "sdk/encoding/json_writer.h"

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cmath>
#include <cstring>

#include "sdk/encoding/base64.h"

namespace Vorn {
namespace detail {
namespace {

// Initial capacities of the output buffer and of the writer's level stack (a level is a count
// and a flag, two words).
constexpr size_t kOutputCapacity = 256;
constexpr size_t kLevelDepth = 256 / (2 * sizeof(size_t));

// Writes each visited value through `Writer` (rapidjson::Writer or PrettyWriter).
template <typename Writer>
class JsonWriterVisitor final : public BindingPropertyVisitor {
 public:
  JsonWriterVisitor(rapidjson::StringBuffer& buffer, const BindingEnumNameLookup* registry)
      : writer_(buffer, nullptr, kLevelDepth), registry_(registry) {}

  bool VisitEmpty() override { return writer_.Null(); }
  bool VisitBool(bool value) override { return writer_.Bool(value); }
  bool VisitSigned(int64_t value) override { return writer_.Int64(value); }
  bool VisitUnsigned(uint64_t value) override { return writer_.Uint64(value); }
  bool VisitFloat(double value) override {
    // JSON has no literal for these; RapidJSON would refuse and leave the output malformed.
    if (!std::isfinite(value)) return writer_.Null();
    return writer_.Double(value);
  }
  bool VisitString(std::string_view text) override {
    return writer_.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
  }
  bool VisitBlob(const BindingBlob& bytes) override {
    const std::string text = Base64Encode(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return writer_.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
  }
  bool VisitEnum(const BindingEnumCell& value) override {
    if (registry_ != nullptr && value.identity != nullptr) {
      if (const char* name = registry_->FindEnumeratorName(*value.identity, value.value)) {
        return writer_.String(name);
      }
    }
    return writer_.Int64(static_cast<int64_t>(value.value));
  }
  bool BeginCollection(uint32_t) override { return writer_.StartArray(); }
  bool BeginElement(uint32_t) override { return true; }
  bool EndElement(uint32_t) override { return true; }
  bool EndCollection() override { return writer_.EndArray(); }
  bool BeginStructure(uint32_t) override { return writer_.StartObject(); }
  bool BeginMember(std::string_view name) override {
    return writer_.Key(name.data(), static_cast<rapidjson::SizeType>(name.size()));
  }
  bool EndMember(std::string_view) override { return true; }
  bool EndStructure() override { return writer_.EndObject(); }

 private:
  Writer writer_;
  const BindingEnumNameLookup* registry_;
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
    detail::JsonWriterVisitor<detail::CompactWriter> visitor(buffer, registry);
    value.Accept(visitor);
    return std::string(buffer.GetString(), buffer.GetSize());
  }
  detail::JsonWriterVisitor<detail::PrettyWriter> visitor(buffer, registry);
  value.Accept(visitor);
  if (std::strcmp(newline, "\n") == 0) return std::string(buffer.GetString(), buffer.GetSize());
  return detail::ReplaceNewlines(buffer.GetString(), buffer.GetSize(), newline);
}

}  // namespace Vorn
