/* The flat records in which dynamic values cross the host boundary. Texts and arrays of the
 * owned kinds are allocated and freed through the SDK's allocation hooks. */
#ifndef VORN_PLUGIN_ABI_PLAIN_VALUE_H_
#define VORN_PLUGIN_ABI_PLAIN_VALUE_H_

#include "sdk/plugin/abi/abi_common.h"

VORN_EXTERN_C_BEGIN

/* Kinds of BindingPlainValue. */
enum {
  kBindingPlainEmpty = 0,
  kBindingPlainBool = 1,
  kBindingPlainSigned = 2,
  kBindingPlainUnsigned = 3,
  kBindingPlainFloat = 4,
  kBindingPlainStringRef = 5, /* text owned by someone else */
  kBindingPlainString = 6,    /* text owned by the record */
  kBindingPlainBlobRef = 7,   /* bytes owned by someone else */
  kBindingPlainBlob = 8,      /* bytes owned by the record */
  kBindingPlainCollection = 9,
  kBindingPlainStructure = 10
};

struct BindingPlainValue;
struct BindingPlainMember;

#pragma pack(push, 1)

/* Pointer and count of the reference kinds (5 to 10). */
typedef struct BindingPlainRef {
  const void* data;
  uint32_t count;
} BindingPlainRef;

/* 12 bytes in both 32-bit ABIs (16 on 64-bit): the 8-byte payload sits at offset 4, which
 * natural alignment would move on Windows, hence the packing. */
typedef struct BindingPlainValue {
  uint32_t kind;
  union {
    uint8_t boolean;
    int64_t signed_value;
    uint64_t unsigned_value;
    double float_value;
    BindingPlainRef ref;
  } payload;
} BindingPlainValue;

/* 17 bytes, no padding (25 on 64-bit). */
typedef struct BindingPlainMember {
  const char* key;
  BindingPlainValue value;
  uint8_t key_owned;
} BindingPlainMember;

/* 17 bytes, no padding (25 on 64-bit). */
typedef struct BindingPlainResult {
  BindingPlainValue value;
  const char* error;
  uint8_t failed;
} BindingPlainResult;

#pragma pack(pop)

VORN_ASSERT_SIZE32(BindingPlainValue, 12);
VORN_ASSERT_OFFSET32(BindingPlainValue, payload, 4);
VORN_ASSERT_SIZE32(BindingPlainMember, 17);
VORN_ASSERT_OFFSET32(BindingPlainMember, value, 4);
VORN_ASSERT_OFFSET32(BindingPlainMember, key_owned, 16);
VORN_ASSERT_SIZE32(BindingPlainResult, 17);
VORN_ASSERT_OFFSET32(BindingPlainResult, error, 12);
VORN_ASSERT_OFFSET32(BindingPlainResult, failed, 16);

VORN_EXTERN_C_END

#endif /* VORN_PLUGIN_ABI_PLAIN_VALUE_H_ */
