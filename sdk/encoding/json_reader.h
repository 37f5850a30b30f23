// Reading JSON text (RFC 8259) into a BindingProperty, and the cheap guess whether a text is a
// JSON document. The lexing is RapidJSON's; the value is built in place as the events arrive.
#pragma once

#include <string>
#include <string_view>

#include "sdk/binding/binding_result.h"

namespace Vorn {

// Reads a NUL-terminated UTF-8 text (a null pointer reads as the empty text). Ok with the value
// (Empty for an empty or whitespace-only text), or failed with the message
// "Error: <reason> at offset <byte offset>.". Containers nest at most kMaxNestingDepth levels.
// Never throws for bad input; only allocation and length failures of the standard library
// escape.
BindingResult ParseJson(const char* text);
// The characters up to the first NUL.
BindingResult ParseJson(const std::string& text);
// A text that need not be NUL-terminated: it ends at its first NUL or at its size, and nothing
// past the size is read.
BindingResult ParseJson(std::string_view text);

// True when the text, after leading spaces (' ' only), starts with '{' or '['. A null text is
// not JSON.
bool LooksLikeJson(const char* text);

}  // namespace Vorn
