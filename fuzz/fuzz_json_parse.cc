// Fuzzes ParseJson with arbitrary bytes: the sized form must read nothing past the input, and
// the NUL-terminated form must reach the same outcome.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "sdk/encoding/json_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const Vorn::BindingResult sized = Vorn::ParseJson(bytes);
  const std::string copy(bytes);
  const Vorn::BindingResult terminated = Vorn::ParseJson(copy.c_str());
  if (sized.Ok() != terminated.Ok() || std::strcmp(sized.Error(), terminated.Error()) != 0 ||
      (!sized.Ok() && std::strncmp(sized.Error(), "Error: ", 7) != 0)) {
    std::fprintf(stderr, "outcomes differ: '%s' / '%s'\n", sized.Error(), terminated.Error());
    std::abort();
  }
  Vorn::LooksLikeJson(copy.c_str());
  return 0;
}
