// Base64 (RFC 4648, standard alphabet) for blobs in text formats: padded output without line
// breaks, and a decoder that stops quietly at the first character it cannot use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Vorn {

// The 64 characters in value order.
extern const std::string kBase64Alphabet;

// Groups of four characters, the last one filled up with "=".
std::string Base64Encode(const void* bytes, uint32_t count);

// The bytes of `text` up to its end, its first "=", or its first character outside the
// alphabet, whichever comes first. A last group of 2 or 3 characters gives 1 or 2 bytes; a single
// leftover character gives nothing. Never fails.
std::string Base64Decode(std::string_view text);

// True when every character is in the alphabet or is "=" (the check made before a text is
// accepted as a blob).
bool IsBase64Text(std::string_view text);

}  // namespace Vorn
