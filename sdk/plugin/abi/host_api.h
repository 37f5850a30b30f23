/* The host's function table and the record that hands it to the plugin. Entry positions are
 * fixed; the table only ever grows at its end. */
#ifndef VORN_PLUGIN_ABI_HOST_API_H_
#define VORN_PLUGIN_ABI_HOST_API_H_

#include "sdk/plugin/abi/abi_common.h"

VORN_EXTERN_C_BEGIN

struct HostApi;
struct HostRequestRecord;
struct HostResponseRecord;
struct PluginEventRecord;

/* Called by the host for every event of a subscribed name. */
typedef void(VORN_CDECL* PluginEventCallback)(const struct PluginEventRecord* event);
/* Called once by the host after a scheduled delay. */
typedef void(VORN_CDECL* PluginTimerCallback)(void* context);

typedef int32_t(VORN_CDECL* HostPerformRequestFn)(const struct HostApi* api,
                                                  struct HostResponseRecord* out_response,
                                                  const struct HostRequestRecord* request);
typedef int32_t(VORN_CDECL* HostEntry1Fn)(const struct HostApi* api, uint32_t word0,
                                          uint32_t word1);
typedef int32_t(VORN_CDECL* HostDispatchEventFn)(const struct HostApi* api,
                                                 const struct PluginEventRecord* event);
typedef int32_t(VORN_CDECL* HostSubscribeEventFn)(const struct HostApi* api, const char* name,
                                                  uint32_t host_handle,
                                                  PluginEventCallback callback, void* context,
                                                  uint32_t flags);
typedef int32_t(VORN_CDECL* HostUnsubscribeEventFn)(const struct HostApi* api, const char* name,
                                                    uint32_t host_handle);
typedef uint64_t(VORN_CDECL* HostScheduleCallbackFn)(const struct HostApi* api, const char* name,
                                                     PluginTimerCallback callback, void* context,
                                                     double delay_seconds, uint32_t flags);
typedef int32_t(VORN_CDECL* HostEntry6Fn)(const struct HostApi* api);
typedef int32_t(VORN_CDECL* HostEntry7Fn)(const struct HostApi* api, const char* text,
                                          uint32_t word);
typedef int32_t(VORN_CDECL* HostEntry8Fn)(const struct HostApi* api);
typedef int32_t(VORN_CDECL* HostLogFn)(const struct HostApi* api, int32_t level,
                                       const char* line);

/* Ten entries; each takes the table itself first. Entries 1, 6, 7 and 8 are only forwarded. */
typedef struct HostApi {
  HostPerformRequestFn PerformRequest;
  HostEntry1Fn Entry1;
  HostDispatchEventFn DispatchEvent;
  HostSubscribeEventFn SubscribeEvent;
  HostUnsubscribeEventFn UnsubscribeEvent;
  HostScheduleCallbackFn ScheduleCallback;
  HostEntry6Fn Entry6;
  HostEntry7Fn Entry7;
  HostEntry8Fn Entry8;
  HostLogFn HostLog;
} HostApi;

VORN_ASSERT_SIZE32(HostApi, 40);
VORN_ASSERT_OFFSET32(HostApi, ScheduleCallback, 20);
VORN_ASSERT_OFFSET32(HostApi, HostLog, 36);

/* Passed to Initialize; the plugin keeps the pointer for its whole life. */
typedef struct HostInterface {
  const HostApi* api;
  uint32_t host_handle;
} HostInterface;

VORN_ASSERT_SIZE32(HostInterface, 8);
VORN_ASSERT_OFFSET32(HostInterface, host_handle, 4);

VORN_EXTERN_C_END

#endif /* VORN_PLUGIN_ABI_HOST_API_H_ */
