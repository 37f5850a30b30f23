/* The record an event callback receives, and (without its context) what DispatchEvent takes. */
#ifndef VORN_PLUGIN_ABI_EVENT_RECORD_H_
#define VORN_PLUGIN_ABI_EVENT_RECORD_H_

#include "sdk/plugin/abi/abi_common.h"
#include "sdk/plugin/abi/plain_value.h"

VORN_EXTERN_C_BEGIN

/* 24 bytes in the 32-bit ABIs (40 on 64-bit). */
typedef struct PluginEventRecord {
  const char* name;
  BindingPlainValue payload;
  uint32_t word; /* 0 when the plugin dispatches; not read in callbacks */
  void* context; /* the context given to SubscribeEvent */
} PluginEventRecord;

VORN_ASSERT_SIZE32(PluginEventRecord, 24);
VORN_ASSERT_OFFSET32(PluginEventRecord, payload, 4);
VORN_ASSERT_OFFSET32(PluginEventRecord, word, 16);
VORN_ASSERT_OFFSET32(PluginEventRecord, context, 20);

VORN_EXTERN_C_END

#endif /* VORN_PLUGIN_ABI_EVENT_RECORD_H_ */
