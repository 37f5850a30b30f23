// Filling and releasing the host's response record; every text and array it owns comes from
// the SDK's allocation hooks, so that the host can hand the record back for release.
#include "sdk/remoting/remoting_response.h"

#include <cstring>
#include <new>

#include "sdk/binding/plain_value.h"
#include "sdk/runtime/allocation.h"

namespace Vorn {

namespace {

constexpr char kEmptyText[] = "";

char* CopyText(const std::string& text) {
  char* copy = DuplicateText(text.data(), text.size());
  if (copy == nullptr) throw std::bad_alloc();
  return copy;
}

extern "C" int32_t VORN_CDECL ForwardStreamRead(void* stream, uint32_t word0, uint32_t word1,
                                                uint32_t word2) {
  try {
    return stream == nullptr ? -1 : static_cast<RemotingStream*>(stream)->Read(word0, word1, word2);
  } catch (...) {
    return -1;
  }
}

extern "C" void VORN_CDECL ForwardStreamRelease(void* stream) {
  try {
    delete static_cast<RemotingStream*>(stream);
  } catch (...) {
  }
}

}  // namespace

const char* EmptyResponseText() {
  return kEmptyText;
}

void ResetResponseRecord(HostResponseRecord& record) {
  std::memset(&record, 0, sizeof(record));
  record.content_type = kEmptyText;
  record.release = &ReleaseResponseRecord;
}

void FillResponseRecord(HostResponseRecord& record, RemotingResponse& response,
                        const BindingEnumNameLookup* names) {
  bool unwritable = false;
  if (!response.result.Ok()) {
    SetPlainError(record.result, response.result.Error());
  } else {
    try {
      record.result.value = ToPlain(response.result.Value(), names);
    } catch (const std::exception& error) {
      SetPlainError(record.result, error.what());
      unwritable = true;
    }
  }
  record.flag = response.flag;
  record.body_format =
      response.body_format >= 1 && response.body_format <= 3 ? response.body_format : 0;
  record.status = unwritable ? 400 : response.status;
  record.content_type =
      response.content_type.empty() ? kEmptyText : CopyText(response.content_type);

  if (!response.headers.empty()) {
    const size_t count = response.headers.size();
    void* block = Allocate(count * sizeof(HostTextPair));
    if (block == nullptr) throw std::bad_alloc();
    std::memset(block, 0, count * sizeof(HostTextPair));
    auto* pairs = static_cast<HostTextPair*>(block);
    record.headers = pairs;
    record.header_count = static_cast<uint32_t>(count);
    for (size_t i = 0; i < count; ++i) {
      pairs[i].name = CopyText(response.headers[i].first);
      pairs[i].value = CopyText(response.headers[i].second);
    }
  }

  if (response.stream != nullptr) {
    record.stream_length = response.stream->Length();
    record.stream_read = &ForwardStreamRead;
    record.stream_release = &ForwardStreamRelease;
    record.stream = response.stream.release();
  }
}

extern "C" void VORN_CDECL ReleaseResponseRecord(HostResponseRecord* record) {
  if (record == nullptr) return;
  FreePlainResult(record->result);
  if (record->content_type != nullptr && record->content_type != kEmptyText) {
    Free(const_cast<char*>(record->content_type));
  }
  if (record->headers != nullptr) {
    auto* pairs = const_cast<HostTextPair*>(record->headers);
    for (uint32_t i = 0; i < record->header_count; ++i) {
      Free(const_cast<char*>(pairs[i].name));
      Free(const_cast<char*>(pairs[i].value));
    }
    Free(pairs);
  }
  std::memset(record, 0, sizeof(*record));
}

}  // namespace Vorn
