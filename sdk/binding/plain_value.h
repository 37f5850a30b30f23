// Conversion between BindingProperty and the flat records in which values cross the host
// boundary, and the freeing of those records. Every text and array of a record goes through the
// SDK's allocation hooks.
#pragma once

#include <cstdint>
#include <string_view>

#include "sdk/binding/binding_property.h"
#include "sdk/binding/enum_name_lookup.h"
#include "sdk/plugin/abi/plain_value.h"

namespace Vorn {

// The kind's name text in messages: "bool", "signed", ..., "string" for 5 and 6, "blob" for 7
// and 8; the empty text for 0 and unknown kinds.
const char* PlainKindName(uint32_t kind);

// The owned plain form of `value`: kinds 0 to 4, 6, 8, 9 and 10 (texts, bytes and arrays are
// new allocations). An Enum becomes kind 6 with its name when `names` knows one, else kind 2.
// Any depth is safe. Throws only std::bad_alloc, and then leaks nothing.
[[nodiscard]] BindingPlainValue ToPlain(const BindingProperty& value,
                                        const BindingEnumNameLookup* names = nullptr);

// Rebuilds `target` from `plain` (not owned; read only). On failure writes the message into
// `sink` (its value freed, `error` an owned copy, `failed` 1) and returns false; `target` keeps
// what was built before. Input is not trusted: a null text reads as the empty text; a null array
// with a non-zero count, or more than BindingProperty::kMaxCollectionSize entries, is malformed;
// containers may nest kMaxNestingDepth levels (the root is level 1). `name` is the '%1' of the
// messages.
[[nodiscard]] bool FromPlain(BindingPlainResult* sink, BindingProperty& target,
                             const BindingPlainValue& plain, const char* name);

// Frees what an owned record holds (kinds 6, 8, 9, 10, recursively; owned keys) and zeroes it.
// Kinds 5 and 7 free nothing. Any depth is safe.
void FreePlainValue(BindingPlainValue& value) noexcept;
// Frees the value and, when failed, the error text; then zeroes the record.
void FreePlainResult(BindingPlainResult& result) noexcept;
// Fails `result`: frees its value (and an earlier owned error), stores an owned copy of
// `message` and sets failed.
void SetPlainError(BindingPlainResult& result, std::string_view message);

}  // namespace Vorn
