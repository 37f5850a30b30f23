// Base64 (RFC 4648, standard alphabet, padded) for the host's JSON view of blobs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Vorn::Host {

std::string EncodeBase64(const uint8_t* bytes, size_t size);
// Nothing on a character outside the alphabet or a length that is not a multiple of four.
std::optional<std::vector<uint8_t>> DecodeBase64(std::string_view text);

}  // namespace Vorn::Host
