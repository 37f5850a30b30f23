// BindingResult: the free success path, the failure form and reset.
#include "sdk/binding/binding_result.h"

#include <gtest/gtest.h>

#include <utility>

namespace Vorn {
namespace {

TEST(BindingResultTest, StartsEmptyAndOk) {
  const BindingResult result;
  EXPECT_TRUE(result.Ok());
  EXPECT_STREQ(result.Error(), "");
  EXPECT_EQ(result.Value().GetType(), BindingProperty::Type::Empty);
  EXPECT_EQ(result.Value().Pool(), nullptr);
}

TEST(BindingResultTest, SetErrorReplacesTheValueWithOneErrorMember) {
  BindingResult result;
  result.Value().Append().SetSigned(1);
  result.SetError("Value 300 for 'count' of type uint8 is out of range");
  EXPECT_FALSE(result.Ok());
  EXPECT_STREQ(result.Error(), "Value 300 for 'count' of type uint8 is out of range");
  const BindingProperty& value = result.Value();
  ASSERT_EQ(value.GetType(), BindingProperty::Type::Structure);
  EXPECT_EQ(value.Size(), 1u);
  EXPECT_STREQ(value.MemberAt("error").GetString(),
               "Value 300 for 'count' of type uint8 is out of range");

  result.SetError(std::string("second"));
  EXPECT_STREQ(result.Error(), "second");
}

TEST(BindingResultTest, SetErrorTakesItsOwnMessage) {
  // The message lives in the value that SetError clears; longer than any small-block header.
  const char* const kMessages[] = {
      "x", "Couldn't assign value to 'filter' because the input is nested too deeply."};
  for (const char* message : kMessages) {
    SCOPED_TRACE(message);
    BindingResult result;
    result.SetError(message);
    result.SetError(result.Error());
    EXPECT_STREQ(result.Error(), message);
    result.SetError(std::string_view(result.Error()));
    EXPECT_STREQ(result.Error(), message);
  }
}

TEST(BindingResultTest, ErrorIsEmptyWhenTheMemberIsNoString) {
  BindingResult result;
  result.SetError("x");
  result.Value().MemberAt("error").SetSigned(5);
  EXPECT_STREQ(result.Error(), "");
}

TEST(BindingResultTest, ResetMakesItOkAndEmptyAgain) {
  BindingResult result;
  result.SetError("failed");
  result.Reset();
  EXPECT_TRUE(result.Ok());
  EXPECT_STREQ(result.Error(), "");
  EXPECT_EQ(result.Value().GetType(), BindingProperty::Type::Empty);
}

}  // namespace
}  // namespace Vorn
