// Static type identities: the hash of the compiler's own signature text, the printable name,
// readable names and the identity of void.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sdk/binding/binding_property.h"
#include "sdk/binding/fnv1a.h"
#include "sdk/binding/static_type_hash.h"

namespace Probe {
enum class Colour : uint8_t { kRed };
struct Named {};
}  // namespace Probe

template <>
inline constexpr bool StaticType::kHasReadableName<Probe::Named> = true;

namespace {

using Vorn::Fnv1a32;
using Vorn::StaticTypeIdentity;

std::string HashText(uint32_t hash) {
  char text[12];
  std::snprintf(text, sizeof text, "#%08X", static_cast<unsigned>(hash));
  return text;
}

struct SignatureRow {
  const StaticTypeIdentity& identity;
  const char* signature;  // this compiler's text of StaticType::HashCode<T>
};

#if defined(__GNUC__) && !defined(__clang__)
#define SIGNATURE(T) "const Vorn::StaticTypeIdentity& StaticType::HashCode() [with T = " T "]"
#define NAME_SIGNATURE(T) "constexpr const char* StaticType::Name() [with T = " T "]"
#elif defined(__clang__)
#define SIGNATURE(T) "const Vorn::StaticTypeIdentity &StaticType::HashCode() [T = " T "]"
#define NAME_SIGNATURE(T) "const char *StaticType::Name() [T = " T "]"
#endif

#ifdef SIGNATURE
TEST(StaticTypeTest, HashIsFnv1aOfTheCompilersSignatureText) {
  const SignatureRow rows[] = {
      {StaticType::HashCode<bool>(), SIGNATURE("bool")},
      {StaticType::HashCode<Vorn::BindingProperty>(), SIGNATURE("Vorn::BindingProperty")},
      {StaticType::HashCode<std::vector<Vorn::BindingProperty>>(),
       SIGNATURE("std::vector<Vorn::BindingProperty>")},
      {StaticType::HashCode<Probe::Colour>(), SIGNATURE("Probe::Colour")},
      {StaticType::HashCode<void>(), SIGNATURE("void")},
  };
  for (const SignatureRow& row : rows) {
    SCOPED_TRACE(row.signature);
    EXPECT_EQ(row.identity.hash, Fnv1a32(row.signature));
    EXPECT_EQ(std::string(row.identity.name), HashText(Fnv1a32(row.signature)));
  }
}

TEST(StaticTypeTest, AReadableNameIsTheNameFunctionsSignatureAndKeepsTheHash) {
  const StaticTypeIdentity& identity = StaticType::HashCode<Probe::Named>();
  EXPECT_STREQ(identity.name, NAME_SIGNATURE("Probe::Named"));
  EXPECT_STREQ(StaticType::Name<Probe::Named>(), NAME_SIGNATURE("Probe::Named"));
  EXPECT_EQ(identity.hash, Fnv1a32(SIGNATURE("Probe::Named")));
  EXPECT_EQ(std::string(identity.hash_text), HashText(identity.hash));
}
#endif

TEST(StaticTypeTest, OneRecordPerTypeAndDistinctHashes) {
  EXPECT_EQ(&StaticType::HashCode<int>(), &StaticType::HashCode<int>());
  EXPECT_EQ(&StaticType::HashCode<const int&>(), &StaticType::HashCode<const int&>());
  const uint32_t hashes[] = {
      StaticType::HashCode<void>().hash,
      StaticType::HashCode<bool>().hash,
      StaticType::HashCode<int32_t>().hash,
      StaticType::HashCode<uint32_t>().hash,
      StaticType::HashCode<std::vector<int32_t>>().hash,
      StaticType::HashCode<Probe::Colour>().hash,
  };
  for (size_t i = 0; i < std::size(hashes); ++i) {
    for (size_t j = i + 1; j < std::size(hashes); ++j)
      EXPECT_NE(hashes[i], hashes[j]);
  }
}

TEST(StaticTypeTest, FnvOfTheEmptyTextIsTheOffsetBasis) {
  static_assert(Fnv1a32("") == 0x811c9dc5u);
  static_assert(Fnv1a32("a") == 0xe40c292cu);
}

}  // namespace
