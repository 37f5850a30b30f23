/* The entry-point record and the plugin's callback table. */
#ifndef VORN_PLUGIN_ABI_LOAD_CONTEXT_H_
#define VORN_PLUGIN_ABI_LOAD_CONTEXT_H_

#include "sdk/plugin/abi/abi_common.h"
#include "sdk/plugin/abi/host_api.h"

VORN_EXTERN_C_BEGIN

struct BindingTableRecord;
struct PluginCallbacks;

/* Seven 32-bit words (4 words + 3 pointers on 64-bit), owned by the host. Words 0 to 2 carry
 * the host's plugin API version in and the plugin's out; the rest are written by the plugin. */
typedef struct PluginLoadContext {
  uint32_t major;
  uint32_t minor;
  uint32_t patch;
  const struct PluginCallbacks* callbacks;
  void* plugin;
  const char* name;
  const struct BindingTableRecord* bindings;
} PluginLoadContext;

VORN_ASSERT_SIZE32(PluginLoadContext, 28);
VORN_ASSERT_OFFSET32(PluginLoadContext, callbacks, 12);
VORN_ASSERT_OFFSET32(PluginLoadContext, plugin, 16);
VORN_ASSERT_OFFSET32(PluginLoadContext, name, 20);
VORN_ASSERT_OFFSET32(PluginLoadContext, bindings, 24);

typedef bool(VORN_CDECL* PluginInitializeFn)(void* plugin, const HostInterface* host);
typedef void(VORN_CDECL* PluginShutdownFn)(void* plugin);
/* Fills 14 words: six 64-bit counters as low/high word pairs, then two zero words. */
typedef void(VORN_CDECL* PluginGetMemoryStatsFn)(void* plugin, uint32_t* out_words);

/* Three entries; the table lives inside the plugin object. */
typedef struct PluginCallbacks {
  PluginInitializeFn Initialize;
  PluginShutdownFn Shutdown;
  PluginGetMemoryStatsFn GetMemoryStats;
} PluginCallbacks;

VORN_ASSERT_SIZE32(PluginCallbacks, 12);

typedef void*(VORN_CDECL* PluginEntryFn)(PluginLoadContext* context);

VORN_EXTERN_C_END

#endif /* VORN_PLUGIN_ABI_LOAD_CONTEXT_H_ */
