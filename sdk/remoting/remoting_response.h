// RemotingResponse: what a bound function and the dispatcher fill for one request, and its
// transfer into the host's response record, which the record's own release function frees.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sdk/binding/binding_result.h"
#include "sdk/binding/enum_name_lookup.h"
#include "sdk/plugin/abi/request_records.h"

namespace Vorn {

// A response body produced piece by piece. The host reads it through the record's stream
// functions and ends it through the stream release function.
class RemotingStream {
 public:
  // The meaning of the three words is the host's; the plugin only forwards them.
  virtual int32_t Read(uint32_t word0, uint32_t word1, uint32_t word2) = 0;
  virtual uint32_t Length() const = 0;
  virtual ~RemotingStream() = default;
};

class RemotingResponse {
 public:
  BindingResult result;  // the return value, or the error message
  uint8_t flag = 0;      // copied to the record unchanged
  uint32_t body_format = 0;
  int32_t status = 0;  // 0: nobody set one
  std::string content_type;
  std::vector<std::pair<std::string, std::string>> headers;
  std::unique_ptr<RemotingStream> stream;

  // Fails the result with `message` and destroys any stream.
  void SetError(std::string_view message) {
    result.SetError(message);
    stream.reset();
  }
};

// The content type of a record without one: shared, never freed.
const char* EmptyResponseText();

// Zeroes the record, gives it the shared empty content type and installs the release function,
// so that every response the host sees can be released the same way. Frees nothing: the record
// must not own anything yet.
void ResetResponseRecord(HostResponseRecord& record);

// Writes `response` into a reset record: the result (the error text with the failed flag, or the
// value's plain form, enumerators named through `names`; a value that cannot be written gives
// its message and status 400), flag, body format (1 to 3, else 0), status, owned copies of the
// content type and headers, and the stream, whose ownership passes to the record. Throws only
// std::bad_alloc; what was written before stays releasable.
void FillResponseRecord(HostResponseRecord& record, RemotingResponse& response,
                        const BindingEnumNameLookup* names);

extern "C" {
// Frees the result, the content type unless it is the shared empty text, every header text and
// the header array, then zeroes all of the record. The stream is left to the host.
void VORN_CDECL ReleaseResponseRecord(HostResponseRecord* record);
}

}  // namespace Vorn
