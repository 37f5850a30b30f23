// The messages of native/value conversion, one code each, rendered with FormatText.
#pragma once

#include "sdk/binding/binding_result.h"
#include "sdk/runtime/format_text.h"

namespace Vorn::detail {

enum class ConversionMessage {
  kRequired,               // name
  kOutOfRange,             // value, name, type
  kIncorrectFormat,        // text, name, type
  kInvalidNumberType,      // name, type, kind
  kBoolIncorrectFormat,    // text, name
  kBoolInvalidType,        // name, kind
  kNotAString,             // name
  kNoEnumeratorName,       // number, name
  kNotABlob,               // name
  kInvalidBase64,          // name
  kNotAnEnumerator,        // input, enumeration, name
  kEnumInvalidType,        // name, kind
  kNotACollection,         // name
  kMapNotAStructure,       // name
  kUnregisteredStructure,  // name
  kNotAStructure,          // name, record
  kMissingRequiredField,   // name, record, field
  kUnregisteredNative,     // (none)
};

// The FormatText format of `code`.
const char* ConversionMessageFormat(ConversionMessage code);

template <typename... Args>
void FailConversion(BindingResult& result, ConversionMessage code, const Args&... args) {
  result.SetError(FormatText(ConversionMessageFormat(code), args...));
}

}  // namespace Vorn::detail
