// The host's fan-out of call lines: every follower sees every line after it joined, in order;
// one that falls behind is dropped alone; closing ends each follower once it took its lines.
#include "host/call_stream.h"

#include <gtest/gtest.h>

#include <thread>

namespace Vorn::Host {
namespace {

using Take = CallStream::Take;
using std::chrono::milliseconds;

TEST(CallStream, FollowersSeeTheLinesAfterTheyJoinedInOrder) {
  CallStream stream(4, 100);
  EXPECT_FALSE(stream.HasFollowers());
  stream.Publish("before");
  auto first = stream.Follow();
  stream.Publish("a");
  auto second = stream.Follow();
  stream.Publish("b");
  EXPECT_TRUE(stream.HasFollowers());

  std::vector<std::string> lines;
  EXPECT_EQ(stream.TakeLines(*first, lines, milliseconds(0)), Take::kLines);
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(stream.TakeLines(*first, lines, milliseconds(0)), Take::kIdle);
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(stream.TakeLines(*second, lines, milliseconds(0)), Take::kLines);
  EXPECT_EQ(lines, (std::vector<std::string>{"b"}));

  stream.Unfollow(first);
  stream.Unfollow(second);
  EXPECT_FALSE(stream.HasFollowers());
}

TEST(CallStream, AFollowerTooFarBehindIsDroppedAlone) {
  CallStream stream(4, 3);
  auto slow = stream.Follow();
  auto quick = stream.Follow();
  std::vector<std::string> lines;
  for (const char* line : {"1", "2", "3"}) {
    stream.Publish(line);
    EXPECT_EQ(stream.TakeLines(*quick, lines, milliseconds(0)), Take::kLines);
  }
  stream.Publish("4");
  EXPECT_EQ(stream.TakeLines(*slow, lines, milliseconds(0)), Take::kDropped);
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(stream.TakeLines(*quick, lines, milliseconds(0)), Take::kLines);
  EXPECT_EQ(lines, std::vector<std::string>{"4"});
}

TEST(CallStream, ClosingEndsFollowersAfterTheirLinesAndRefusesNewOnes) {
  CallStream stream(1, 100);
  auto follower = stream.Follow();
  EXPECT_EQ(stream.Follow(), nullptr);  // the one place is taken
  stream.Publish("last");
  stream.Close();
  stream.Publish("too late");
  std::vector<std::string> lines;
  EXPECT_EQ(stream.TakeLines(*follower, lines, milliseconds(0)), Take::kLines);
  EXPECT_EQ(lines, std::vector<std::string>{"last"});
  EXPECT_EQ(stream.TakeLines(*follower, lines, milliseconds(0)), Take::kEnded);
  stream.Unfollow(follower);
  EXPECT_EQ(stream.Follow(), nullptr);
}

TEST(CallStream, AWaitingFollowerWakesForLinesAndForTheClose) {
  CallStream stream(2, 100);
  auto follower = stream.Follow();
  std::vector<std::string> seen;
  Take last = Take::kIdle;
  std::thread reader([&] {
    std::vector<std::string> lines;
    while ((last = stream.TakeLines(*follower, lines, milliseconds(30000))) == Take::kLines)
      seen.insert(seen.end(), lines.begin(), lines.end());
  });
  for (int i = 0; i < 100; ++i)
    stream.Publish(std::to_string(i));
  stream.Close();
  reader.join();
  EXPECT_EQ(last, Take::kEnded);
  ASSERT_EQ(seen.size(), 100u);
  for (int i = 0; i < 100; ++i)
    EXPECT_EQ(seen[i], std::to_string(i));
}

}  // namespace
}  // namespace Vorn::Host
