// ParseJson: RapidJSON's event reader with a handler that writes every value straight into its
// final place in the tree, merging repeated members; LooksLikeJson.
#include "sdk/encoding/json_reader.h"

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "sdk/binding/nesting_limit.h"
#include "sdk/runtime/format_text.h"

namespace Vorn {
namespace detail {
namespace {

// Why a handler event stopped the reader: one of RapidJSON's codes, or the nesting limit.
struct ReadFailure {
  rapidjson::ParseErrorCode code = rapidjson::kParseErrorNone;
  bool too_deep = false;
  size_t offset = 0;
};

bool IsNumberCharacter(char c) {
  return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
}

// The length of a decoded text up to its first NUL: an escaped NUL ends strings and names.
size_t TextLength(const char* text, rapidjson::SizeType length) {
  const void* nul = std::memchr(text, '\0', length);
  return nul == nullptr ? length : static_cast<size_t>(static_cast<const char*>(nul) - text);
}

// The reader's handler. Open containers are only grown while they are innermost, so the
// references on the stack stay valid for the whole read.
class JsonValueBuilder {
 public:
  JsonValueBuilder(BindingProperty& root, const rapidjson::StringStream& stream)
      : current_(&root), stream_(stream) {
    open_.reserve(16);
  }

  // Set when a handler event stopped the reader; code kParseErrorNone otherwise.
  const ReadFailure& Failure() const { return failure_; }

  // null keeps what the target holds: Empty for a new element or member, or the value of a
  // repeated member.
  bool Null() {
    Target();
    return true;
  }
  bool Bool(bool value) {
    Target().SetBool(value);
    return true;
  }
  bool Int(int value) {
    Target().SetSigned(static_cast<int64_t>(value));
    return true;
  }
  bool Uint(unsigned value) {
    Target().SetUnsigned(static_cast<uint64_t>(value));
    return true;
  }
  bool Int64(int64_t value) {
    Target().SetSigned(value);
    return true;
  }
  bool Uint64(uint64_t value) {
    Target().SetUnsigned(value);
    return true;
  }
  bool Double(double value) {
    // The reader's conversion overflows to infinity on some numbers beyond the double range
    // ("2e308") instead of refusing them; they get the error it gives the others.
    if (!std::isfinite(value)) {
      return Fail(ReadFailure{rapidjson::kParseErrorNumberTooBig, false, NumberStart()});
    }
    Target().SetFloat(value);
    return true;
  }
  // Only sent with the numbers-as-strings flag, which is not used.
  bool RawNumber(const char*, rapidjson::SizeType, bool) { return true; }
  bool String(const char* text, rapidjson::SizeType length, bool) {
    Target().SetString(text, TextLength(text, length));
    return true;
  }
  bool StartObject() {
    if (!Enter()) return false;
    BindingProperty& target = Target();
    target.MakeStructure();
    Push(target, false);
    return true;
  }
  bool Key(const char* name, rapidjson::SizeType length, bool) {
    current_ = &open_.back()->MemberAt(name, TextLength(name, length));
    return true;
  }
  bool EndObject(rapidjson::SizeType) {
    Pop();
    return true;
  }
  bool StartArray() {
    if (!Enter()) return false;
    BindingProperty& target = Target();
    target.MakeCollection();
    Push(target, true);
    return true;
  }
  bool EndArray(rapidjson::SizeType) {
    Pop();
    return true;
  }

 private:
  // The value the next event fills: a new element inside an array, else what a key (or the
  // start) chose.
  BindingProperty& Target() {
    if (collection_ != nullptr) current_ = &collection_->Append();
    return *current_;
  }
  // The reader recurses per level, so the level beyond the limit is refused before it opens.
  bool Enter() {
    if (open_.size() < static_cast<size_t>(kMaxNestingDepth)) return true;
    // The bracket was just taken.
    return Fail(ReadFailure{rapidjson::kParseErrorTermination, true, stream_.Tell() - 1});
  }
  bool Fail(const ReadFailure& failure) {
    failure_ = failure;
    return false;
  }
  // The offset of the number just read: the stream stands right after it, and what precedes a
  // number ('[', ',', ':', white space or the start) is no number character.
  size_t NumberStart() const {
    const char* at = stream_.src_;
    while (at > stream_.head_ && IsNumberCharacter(at[-1]))
      --at;
    return static_cast<size_t>(at - stream_.head_);
  }
  void Push(BindingProperty& container, bool is_collection) {
    open_.push_back(&container);
    collection_ = is_collection ? &container : nullptr;
  }
  void Pop() {
    open_.pop_back();
    collection_ = !open_.empty() && open_.back()->GetType() == BindingProperty::Type::Collection
                      ? open_.back()
                      : nullptr;
  }

  BindingProperty* current_;
  BindingProperty* collection_ = nullptr;  // the innermost open container when it is an array
  std::vector<BindingProperty*> open_;
  const rapidjson::StringStream& stream_;
  ReadFailure failure_;
};

// RapidJSON's English texts, but for the one that the SDK words its own way.
const char* ParseErrorText(rapidjson::ParseErrorCode code) {
  switch (code) {
    case rapidjson::kParseErrorDocumentRootNotSingular:
      return "The document root must not follow by other values.";
    default:
      return rapidjson::GetParseError_En(code);
  }
}

BindingResult ParseTerminated(const char* text) {
  BindingResult result;
  rapidjson::StringStream stream(text);
  JsonValueBuilder builder(result.Value(), stream);
  rapidjson::Reader reader;
  const rapidjson::ParseResult outcome = reader.Parse(stream, builder);
  if (!outcome.IsError() || outcome.Code() == rapidjson::kParseErrorDocumentEmpty) return result;

  const char* message = ParseErrorText(outcome.Code());
  size_t offset = outcome.Offset();
  const ReadFailure& failure = builder.Failure();
  if (outcome.Code() == rapidjson::kParseErrorTermination &&
      failure.code != rapidjson::kParseErrorNone) {
    message = failure.too_deep ? "Nesting is too deep." : ParseErrorText(failure.code);
    offset = failure.offset;
  }
  result.SetError(FormatText("Error: %s at offset %u.", message, static_cast<unsigned>(offset)));
  return result;
}

}  // namespace
}  // namespace detail

BindingResult ParseJson(const char* text) {
  return detail::ParseTerminated(text == nullptr ? "" : text);
}

BindingResult ParseJson(const std::string& text) {
  return detail::ParseTerminated(text.c_str());
}

BindingResult ParseJson(std::string_view text) {
  if (text.empty()) return detail::ParseTerminated("");
  if (std::memchr(text.data(), '\0', text.size()) != nullptr) {
    return detail::ParseTerminated(text.data());
  }
  // The reader needs a terminator that the caller's bytes may lack.
  return detail::ParseTerminated(std::string(text).c_str());
}

bool LooksLikeJson(const char* text) {
  if (text == nullptr) return false;
  while (*text == ' ')
    ++text;
  return *text == '{' || *text == '[';
}

}  // namespace Vorn
