// Base64: decoding any text never fails loudly, and encoding any bytes decodes back to them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sdk/encoding/base64.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)Vorn::Base64Decode(text);

  const std::string encoded = Vorn::Base64Encode(data, static_cast<uint32_t>(size));
  if (encoded.size() % 4 != 0 || !Vorn::IsBase64Text(encoded)) __builtin_trap();
  const std::string decoded = Vorn::Base64Decode(encoded);
  if (decoded.size() != size || (size != 0 && decoded.compare(0, size, text) != 0)) {
    __builtin_trap();
  }
  return 0;
}
