/* The description of routes, types and events that the plugin hands the host at load. */
#ifndef VORN_PLUGIN_ABI_BINDING_TABLE_H_
#define VORN_PLUGIN_ABI_BINDING_TABLE_H_

#include "sdk/plugin/abi/abi_common.h"

VORN_EXTERN_C_BEGIN

/* Every entry array is contiguous, and the first word of each entry points to the next entry of
 * the same array (null in the last). Texts are owned by the plugin's registry, arrays by the
 * plugin; all live as long as the plugin. Sizes are those of the 32-bit host (64-bit builds keep
 * the field order with 8-byte pointers). */

#pragma pack(push, 1)

/* 25 bytes. */
typedef struct BindingArgumentEntry {
  const struct BindingArgumentEntry* next;
  const char* name;
  const char* description;
  uint32_t type_code;
  uint32_t element_type_code;
  const char* type_name;
  uint8_t optional;
} BindingArgumentEntry;

/* 57 bytes: what a function entry says after its link, repeated in its route entry. */
typedef struct BindingFunctionDescription {
  uint32_t reserved;
  const void* handler_context; /* zero in the function entry; the route's context in a route */
  const char* name;
  const char* name_space;
  const BindingArgumentEntry* arguments;
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
} BindingFunctionDescription;

/* 61 bytes. */
typedef struct BindingFunctionEntry {
  const struct BindingFunctionEntry* next;
  BindingFunctionDescription function;
} BindingFunctionEntry;

/* 29 bytes. */
typedef struct BindingFieldEntry {
  const struct BindingFieldEntry* next;
  const char* name;
  const char* description;
  uint32_t offset;
  uint32_t type_code;
  uint32_t element_type_code;
  const char* type_name;
  uint8_t optional;
} BindingFieldEntry;

/* 16 bytes. */
typedef struct BindingEnumeratorEntry {
  const struct BindingEnumeratorEntry* next;
  const char* name;
  const char* description;
  int32_t value;
} BindingEnumeratorEntry;

/* 40 bytes. */
typedef struct BindingTypeEntry {
  const struct BindingTypeEntry* next;
  const char* name;
  const char* name_space;
  uint32_t size;
  const char* description;
  const char* const* tags;
  uint32_t tag_count;
  const BindingFieldEntry* fields;           /* only for a record with fields */
  const BindingEnumeratorEntry* enumerators; /* only when the type has no fields */
  uint32_t member_count;                     /* fields when there are any, else enumerators */
} BindingTypeEntry;

/* 28 bytes. */
typedef struct BindingEventEntry {
  const struct BindingEventEntry* next;
  const char* name;
  const char* name_space;
  const char* payload_type_name;
  const char* description;
  const char* const* tags;
  uint32_t tag_count;
} BindingEventEntry;

/* 8 bytes: where one argument of a route may come from. */
typedef struct BindingArgumentLocationEntry {
  const struct BindingArgumentLocationEntry* next;
  uint32_t location; /* 1 to 5, else 0 */
} BindingArgumentLocationEntry;

/* 12 bytes: one text list that a route carries. */
typedef struct BindingTextListEntry {
  const struct BindingTextListEntry* next;
  const char* const* texts;
  uint32_t count;
} BindingTextListEntry;

struct HostRequestRecord;
struct HostResponseRecord;
typedef void(VORN_CDECL* BindingRequestCallback)(struct HostResponseRecord* out_response,
                                                 const struct HostRequestRecord* request);

/* 90 bytes: one per bound function with a path. Bytes 4 to 60 repeat the function's entry (all
 * zero when it has none), with the handler context at offset 8. */
typedef struct BindingRouteEntry {
  const struct BindingRouteEntry* next;
  BindingFunctionDescription function;
  BindingRequestCallback request_callback;
  const BindingArgumentLocationEntry* argument_locations;
  const char* path;
  uint32_t method; /* 1 to 8, else 0 */
  uint8_t flag;
  const BindingTextListEntry* text_lists;
  uint32_t text_list_count;
  const char* method_name;
} BindingRouteEntry;

