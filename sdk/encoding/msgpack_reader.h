// The MessagePack reader: decodes one value from a byte buffer into a BindingProperty tree,
// iteratively, so that no input can exhaust the call stack.
#pragma once

#include <cstdint>

#include "sdk/binding/binding_result.h"

namespace Vorn {

// Reads exactly one value from the `size` bytes at `data` and stops; later bytes are left
// unread. Returns the value, or a failed result with the reader's message. `consumed` is set to
// the number of bytes read when the reader stopped, on failure too. Empty input gives an ok
// Empty value. Integers keep the signedness of their format family (positive fixint and int
// formats give Signed, uint formats Unsigned); map keys must be strings and a repeated key
// replaces the earlier value; nil stores nothing. Containers nest at most kMaxNestingDepth
// levels, and input that ends inside a container fails. Declared counts and lengths never size
// an allocation. Throws only what the value's storage throws (std::bad_alloc, or
// std::length_error for a collection beyond BindingProperty::kMaxCollectionSize elements).
BindingResult ParseMessagePack(const void* data, uint32_t size, uint32_t& consumed);

// True when the bytes start like a MessagePack container: a fixmap or fixarray (0x80 to 0x9F)
// or an array 16/32 or map 16/32 (0xDC to 0xDF). Scalars are not recognised.
bool LooksLikeMessagePack(const void* data, uint32_t size);

}  // namespace Vorn
