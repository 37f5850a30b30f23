/* Shared macros of the C boundary headers: calling convention, export, layout checks.
 * Every header under sdk/plugin/abi compiles as C and as C++. */
#ifndef VORN_PLUGIN_ABI_ABI_COMMON_H_
#define VORN_PLUGIN_ABI_ABI_COMMON_H_

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

/* Every function that crosses the host boundary uses the C calling convention (caller pops). */
#if defined(_WIN32) && !defined(_WIN64)
#define VORN_CDECL __cdecl
#else
#define VORN_CDECL
#endif

/* The single exported entry point; everything else stays hidden. */
#if defined(_WIN32)
#define VORN_EXPORT __declspec(dllexport)
#else
#define VORN_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#define VORN_EXTERN_C_BEGIN extern "C" {
#define VORN_EXTERN_C_END }
#define VORN_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define VORN_EXTERN_C_BEGIN
#define VORN_EXTERN_C_END
#define VORN_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

/* Layout checks that hold in the 32-bit host ABI; 64-bit builds keep the field order only. */
#if UINTPTR_MAX == 0xFFFFFFFFu
#define VORN_ABI32 1
#define VORN_ASSERT_SIZE32(type, size) VORN_STATIC_ASSERT(sizeof(type) == (size), #type " size")
#define VORN_ASSERT_OFFSET32(type, field, offset) \
  VORN_STATIC_ASSERT(offsetof(type, field) == (offset), #type "." #field " offset")
#else
#define VORN_ABI32 0
#define VORN_ASSERT_SIZE32(type, size) VORN_STATIC_ASSERT(1, "")
#define VORN_ASSERT_OFFSET32(type, field, offset) VORN_STATIC_ASSERT(1, "")
#endif

#endif /* VORN_PLUGIN_ABI_ABI_COMMON_H_ */