#pragma pack(pop)

VORN_ASSERT_SIZE32(BindingArgumentEntry, 25);
VORN_ASSERT_OFFSET32(BindingArgumentEntry, type_name, 20);
VORN_ASSERT_OFFSET32(BindingArgumentEntry, optional, 24);
VORN_ASSERT_SIZE32(BindingFunctionDescription, 57);
VORN_ASSERT_OFFSET32(BindingFunctionDescription, handler_context, 4);
VORN_ASSERT_OFFSET32(BindingFunctionDescription, result_type_code, 24);
VORN_ASSERT_OFFSET32(BindingFunctionDescription, thread_safe, 44);
VORN_ASSERT_OFFSET32(BindingFunctionDescription, async_type_name, 45);
VORN_ASSERT_OFFSET32(BindingFunctionDescription, tag_count, 53);
VORN_ASSERT_SIZE32(BindingFunctionEntry, 61);
VORN_ASSERT_OFFSET32(BindingFunctionEntry, function, 4);
VORN_ASSERT_SIZE32(BindingFieldEntry, 29);
VORN_ASSERT_OFFSET32(BindingFieldEntry, offset, 12);
VORN_ASSERT_OFFSET32(BindingFieldEntry, optional, 28);
VORN_ASSERT_SIZE32(BindingEnumeratorEntry, 16);
VORN_ASSERT_OFFSET32(BindingEnumeratorEntry, value, 12);
VORN_ASSERT_SIZE32(BindingTypeEntry, 40);
VORN_ASSERT_OFFSET32(BindingTypeEntry, fields, 28);
VORN_ASSERT_OFFSET32(BindingTypeEntry, member_count, 36);
VORN_ASSERT_SIZE32(BindingEventEntry, 28);
VORN_ASSERT_OFFSET32(BindingEventEntry, payload_type_name, 12);
VORN_ASSERT_OFFSET32(BindingEventEntry, tag_count, 24);
VORN_ASSERT_SIZE32(BindingArgumentLocationEntry, 8);
VORN_ASSERT_SIZE32(BindingTextListEntry, 12);
VORN_ASSERT_SIZE32(BindingRouteEntry, 90);
VORN_ASSERT_OFFSET32(BindingRouteEntry, function, 4);
VORN_ASSERT_OFFSET32(BindingRouteEntry, request_callback, 61);
VORN_ASSERT_OFFSET32(BindingRouteEntry, argument_locations, 65);
VORN_ASSERT_OFFSET32(BindingRouteEntry, path, 69);
VORN_ASSERT_OFFSET32(BindingRouteEntry, method, 73);
VORN_ASSERT_OFFSET32(BindingRouteEntry, flag, 77);
VORN_ASSERT_OFFSET32(BindingRouteEntry, text_lists, 78);
VORN_ASSERT_OFFSET32(BindingRouteEntry, text_list_count, 82);
VORN_ASSERT_OFFSET32(BindingRouteEntry, method_name, 86);

/* Six 32-bit words (pointer-sized on 64-bit); every array and text it reaches is owned by the
 * plugin and stays unchanged until the plugin is destroyed. */
typedef struct BindingTableRecord {
  const struct BindingRouteEntry* routes;
  uint32_t route_count;
  const struct BindingTypeEntry* types;
  uint32_t type_count;
  const struct BindingEventEntry* events;
  uint32_t event_count;
} BindingTableRecord;

VORN_ASSERT_SIZE32(BindingTableRecord, 24);
VORN_ASSERT_OFFSET32(BindingTableRecord, types, 8);
VORN_ASSERT_OFFSET32(BindingTableRecord, events, 16);

VORN_EXTERN_C_END

#endif /* VORN_PLUGIN_ABI_BINDING_TABLE_H_ */
