// Sizes and offsets of the boundary records as the 32-bit host sees them. The static_asserts in
// the headers hold them at compile time; these tests also report the 64-bit layouts.
#include <gtest/gtest.h>

#include <cstddef>

#include "sdk/plugin/abi/host_api.h"
#include "sdk/plugin/abi/load_context.h"
#include "sdk/plugin/abi/plain_value.h"

extern "C" int vorn_abi_headers_compile_as_c(void);

namespace {

constexpr size_t kPointer = sizeof(void*);

TEST(AbiLayout, HeadersCompileAsC) {
  EXPECT_EQ(vorn_abi_headers_compile_as_c(), static_cast<int>(sizeof(PluginLoadContext)));
}

TEST(AbiLayout, LoadContextAndCallbacks) {
  // Three version words, then four pointers at pointer alignment.
  EXPECT_EQ(offsetof(PluginLoadContext, callbacks), kPointer == 4 ? 12u : 16u);
  EXPECT_EQ(sizeof(PluginLoadContext), kPointer == 4 ? 28u : 48u);
  EXPECT_EQ(sizeof(PluginCallbacks), 3 * kPointer);
}

TEST(AbiLayout, HostTable) {
  EXPECT_EQ(sizeof(HostApi), 10 * kPointer);
  EXPECT_EQ(offsetof(HostApi, HostLog), 9 * kPointer);
  EXPECT_EQ(offsetof(HostInterface, host_handle), kPointer);
}

TEST(AbiLayout, PlainRecords) {
  EXPECT_EQ(offsetof(BindingPlainValue, payload), 4u);
  EXPECT_EQ(sizeof(BindingPlainValue), 4 + (kPointer == 4 ? 8 : 12));
  EXPECT_EQ(sizeof(BindingPlainMember), kPointer + sizeof(BindingPlainValue) + 1);
  EXPECT_EQ(sizeof(BindingPlainResult), sizeof(BindingPlainValue) + kPointer + 1);
}

}  // namespace
