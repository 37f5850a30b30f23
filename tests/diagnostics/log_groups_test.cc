// Group names and masks. The table is process-wide, so registration runs in one test of its own
// binary, in order.
#include <gtest/gtest.h>

#include <string>

#include "sdk/diagnostics/log_api.h"

namespace Vorn {
namespace {

std::string Names(uint64_t groups, uint32_t size = 512) {
  std::string text(size, '\xAA');
  const uint32_t length = GetLogApi()->GroupNames(groups, text.data(), size);
  text.resize(length);
  return text;
}

TEST(LogGroupsTest, NamesMasksAndRegistration) {
  const LogApi* api = GetLogApi();
  struct Row {
    uint64_t groups;
    const char* names;
  };
  constexpr Row kRows[] = {
      {0x0, ""},
      {0x1, "DBG"},
      {0x3, "DBG;GEN"},
      {0x4, "XTR"},
      {0xFF, "DBG;GEN;XTR;PRF;MEM;DSK;NET;TST"},
      {0x100, "???"},
      {0x8000000000000001, "DBG;???"},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.names);
    EXPECT_EQ(Names(row.groups), row.names);
  }
  EXPECT_EQ(Names(0x3, 5), "DBG;");

  // Known names, compared on their first three characters.
  EXPECT_EQ(api->GroupMask("DBG"), 0x1u);
  EXPECT_EQ(api->GroupMask("TST"), 0x80u);
  EXPECT_EQ(api->GroupMask("XTRA"), 0x4u);
  EXPECT_EQ(api->GroupMask(nullptr), 0u);

  // New names take entries 8, 9, ... and keep them.
  EXPECT_EQ(api->GroupMask("NEW"), 0x100u);
  EXPECT_EQ(api->GroupMask("NEW"), 0x100u);
  EXPECT_EQ(api->GroupMask("AB"), 0x200u);
  EXPECT_EQ(api->GroupMask("AB"), 0x200u);
  EXPECT_EQ(Names(0x301), "DBG;NEW;AB");

  for (int index = 10; index < 64; ++index) {
    const std::string name = "G" + std::to_string(index);
    SCOPED_TRACE(name);
    ASSERT_EQ(api->GroupMask(name.c_str()), uint64_t{1} << index);
  }
  EXPECT_EQ(Names(uint64_t{1} << 63), "G63");
  // The table is full: a further name has no group.
  EXPECT_EQ(api->GroupMask("ZZZ"), 0u);
  EXPECT_EQ(api->GroupMask("ZZY"), 0u);
  EXPECT_EQ(api->GroupMask("NEW"), 0x100u);
}

}  // namespace
}  // namespace Vorn
