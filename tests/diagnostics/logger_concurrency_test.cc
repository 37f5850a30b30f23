// The logger under threads: no line is lost or interleaved, registration and settings may
// change while others log, and group names register once.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "sdk/diagnostics/log_api.h"
#include "sdk/diagnostics/log_target.h"
#include "tests/diagnostics/recording_target.h"

namespace Vorn {
namespace {

constexpr int kThreads = 8;
constexpr int kMessagesPerThread = 2000;

// Notices a second writer inside Write, which the logger's lock must prevent.
class ExclusiveTarget : public testing::RecordingTarget {
 public:
  bool Write(const LogMessage& message) override {
    if (inside_.exchange(true)) overlapped_ = true;
    const bool written = RecordingTarget::Write(message);
    inside_.store(false);
    return written;
  }
  bool Overlapped() const { return overlapped_.load(); }

 private:
  std::atomic<bool> inside_{false};
  std::atomic<bool> overlapped_{false};
};

TEST(LoggerConcurrencyTest, LinesFromManyThreadsStayWholeAndOrdered) {
  testing::LoggerReference reference;
  ExclusiveTarget target;
  target.SetLineFormat("#L|#M");
  target.Register();
  // A second target comes and goes, and the settings change, while messages flow.
  testing::RecordingTarget churn;
  std::atomic<bool> done{false};
  std::thread churner([&] {
    while (!done.load()) {
      churn.Register();
      GetLogApi()->SetExcludedGroups(kLogGroupXtr);
      churn.Unregister();
      target.SetGroups(0, 0);
      GetLogApi()->FindTarget("RecordingTarget");
    }
  });

  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kMessagesPerThread; ++i) {
        Log(kLogLevelError, kLogGroupDbg, "thread %d message %d %s", t, i,
            "with a tail long enough to be torn if two writers overlapped");
      }
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  done.store(true);
  churner.join();
  target.Unregister();

  EXPECT_FALSE(target.Overlapped());
  ASSERT_EQ(target.messages.size(), size_t{kThreads} * kMessagesPerThread);
  std::vector<int> next(kThreads, 0);
  for (const testing::RecordedMessage& message : target.messages) {
    int t = -1;
    int i = -1;
    char tail[128] = {};
    ASSERT_EQ(std::sscanf(message.text.c_str(), "thread %d message %d %127[^\n]", &t, &i, tail), 3)
        << message.text;
    ASSERT_GE(t, 0);
    ASSERT_LT(t, kThreads);
    // Each thread's messages arrive complete and in the order it sent them.
    ASSERT_EQ(i, next[t]) << message.text;
    ++next[t];
    EXPECT_STREQ(tail, "with a tail long enough to be torn if two writers overlapped");
    EXPECT_EQ(message.line, " ERROR|" + message.text + "\n");
  }
}

TEST(LoggerConcurrencyTest, ReferencesFromManyThreads) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 500; ++i) {
        GetLogApi()->AddRef();
        Log(kLogLevelError, kLogGroupGen, "reference %d", i);
        GetLogApi()->Release();
      }
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  // Balanced: the next reference is the first again.
  EXPECT_EQ(GetLogApi()->AddRef(), 1);
  EXPECT_EQ(GetLogApi()->Release(), 0);
}

TEST(LoggerConcurrencyTest, NewGroupNamesRegisterOnce) {
  constexpr int kNames = 20;
  std::vector<std::vector<uint64_t>> masks(4, std::vector<uint64_t>(kNames));
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &masks] {
      for (int n = 0; n < kNames; ++n) {
        char name[4];
        std::snprintf(name, sizeof name, "C%02d", n);
        masks[t][n] = GetLogApi()->GroupMask(name);
      }
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  std::set<uint64_t> distinct;
  for (int n = 0; n < kNames; ++n) {
    SCOPED_TRACE(n);
    for (int t = 1; t < 4; ++t)
      EXPECT_EQ(masks[t][n], masks[0][n]);
    EXPECT_NE(masks[0][n], 0u);
    distinct.insert(masks[0][n]);
  }
  EXPECT_EQ(distinct.size(), size_t{kNames});
  char names[512];
  uint64_t all = 0;
  for (uint64_t mask : distinct)
    all |= mask;
  GetLogApi()->GroupNames(all, names, sizeof names);
  EXPECT_EQ(std::string(names).substr(0, 8), "C00;C01;");
}

}  // namespace
}  // namespace Vorn
