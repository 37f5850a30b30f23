// The host's own definitions of the records it exchanges with a plugin. Written apart from the
// plugin's headers on purpose: end-to-end tests must never check the plugin against itself.
#pragma once

#include <cstddef>
#include <cstdint>

// C calling convention (caller pops) on every function crossing the boundary.
#if defined(_WIN32) && !defined(_WIN64)
#define QEV_HOST_CDECL __cdecl
#else
#define QEV_HOST_CDECL
#endif

namespace Vorn::Host {

inline constexpr bool kAbi32 = sizeof(void*) == 4;

struct HostApiTable;
struct EventRecord;
struct RequestRecord;
struct ResponseRecord;
struct LoadContext;
struct HostInterfaceRecord;

extern "C" {
using EventCallbackFn = void(QEV_HOST_CDECL*)(const EventRecord* event);
using TimerCallbackFn = void(QEV_HOST_CDECL*)(void* context);
using StreamReadFn = int32_t(QEV_HOST_CDECL*)(void* stream, uint32_t a, uint32_t b, uint32_t c);
using StreamReleaseFn = void(QEV_HOST_CDECL*)(void* stream);
using ResponseReleaseFn = void(QEV_HOST_CDECL*)(ResponseRecord* response);
// A route entry's request callback: fills the zeroed response before it returns.
using RequestCallbackFn = void(QEV_HOST_CDECL*)(ResponseRecord* out_response,
                                                const RequestRecord* request);

using PerformRequestFn = int32_t(QEV_HOST_CDECL*)(const HostApiTable* api,
                                                  ResponseRecord* out_response,
                                                  const RequestRecord* request);
using Entry1Fn = int32_t(QEV_HOST_CDECL*)(const HostApiTable* api, uint32_t word0, uint32_t word1);
using DispatchEventFn = int32_t(QEV_HOST_CDECL*)(const HostApiTable* api, const EventRecord* event);
using SubscribeEventFn = int32_t(QEV_HOST_CDECL*)(const HostApiTable* api, const char* name,
                                                  uint32_t host_handle, EventCallbackFn callback,
                                                  void* context, uint32_t flags);
using UnsubscribeEventFn = int32_t(QEV_HOST_CDECL*)(const HostApiTable* api, const char* name,
                                                    uint32_t host_handle);
using ScheduleCallbackFn = uint64_t(QEV_HOST_CDECL*)(const HostApiTable* api, const char* name,
                                                     TimerCallbackFn callback, void* context,
                                                     double delay_seconds, uint32_t flags);
using Entry6Fn = int32_t(QEV_HOST_CDECL*)(const HostApiTable* api);
using Entry7Fn = int32_t(QEV_HOST_CDECL*)(const HostApiTable* api, const char* text, uint32_t word);
using Entry8Fn = int32_t(QEV_HOST_CDECL*)(const HostApiTable* api);
using HostLogFn = int32_t(QEV_HOST_CDECL*)(const HostApiTable* api, int32_t level,
                                           const char* line);

using InitializeFn = bool(QEV_HOST_CDECL*)(void* plugin, const HostInterfaceRecord* host);
using ShutdownFn = void(QEV_HOST_CDECL*)(void* plugin);
using GetMemoryStatsFn = void(QEV_HOST_CDECL*)(void* plugin, uint32_t* out_words);
using PluginEntryFn = void*(QEV_HOST_CDECL*)(LoadContext* context);
}

// Kinds of a plain value.
enum class PlainKind : uint32_t {
  kEmpty = 0,
  kBool = 1,
  kSigned = 2,
  kUnsigned = 3,
  kFloat = 4,
  kStringRef = 5,
  kString = 6,
  kBlobRef = 7,
  kBlob = 8,
  kCollection = 9,
  kStructure = 10,
};

#pragma pack(push, 1)

struct PlainRef {
  const void* data;
  uint32_t count;
};

// 12 bytes on 32-bit, 16 on 64-bit: the payload always sits at offset 4.
struct PlainValue {
  uint32_t kind;
  union {
    uint8_t boolean;
    int64_t signed_value;
    uint64_t unsigned_value;
    double float_value;
    PlainRef ref;
  } payload;
};

// 17 bytes on 32-bit, 25 on 64-bit.
struct PlainMember {
  const char* key;
  PlainValue value;
  uint8_t key_owned;
};

// 17 bytes on 32-bit, 25 on 64-bit.
struct PlainResult {
  PlainValue value;
  const char* error;
  uint8_t failed;
};

// 62 bytes on 32-bit, 94 on 64-bit; packed, so the 64-bit stream length sits at offset 46.
struct ResponseRecord {
  PlainResult result;
  uint8_t flag;
  uint32_t body_format;
  int32_t status;
  const char* content_type;
  const char* const* headers;  // name, value, name, value, ...
  uint32_t header_count;
  StreamReadFn stream_read;
  StreamReleaseFn stream_release;
  uint64_t stream_length;
  void* stream;
  ResponseReleaseFn release;
};

#pragma pack(pop)

// 16 bytes on 32-bit, 24 on 64-bit.
struct RequestArgument {
  const char* name;  // null for a positional argument
  PlainValue value;
};

struct TextPair {
  const char* name;
  const char* value;
};

// 48 bytes on 32-bit, 88 on 64-bit.
struct RequestRecord {
  uint32_t method;
  const char* path;
  const RequestArgument* arguments;
  uint32_t argument_count;
  void* handler_context;
  const TextPair* headers;
  uint32_t header_count;
  const char* content_type;
  const void* body;
  uint32_t body_size;
  uint32_t request_handle;
  const char* method_name;
};

// 24 bytes on 32-bit, 40 on 64-bit.
struct EventRecord {
  const char* name;
  PlainValue payload;
  uint32_t word;  // 0 when the plugin dispatches; not read in callbacks
  void* context;
};

// Seven words on 32-bit.
struct LoadContext {
  uint32_t major;
  uint32_t minor;
  uint32_t patch;
  const void* callbacks;
  void* plugin;
  const char* name;
  const void* bindings;
};

struct PluginCallbackTable {
  InitializeFn initialize;
  ShutdownFn shutdown;
  GetMemoryStatsFn get_memory_stats;
};

struct HostInterfaceRecord {
  const HostApiTable* api;
  uint32_t host_handle;
};

// Ten entries; each takes the table itself first.
struct HostApiTable {
  PerformRequestFn perform_request;
  Entry1Fn entry1;
  DispatchEventFn dispatch_event;
  SubscribeEventFn subscribe_event;
  UnsubscribeEventFn unsubscribe_event;
  ScheduleCallbackFn schedule_callback;
  Entry6Fn entry6;
  Entry7Fn entry7;
  Entry8Fn entry8;
  HostLogFn host_log;
};

// The binding table the plugin leaves in word 6 of the context. Every array is contiguous and
// each entry's first word points to the next entry of its array (null in the last).
#pragma pack(push, 1)

// 25 bytes on 32-bit.
struct ArgumentEntryRecord {
  const ArgumentEntryRecord* next;
  const char* name;
  const char* description;
  uint32_t type_code;
  uint32_t element_type_code;
  const char* type_name;
  uint8_t optional;
};

// 8 bytes on 32-bit.
struct ArgumentLocationRecord {
  const ArgumentLocationRecord* next;
  uint32_t location;
};

// 12 bytes on 32-bit.
struct TextListRecord {
  const TextListRecord* next;
  const char* const* texts;
  uint32_t count;
};

// 90 bytes on 32-bit. Bytes 4 to 60 repeat the 61-byte function entry of the route's function,
// whose offset 8 holds the handler context here.
struct RouteEntryRecord {
  const RouteEntryRecord* next;
  uint32_t reserved;
  void* handler_context;
  const char* function_name;
  const char* name_space;
  const ArgumentEntryRecord* arguments;
  uint32_t argument_count;
  uint32_t result_type_code;
  uint32_t result_element_type_code;
  const char* result_type_name;
  const char* description;
  const char* help;
  uint8_t thread_safe;
  const char* async_type_name;
  const char* const* tags;
  uint32_t tag_count;
  RequestCallbackFn request_callback;
  const ArgumentLocationRecord* argument_locations;
  const char* path;
  uint32_t method;
  uint8_t flag;
  const TextListRecord* text_lists;
  uint32_t text_list_count;
  const char* method_name;
};

// 29 bytes on 32-bit.
struct FieldEntryRecord {
  const FieldEntryRecord* next;
  const char* name;
  const char* description;
  uint32_t offset;
  uint32_t type_code;
  uint32_t element_type_code;
  const char* type_name;
  uint8_t optional;
};

// 16 bytes on 32-bit.
struct EnumeratorEntryRecord {
  const EnumeratorEntryRecord* next;
  const char* name;
  const char* description;
  int32_t value;
};

// 40 bytes on 32-bit. Fields for a record that has some, otherwise enumerators.
struct TypeEntryRecord {
  const TypeEntryRecord* next;
  const char* name;
  const char* name_space;
  uint32_t size;
  const char* description;
  const char* const* tags;
  uint32_t tag_count;
  const FieldEntryRecord* fields;
  const EnumeratorEntryRecord* enumerators;
  uint32_t member_count;
};

// 28 bytes on 32-bit.
struct EventEntryRecord {
  const EventEntryRecord* next;
  const char* name;
  const char* name_space;
  const char* payload_type_name;
  const char* description;
  const char* const* tags;
  uint32_t tag_count;
};

#pragma pack(pop)

// Six words on 32-bit.
struct BindingTableWords {
  const RouteEntryRecord* routes;
  uint32_t route_count;
  const TypeEntryRecord* types;
  uint32_t type_count;
  const EventEntryRecord* events;
  uint32_t event_count;
};

inline constexpr size_t kMemoryStatsWords = 14;

// The 32-bit layouts the real host fixes; each check names the field that moved.
#define QEV_HOST_ASSERT32(cond) static_assert(!::Vorn::Host::kAbi32 || (cond), #cond)
QEV_HOST_ASSERT32(sizeof(PlainValue) == 12 && offsetof(PlainValue, payload) == 4);
QEV_HOST_ASSERT32(sizeof(PlainMember) == 17 && offsetof(PlainMember, key_owned) == 16);
QEV_HOST_ASSERT32(sizeof(PlainResult) == 17 && offsetof(PlainResult, error) == 12);
QEV_HOST_ASSERT32(offsetof(PlainResult, failed) == 16);
QEV_HOST_ASSERT32(sizeof(ResponseRecord) == 62);
QEV_HOST_ASSERT32(offsetof(ResponseRecord, flag) == 17);
QEV_HOST_ASSERT32(offsetof(ResponseRecord, body_format) == 18);
QEV_HOST_ASSERT32(offsetof(ResponseRecord, status) == 22);
QEV_HOST_ASSERT32(offsetof(ResponseRecord, content_type) == 26);
QEV_HOST_ASSERT32(offsetof(ResponseRecord, headers) == 30);
QEV_HOST_ASSERT32(offsetof(ResponseRecord, header_count) == 34);
QEV_HOST_ASSERT32(offsetof(ResponseRecord, stream_read) == 38);
QEV_HOST_ASSERT32(offsetof(ResponseRecord, stream_release) == 42);
QEV_HOST_ASSERT32(offsetof(ResponseRecord, stream_length) == 46);
QEV_HOST_ASSERT32(offsetof(ResponseRecord, stream) == 54);
QEV_HOST_ASSERT32(offsetof(ResponseRecord, release) == 58);
QEV_HOST_ASSERT32(sizeof(RequestArgument) == 16 && offsetof(RequestArgument, value) == 4);
QEV_HOST_ASSERT32(sizeof(RequestRecord) == 48);
QEV_HOST_ASSERT32(offsetof(RequestRecord, handler_context) == 16);
QEV_HOST_ASSERT32(offsetof(RequestRecord, headers) == 20);
QEV_HOST_ASSERT32(offsetof(RequestRecord, content_type) == 28);
QEV_HOST_ASSERT32(offsetof(RequestRecord, body_size) == 36);
QEV_HOST_ASSERT32(offsetof(RequestRecord, request_handle) == 40);
QEV_HOST_ASSERT32(offsetof(RequestRecord, method_name) == 44);
QEV_HOST_ASSERT32(sizeof(EventRecord) == 24 && offsetof(EventRecord, payload) == 4);
QEV_HOST_ASSERT32(offsetof(EventRecord, word) == 16 && offsetof(EventRecord, context) == 20);
QEV_HOST_ASSERT32(sizeof(LoadContext) == 28 && offsetof(LoadContext, callbacks) == 12);
QEV_HOST_ASSERT32(offsetof(LoadContext, name) == 20 && offsetof(LoadContext, bindings) == 24);
QEV_HOST_ASSERT32(sizeof(PluginCallbackTable) == 12 && sizeof(HostInterfaceRecord) == 8);
QEV_HOST_ASSERT32(sizeof(HostApiTable) == 40 && offsetof(HostApiTable, host_log) == 36);
QEV_HOST_ASSERT32(sizeof(ArgumentEntryRecord) == 25);
QEV_HOST_ASSERT32(offsetof(ArgumentEntryRecord, type_code) == 12);
QEV_HOST_ASSERT32(offsetof(ArgumentEntryRecord, type_name) == 20);
QEV_HOST_ASSERT32(offsetof(ArgumentEntryRecord, optional) == 24);
QEV_HOST_ASSERT32(sizeof(ArgumentLocationRecord) == 8 && sizeof(TextListRecord) == 12);
QEV_HOST_ASSERT32(sizeof(RouteEntryRecord) == 90);
QEV_HOST_ASSERT32(offsetof(RouteEntryRecord, handler_context) == 8);
QEV_HOST_ASSERT32(offsetof(RouteEntryRecord, function_name) == 12);
QEV_HOST_ASSERT32(offsetof(RouteEntryRecord, arguments) == 20);
QEV_HOST_ASSERT32(offsetof(RouteEntryRecord, result_type_code) == 28);
QEV_HOST_ASSERT32(offsetof(RouteEntryRecord, result_type_name) == 36);
QEV_HOST_ASSERT32(offsetof(RouteEntryRecord, thread_safe) == 48);
QEV_HOST_ASSERT32(offsetof(RouteEntryRecord, async_type_name) == 49);
QEV_HOST_ASSERT32(offsetof(RouteEntryRecord, tags) == 53);
QEV_HOST_ASSERT32(offsetof(RouteEntryRecord, tag_count) == 57);
QEV_HOST_ASSERT32(offsetof(RouteEntryRecord, request_callback) == 61);
QEV_HOST_ASSERT32(offsetof(RouteEntryRecord, argument_locations) == 65);
QEV_HOST_ASSERT32(offsetof(RouteEntryRecord, path) == 69);
QEV_HOST_ASSERT32(offsetof(RouteEntryRecord, method) == 73);
QEV_HOST_ASSERT32(offsetof(RouteEntryRecord, flag) == 77);
QEV_HOST_ASSERT32(offsetof(RouteEntryRecord, text_lists) == 78);
QEV_HOST_ASSERT32(offsetof(RouteEntryRecord, text_list_count) == 82);
QEV_HOST_ASSERT32(offsetof(RouteEntryRecord, method_name) == 86);
QEV_HOST_ASSERT32(sizeof(FieldEntryRecord) == 29 && offsetof(FieldEntryRecord, offset) == 12);
QEV_HOST_ASSERT32(offsetof(FieldEntryRecord, type_name) == 24);
QEV_HOST_ASSERT32(offsetof(FieldEntryRecord, optional) == 28);
QEV_HOST_ASSERT32(sizeof(EnumeratorEntryRecord) == 16);
QEV_HOST_ASSERT32(offsetof(EnumeratorEntryRecord, value) == 12);
QEV_HOST_ASSERT32(sizeof(TypeEntryRecord) == 40 && offsetof(TypeEntryRecord, size) == 12);
QEV_HOST_ASSERT32(offsetof(TypeEntryRecord, tags) == 20);
QEV_HOST_ASSERT32(offsetof(TypeEntryRecord, fields) == 28);
QEV_HOST_ASSERT32(offsetof(TypeEntryRecord, enumerators) == 32);
QEV_HOST_ASSERT32(offsetof(TypeEntryRecord, member_count) == 36);
QEV_HOST_ASSERT32(sizeof(EventEntryRecord) == 28);
QEV_HOST_ASSERT32(offsetof(EventEntryRecord, payload_type_name) == 12);
QEV_HOST_ASSERT32(offsetof(EventEntryRecord, tag_count) == 24);
QEV_HOST_ASSERT32(sizeof(BindingTableWords) == 24 && offsetof(BindingTableWords, types) == 8);
QEV_HOST_ASSERT32(offsetof(BindingTableWords, events) == 16);
#undef QEV_HOST_ASSERT32

// On 64-bit the same field order holds with 8-byte pointers.
static_assert(kAbi32 || (sizeof(PlainValue) == 16 && sizeof(ResponseRecord) == 94 &&
                         sizeof(EventRecord) == 40 && sizeof(RequestRecord) == 88),
              "64-bit host record layout");

}  // namespace Vorn::Host
