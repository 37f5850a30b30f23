/* The description of routes, types and events that the plugin hands the host at load. */
#ifndef VORN_PLUGIN_ABI_BINDING_TABLE_H_
#define VORN_PLUGIN_ABI_BINDING_TABLE_H_

#include "sdk/plugin/abi/abi_common.h"

VORN_EXTERN_C_BEGIN

struct BindingRouteEntry;
struct BindingTypeEntry;
struct BindingEventEntry;

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
