/* The request and response records of the host's HTTP-like request model, in both directions,
 * and the C functions a response record and a route entry carry. */
#ifndef VORN_PLUGIN_ABI_REQUEST_RECORDS_H_
#define VORN_PLUGIN_ABI_REQUEST_RECORDS_H_

#include "sdk/plugin/abi/abi_common.h"
#include "sdk/plugin/abi/plain_value.h"

VORN_EXTERN_C_BEGIN

struct HostRequestRecord;
struct HostResponseRecord;

/* One argument of a request: a null name makes it positional. 16 bytes (24 on 64-bit). */
typedef struct HostRequestArgument {
  const char* name;
  BindingPlainValue value;
} HostRequestArgument;

/* A header: two NUL-terminated texts. 8 bytes (16 on 64-bit). */
typedef struct HostTextPair {
  const char* name;
  const char* value;
} HostTextPair;

/* 48 bytes (88 on 64-bit). An incoming record and everything it reaches belong to the host for
 * the duration of the handler call; an outgoing one belongs to the plugin. */
typedef struct HostRequestRecord {
  uint32_t method;  /* RemotingMethod code */
  const char* path; /* may carry a query after the first "?" */
  const HostRequestArgument* arguments;
  uint32_t argument_count;
  void* handler_context; /* handed back unchanged: names the registration delivered to */
  const HostTextPair* headers;
  uint32_t header_count;
  const char* content_type; /* of the body */
  const void* body;
  uint32_t body_size;
  uint32_t
      request_handle; /* incoming: passed to the function; outgoing: the plugin's host handle */
  const char* method_name; /* used with method 8 */
} HostRequestRecord;

VORN_ASSERT_SIZE32(HostRequestArgument, 16);
VORN_ASSERT_OFFSET32(HostRequestArgument, value, 4);
VORN_ASSERT_SIZE32(HostTextPair, 8);
VORN_ASSERT_SIZE32(HostRequestRecord, 48);
VORN_ASSERT_OFFSET32(HostRequestRecord, path, 4);
VORN_ASSERT_OFFSET32(HostRequestRecord, arguments, 8);
VORN_ASSERT_OFFSET32(HostRequestRecord, argument_count, 12);
VORN_ASSERT_OFFSET32(HostRequestRecord, handler_context, 16);
VORN_ASSERT_OFFSET32(HostRequestRecord, headers, 20);
VORN_ASSERT_OFFSET32(HostRequestRecord, header_count, 24);
VORN_ASSERT_OFFSET32(HostRequestRecord, content_type, 28);
VORN_ASSERT_OFFSET32(HostRequestRecord, body, 32);
VORN_ASSERT_OFFSET32(HostRequestRecord, body_size, 36);
VORN_ASSERT_OFFSET32(HostRequestRecord, request_handle, 40);
VORN_ASSERT_OFFSET32(HostRequestRecord, method_name, 44);

/* Forwards its three arguments to the stream's read operation. */
typedef int32_t(VORN_CDECL* HostStreamReadFn)(void* stream, uint32_t word0, uint32_t word1,
                                              uint32_t word2);
/* Destroys the stream. */
typedef void(VORN_CDECL* HostStreamReleaseFn)(void* stream);
/* Frees what the record owns (not the stream) and zeroes all of it. */
typedef void(VORN_CDECL* HostResponseReleaseFn)(struct HostResponseRecord* response);
/* A route entry's request callback: fills the zeroed response before it returns. */
typedef void(VORN_CDECL* HostRequestCallbackFn)(struct HostResponseRecord* out_response,
                                                const struct HostRequestRecord* request);

#pragma pack(push, 1)

/* 62 bytes, packed (94 on 64-bit). Texts and arrays are owned and allocated through the SDK's
 * allocation hooks; an empty content type is a shared text that release leaves alone. */
typedef struct HostResponseRecord {
  BindingPlainResult result;
  uint8_t flag;
  uint32_t body_format; /* RemotingBodyFormat 1 to 3, else 0 */
  int32_t status;       /* 0: nobody set one */
  const char* content_type;
  const HostTextPair* headers;
  uint32_t header_count;
  HostStreamReadFn stream_read;
  HostStreamReleaseFn stream_release;
  uint64_t stream_length;
  void* stream; /* owned by the record once set; ended through stream_release */
  HostResponseReleaseFn release;
} HostResponseRecord;

#pragma pack(pop)

VORN_ASSERT_SIZE32(HostResponseRecord, 62);
VORN_ASSERT_OFFSET32(HostResponseRecord, flag, 17);
VORN_ASSERT_OFFSET32(HostResponseRecord, body_format, 18);
VORN_ASSERT_OFFSET32(HostResponseRecord, status, 22);
VORN_ASSERT_OFFSET32(HostResponseRecord, content_type, 26);
VORN_ASSERT_OFFSET32(HostResponseRecord, headers, 30);
VORN_ASSERT_OFFSET32(HostResponseRecord, header_count, 34);
VORN_ASSERT_OFFSET32(HostResponseRecord, stream_read, 38);
VORN_ASSERT_OFFSET32(HostResponseRecord, stream_release, 42);
VORN_ASSERT_OFFSET32(HostResponseRecord, stream_length, 46);
VORN_ASSERT_OFFSET32(HostResponseRecord, stream, 54);
VORN_ASSERT_OFFSET32(HostResponseRecord, release, 58);

VORN_EXTERN_C_END

#endif /* VORN_PLUGIN_ABI_REQUEST_RECORDS_H_ */
