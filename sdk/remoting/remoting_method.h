// RemotingMethod: the request methods of the host's request model and their text forms.
#pragma once

#include <cstdint>

namespace Vorn {

// One 32-bit code in both request directions.
enum class RemotingMethod : uint32_t {
  None = 0,  // accepted by routes of any method only
  Delete = 1,
  Get = 2,
  Head = 3,
  Options = 4,
  Patch = 5,
  Post = 6,
  Put = 7,
  Other = 8,  // the name travels separately as text
};

// "DELETE" ... "PUT" for codes 1 to 7; the empty text for every other code, 8 included.
const char* MethodName(RemotingMethod method);
const char* MethodName(uint32_t code);
// The code when it is 1 to 8, else None.
RemotingMethod MethodFromHost(uint32_t code);

}  // namespace Vorn
