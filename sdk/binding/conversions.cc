// The primitive conversion rules, the record rules and the message table.
#include "sdk/binding/conversions.h"

#include <cmath>
#include <string_view>

#include "sdk/encoding/base64.h"
#include "sdk/runtime/number_reader.h"

namespace Vorn {

namespace detail {

const char* ConversionMessageFormat(ConversionMessage code) {
  switch (code) {
    case ConversionMessage::kRequired:
      return "A value for '%1' is required.";
    case ConversionMessage::kOutOfRange:
      return "Value %1 for '%2' of type %3 is out of range";
    case ConversionMessage::kIncorrectFormat:
      return "Value %1 for '%2' of type %3 is in an incorrect format";
    case ConversionMessage::kInvalidNumberType:
      return "Couldn't assign value to '%1' of type %2 because the input is of an invalid type "
             "%3.";
    case ConversionMessage::kBoolIncorrectFormat:
      return "Value %1 for '%2' of type bool is in an incorrect format. Options are \"true\", "
             "\"false\", \"1\", \"0\".";
    case ConversionMessage::kBoolInvalidType:
      return "Couldn't assign value to '%1' of type bool because the input is of an invalid type "
             "%2.";
    case ConversionMessage::kNotAString:
      return "Couldn't assign value to '%1' because the input is not a string.";
    case ConversionMessage::kNoEnumeratorName:
      return "%1 is not a valid enumeration value for '%2'.";
    case ConversionMessage::kNotABlob:
      return "Couldn't assign value to '%1' of type blob because the input is not a blob.";
    case ConversionMessage::kInvalidBase64:
      return "Couldn't assign string value to '%1' of type blob because the input has invalid "
             "base64 characters.";
    case ConversionMessage::kNotAnEnumerator:
      return "%1 is not a valid %2 enumeration value for '%3'.";
    case ConversionMessage::kEnumInvalidType:
      return "Couldn't assign value to '%1' of enum type because the input is of an invalid type "
             "%2.";
    case ConversionMessage::kNotACollection:
      return "Couldn't assign value to '%1' of type vector because the input not a collection.";
    case ConversionMessage::kMapNotAStructure:
      return "Couldn't assign value to '%1' of type map because the input not a structure.";
    case ConversionMessage::kUnregisteredStructure:
      return "Couldn't assign value to '%1' because the input is an unregistered structure or "
             "not a structure at all.";
    case ConversionMessage::kNotAStructure:
      return "Couldn't assign value to '%1' of type %2 because the input not a structure.";
    case ConversionMessage::kMissingRequiredField:
      return "Couldn't assign value to '%1' of type %2 because the input structure doesn't have "
             "required field '%3'.";
    case ConversionMessage::kUnregisteredNative:
      return "Couldn't convert native value because it's an unregistered structure.";
  }
  return "";
}

}  // namespace detail

namespace {

using detail::ConversionMessage;
using detail::FailConversion;
using Type = BindingProperty::Type;

const char* KindName(const BindingProperty& value) {
  return BindingProperty::TypeName(value.GetType());
}

// The number text of a String value, read by `read`. False when characters remain after the
// number (an embedded NUL counts as one); `overflow` tells whether the reader reported a result
// out of its range.
template <typename Number>
bool ParseNumberText(const BindingProperty& value, NumberRead<Number> (*read)(std::string_view),
                     Number& number, bool& overflow) {
  const std::string_view text = value.GetStringView();
  const NumberRead<Number> parsed = read(text);
  number = parsed.value;
  overflow = parsed.range_error;
  return parsed.length == text.size();
}

// Whether the text's first character after leading white space is a minus sign (the unsigned
// reader would negate it silently).
bool HasMinusSign(std::string_view text) {
  for (char c : text) {
    if (c == ' ' || (c >= '\t' && c <= '\r')) continue;
    return c == '-';
  }
  return false;
}

// Doubles at or above these have no integer of the 64-bit types (the bounds, rounded to double,
// would otherwise admit them).
constexpr double kTwoTo63 = 9223372036854775808.0;
constexpr double kTwoTo64 = 18446744073709551616.0;

}  // namespace

std::optional<int64_t> AssignSigned(BindingResult& result, const BindingProperty& value,
                                    const char* name, const BindingSignedRange& range) {
  if (!result.Ok()) return std::nullopt;
  switch (value.GetType()) {
    case Type::Empty:
      FailConversion(result, ConversionMessage::kRequired, name);
      return std::nullopt;
    case Type::Signed: {
      const int64_t number = value.GetSigned();
      if (number >= range.min && number <= range.max) return number;
      FailConversion(result, ConversionMessage::kOutOfRange, number, name, range.type_name);
      return std::nullopt;
    }
    case Type::Unsigned: {
      const uint64_t number = value.GetUnsigned();
      if (range.max >= 0 && number <= static_cast<uint64_t>(range.max)) {
        return static_cast<int64_t>(number);
      }
      FailConversion(result, ConversionMessage::kOutOfRange, number, name, range.type_name);
      return std::nullopt;
    }
    case Type::Float: {
      const double number = value.GetFloat();
      // Written so that NaN fails every comparison.
      if (number >= static_cast<double>(range.min) && number <= static_cast<double>(range.max) &&
          number < kTwoTo63) {
        return static_cast<int64_t>(number);
      }
      FailConversion(result, ConversionMessage::kOutOfRange, number, name, range.type_name);
      return std::nullopt;
    }
    case Type::String: {
      int64_t number = 0;
      bool overflow = false;
      const char* text = value.GetString();
      if (!ParseNumberText(value, &ReadSigned, number, overflow)) {
        FailConversion(result, ConversionMessage::kIncorrectFormat, text, name, range.type_name);
        return std::nullopt;
      }
      if (overflow || number < range.min || number > range.max) {
        FailConversion(result, ConversionMessage::kOutOfRange, text, name, range.type_name);
        return std::nullopt;
      }
      return static_cast<int64_t>(number);
    }
    case Type::Enum: {
      const int64_t number = value.GetEnum({}).value;
      if (number >= range.min && number <= range.max) return number;
      FailConversion(result, ConversionMessage::kOutOfRange, number, name, range.type_name);
      return std::nullopt;
    }
    default:
      FailConversion(result, ConversionMessage::kInvalidNumberType, name, range.type_name,
                     KindName(value));
      return std::nullopt;
  }
}

std::optional<uint64_t> AssignUnsigned(BindingResult& result, const BindingProperty& value,
                                       const char* name, const BindingUnsignedRange& range) {
  if (!result.Ok()) return std::nullopt;
  switch (value.GetType()) {
    case Type::Empty:
      FailConversion(result, ConversionMessage::kRequired, name);
      return std::nullopt;
    case Type::Signed: {
      const int64_t number = value.GetSigned();
      if (number >= 0 && static_cast<uint64_t>(number) <= range.max) {
        return static_cast<uint64_t>(number);
      }
      FailConversion(result, ConversionMessage::kOutOfRange, number, name, range.type_name);
      return std::nullopt;
    }
    case Type::Unsigned: {
      const uint64_t number = value.GetUnsigned();
      if (number <= range.max) return number;
      FailConversion(result, ConversionMessage::kOutOfRange, number, name, range.type_name);
      return std::nullopt;
    }
    case Type::Float: {
      const double number = value.GetFloat();
      if (number >= 0.0 && number <= static_cast<double>(range.max) && number < kTwoTo64) {
        return static_cast<uint64_t>(number);
      }
      FailConversion(result, ConversionMessage::kOutOfRange, number, name, range.type_name);
      return std::nullopt;
    }
    case Type::String: {
      uint64_t number = 0;
      bool overflow = false;
      const char* text = value.GetString();
      if (!ParseNumberText(value, &ReadUnsigned, number, overflow)) {
        FailConversion(result, ConversionMessage::kIncorrectFormat, text, name, range.type_name);
        return std::nullopt;
      }
      if (overflow || number > range.max || HasMinusSign(value.GetStringView())) {
        FailConversion(result, ConversionMessage::kOutOfRange, text, name, range.type_name);
        return std::nullopt;
      }
      return static_cast<uint64_t>(number);
    }
    case Type::Enum: {
      const int32_t number = value.GetEnum({}).value;
      if (number >= 0 && static_cast<uint64_t>(number) <= range.max) {
        return static_cast<uint64_t>(number);
      }
      FailConversion(result, ConversionMessage::kOutOfRange, number, name, range.type_name);
      return std::nullopt;
    }
    default:
      FailConversion(result, ConversionMessage::kInvalidNumberType, name, range.type_name,
                     KindName(value));
      return std::nullopt;
  }
}

std::optional<double> AssignFloat(BindingResult& result, const BindingProperty& value,
                                  const char* name, const BindingFloatRange& range) {
  if (!result.Ok()) return std::nullopt;
  switch (value.GetType()) {
    case Type::Empty:
      FailConversion(result, ConversionMessage::kRequired, name);
      return std::nullopt;
    case Type::Signed:
      return static_cast<double>(value.GetSigned());
    case Type::Unsigned:
      return static_cast<double>(value.GetUnsigned());
    case Type::Float: {
      const double number = value.GetFloat();
      if (!(range.min > number) && !(number > range.max)) return number;
      FailConversion(result, ConversionMessage::kOutOfRange, number, name, range.type_name);
      return std::nullopt;
    }
    case Type::String: {
      double number = 0.0;
      bool overflow = false;
      const char* text = value.GetString();
      if (!ParseNumberText(value, &ReadDouble, number, overflow)) {
        FailConversion(result, ConversionMessage::kIncorrectFormat, text, name, range.type_name);
        return std::nullopt;
      }
      // Results too small to be normal are range errors too; only overflow counts.
      overflow = overflow && std::isinf(number);
      if (overflow || range.min > number || number > range.max) {
        FailConversion(result, ConversionMessage::kOutOfRange, text, name, range.type_name);
        return std::nullopt;
      }
      return number;
    }
    case Type::Enum:
      return static_cast<double>(value.GetEnum({}).value);
    default:
      FailConversion(result, ConversionMessage::kInvalidNumberType, name, range.type_name,
                     KindName(value));
      return std::nullopt;
  }
}

std::optional<bool> AssignBool(BindingResult& result, const BindingProperty& value,
                               const char* name) {
  if (!result.Ok()) return std::nullopt;
  switch (value.GetType()) {
    case Type::Empty:
      FailConversion(result, ConversionMessage::kRequired, name);
      return std::nullopt;
    case Type::Bool:
      return value.GetBool();
    case Type::String: {
      const std::string_view text = value.GetStringView();
      if (text == "1" || text == "true") return true;
      if (text == "0" || text == "false") return false;
      FailConversion(result, ConversionMessage::kBoolIncorrectFormat, value.GetString(), name);
      return std::nullopt;
    }
    default:
      FailConversion(result, ConversionMessage::kBoolInvalidType, name, KindName(value));
      return std::nullopt;
  }
}

std::optional<std::string> AssignString(BindingResult& result, const BindingProperty& value,
                                        const char* name, const BindingEnumNameLookup* names) {
  if (!result.Ok()) return std::nullopt;
  switch (value.GetType()) {
    case Type::Empty:
      FailConversion(result, ConversionMessage::kRequired, name);
      return std::nullopt;
    case Type::String:
      return std::string(value.GetStringView());
    case Type::Enum: {
      const BindingEnumCell& cell = value.GetEnum({});
      const char* enumerator = names != nullptr && cell.identity != nullptr
                                   ? names->FindEnumeratorName(*cell.identity, cell.value)
                                   : nullptr;
      if (enumerator != nullptr) return std::string(enumerator);
      FailConversion(result, ConversionMessage::kNoEnumeratorName, cell.value, name);
      return std::nullopt;
    }
    default:
      FailConversion(result, ConversionMessage::kNotAString, name);
      return std::nullopt;
  }
}

std::optional<std::vector<uint8_t>> AssignBlob(BindingResult& result, const BindingProperty& value,
                                               const char* name) {
  if (!result.Ok()) return std::nullopt;
  switch (value.GetType()) {
    case Type::Empty:
      FailConversion(result, ConversionMessage::kRequired, name);
      return std::nullopt;
    case Type::Blob: {
      const BindingBlob& bytes = value.GetBlob();
      return std::vector<uint8_t>(bytes.begin(), bytes.end());
    }
    case Type::String: {
      // The decoder stops quietly at a character it cannot use, so the text is checked first.
      const std::string_view text = value.GetStringView();
      if (!IsBase64Text(text)) {
        FailConversion(result, ConversionMessage::kInvalidBase64, name);
        return std::nullopt;
      }
      const std::string bytes = Base64Decode(text);
      return std::vector<uint8_t>(bytes.begin(), bytes.end());
    }
    default:
      FailConversion(result, ConversionMessage::kNotABlob, name);
      return std::nullopt;
  }
}

std::optional<int32_t> AssignEnumerator(BindingResult& result, const BindingProperty& value,
                                        const char* name, const BindingTypeRecord* enumeration,
                                        const char* unregistered_name) {
  if (!result.Ok()) return std::nullopt;
  const char* enumeration_name =
      enumeration != nullptr ? enumeration->name.c_str() : unregistered_name;
  const auto defined = [enumeration](int32_t number) {
    return enumeration != nullptr && enumeration->DefinesValue(number);
  };
  switch (value.GetType()) {
    case Type::Empty:
      FailConversion(result, ConversionMessage::kRequired, name);
      return std::nullopt;
    case Type::Signed: {
      const int64_t number = value.GetSigned();
      const auto low = static_cast<int32_t>(static_cast<uint32_t>(number));
      if (defined(low)) return low;
      FailConversion(result, ConversionMessage::kNotAnEnumerator, number, enumeration_name, name);
      return std::nullopt;
    }
    case Type::Unsigned: {
      const uint64_t number = value.GetUnsigned();
      const auto low = static_cast<int32_t>(static_cast<uint32_t>(number));
      if (defined(low)) return low;
      FailConversion(result, ConversionMessage::kNotAnEnumerator, number, enumeration_name, name);
      return std::nullopt;
    }
    case Type::String: {
      if (enumeration != nullptr) {
        auto it = enumeration->values.find(value.GetStringView());
        if (it != enumeration->values.end()) return it->second.value;
      }
      // A number text; its own parse message gives way to the enumeration's.
      BindingResult parsed;
      const std::optional<int64_t> number = AssignSigned(
          parsed, value, name, BindingSignedRange{enumeration_name, INT32_MIN, INT32_MAX});
      if (number && defined(static_cast<int32_t>(*number))) return static_cast<int32_t>(*number);
      FailConversion(result, ConversionMessage::kNotAnEnumerator, value.GetString(),
                     enumeration_name, name);
      return std::nullopt;
    }
    case Type::Enum: {
      const int32_t number = value.GetEnum({}).value;
      if (defined(number)) return number;
      FailConversion(result, ConversionMessage::kNotAnEnumerator, number, enumeration_name, name);
      return std::nullopt;
    }
    default:
      FailConversion(result, ConversionMessage::kEnumInvalidType, name, KindName(value));
      return std::nullopt;
  }
}

namespace detail {

bool WriteRecord(BindingResult& result, BindingProperty& out, const BindingTypeRecord* type,
                 const void* native_record) {
  if (type == nullptr) {
    FailConversion(result, ConversionMessage::kUnregisteredNative);
    return false;
  }
  out.MakeStructure();
  const char* base = static_cast<const char*>(native_record);
  for (const BindingFieldRecord& field : type->fields) {
    if (field.converter == nullptr) continue;
    if ((field.flags & BindingFieldFlags::OmitIfEmpty) != 0) {
      BindingProperty converted;
      if (!field.converter->ToValue(result, converted, base + field.offset, field.type)) {
        return false;
      }
      if (!converted.IsEmpty()) out.MemberAt(field.name).MoveFrom(converted);
    } else if (!field.converter->ToValue(result, out.MemberAt(field.name), base + field.offset,
                                         field.type)) {
      return false;
    }
  }
  return true;
}

void AssignRecord(BindingResult& result, void* native_record, const BindingProperty& value,
                  const char* name, const BindingTypeRecord* type) {
  if (!result.Ok()) return;
  if (value.GetType() == Type::Empty) {
    FailConversion(result, ConversionMessage::kRequired, name);
    return;
  }
  if (type == nullptr) {
    FailConversion(result, ConversionMessage::kUnregisteredStructure, name);
    return;
  }
  if (value.GetType() != Type::Structure) {
    FailConversion(result, ConversionMessage::kNotAStructure, name, type->name);
    return;
  }
  char* base = static_cast<char*>(native_record);
  for (const BindingFieldRecord& field : type->fields) {
    if (!result.Ok()) return;
    const BindingProperty& member = value.MemberAt(std::string_view(field.name));
    if (member.GetType() != Type::Empty) {
      if (field.converter != nullptr) {
        field.converter->Assign(result, base + field.offset, member, field.name.c_str(), field.type,
                                type->registry);
      }
    } else if ((field.flags & BindingFieldFlags::Required) != 0) {
      FailConversion(result, ConversionMessage::kMissingRequiredField, name, type->name,
                     field.name);
      return;
    }
  }
}

}  // namespace detail

void ToValue(BindingResult& result, const BindingTypeRecord* type, const void* native_record) {
  if (!result.Ok()) return;
  result.Value().Clear();
  detail::WriteRecord(result, result.Value(), type, native_record);
}

void FromValue(BindingResult& result, void* native_record, const BindingProperty& value,
               const char* name, const BindingTypeRecord* type) {
  detail::AssignRecord(result, native_record, value, name, type);
}

void ToValue(BindingResult& result, const void* native_field, const BindingFieldRecord& field) {
  if (!result.Ok() || field.converter == nullptr) return;
  result.Value().Clear();
  field.converter->ToValue(result, result.Value(), native_field, field.type);
}

}  // namespace Vorn
