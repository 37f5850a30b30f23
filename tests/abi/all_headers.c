/* Compiles every boundary header as C, so that they stay C-compatible. */
#include "sdk/plugin/abi/abi_common.h"
#include "sdk/plugin/abi/binding_table.h"
#include "sdk/plugin/abi/event_record.h"
#include "sdk/plugin/abi/host_api.h"
#include "sdk/plugin/abi/load_context.h"
#include "sdk/plugin/abi/plain_value.h"
#include "sdk/plugin/abi/request_records.h"

int vorn_abi_headers_compile_as_c(void) { return (int)sizeof(PluginLoadContext); }
