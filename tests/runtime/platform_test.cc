// The platform layer against the real services of the system it was built for (POSIX here,
// Win32 in the mingw build under wine).
#include "sdk/runtime/platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace Vorn::Platform {
namespace {

TEST(PlatformTest, LocalTimeFieldsAreInRange) {
  const LocalTime now = GetLocalTime();
  EXPECT_GE(now.year, 2020);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12) << now.month;
  EXPECT_TRUE(now.day >= 1 && now.day <= 31) << now.day;
  EXPECT_TRUE(now.hour >= 0 && now.hour <= 23) << now.hour;
  EXPECT_TRUE(now.minute >= 0 && now.minute <= 59) << now.minute;
  EXPECT_TRUE(now.second >= 0 && now.second <= 60) << now.second;
  EXPECT_TRUE(now.millisecond >= 0 && now.millisecond <= 999) << now.millisecond;
}

TEST(PlatformTest, PerformanceCounterAdvancesAtItsFrequency) {
  const uint64_t frequency = PerformanceFrequency();
  ASSERT_GT(frequency, 0u);
  const uint64_t start = PerformanceCounter();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const uint64_t elapsed = PerformanceCounter() - start;
  // At least the 20 ms slept; no upper bound, a loaded machine may sleep much longer.
  EXPECT_GE(elapsed * 1000, frequency * 19);
}

TEST(PlatformTest, ThreadIdsDifferBetweenThreads) {
  const uint32_t here = CurrentThreadId();
  EXPECT_EQ(here, CurrentThreadId());
  uint32_t there = here;
  std::thread([&there] { there = CurrentThreadId(); }).join();
  EXPECT_NE(here, there);
}

TEST(PlatformTest, ExecutablePathNamesThisProgram) {
  const std::string path = ExecutablePath();
  const size_t cut = path.find_last_of(PathSeparators());
  ASSERT_NE(cut, std::string::npos) << path;
  const std::string name = path.substr(cut + 1);
  EXPECT_EQ(name.rfind("platform_test", 0), 0u) << path;
}

TEST(PlatformTest, DebuggerOutputWithoutDebuggerIsHarmless) {
  DebuggerOutput("platform test\n");
}

TEST(PlatformTest, CriticalSectionIsRecursiveAndExcludesOtherThreads) {
  CriticalSection section;
  section.Enter();
  section.Enter();
  section.Leave();
  section.Leave();

  constexpr int kRounds = 20000;
  int64_t counter = 0;
  auto add = [&] {
    for (int i = 0; i < kRounds; ++i) {
      CriticalSectionLock lock(section);
      // A read-modify-write split over two statements loses updates without the lock.
      const int64_t seen = counter;
      counter = seen + 1;
    }
  };
  std::thread first(add);
  std::thread second(add);
  first.join();
  second.join();
  EXPECT_EQ(counter, 2 * kRounds);
}

TEST(PlatformTest, RegionsAreAlignedWritableAndReleasable) {
  constexpr size_t kRegion = 64 * 1024;
  unsigned char* region = static_cast<unsigned char*>(ReserveRegion(kRegion));
  ASSERT_NE(region, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(region) % 4096, 0u);
  // Fresh regions read as zero on both systems, first byte to last.
  EXPECT_EQ(region[0], 0);
  EXPECT_EQ(region[kRegion - 1], 0);
  std::memset(region, 0xA5, kRegion);
  EXPECT_EQ(region[kRegion - 1], 0xA5);
  ReleaseRegion(region, kRegion);
  ReleaseRegion(nullptr, kRegion);
}

TEST(PlatformTest, MissingLibrariesAndSymbolsAreNull) {
  EXPECT_EQ(LoadSharedLibrary(L"qev-no-such-library.dll"), nullptr);
  EXPECT_EQ(FindSymbol(nullptr, "EventRegister"), nullptr);
  FreeSharedLibrary(nullptr);
}

#if defined(_WIN32)
// Where the tracing library exists its three functions are found by name.
TEST(PlatformTest, TracingLibraryLoadsWithItsFunctions) {
  void* library = LoadSharedLibrary(L"Advapi32.dll");
  ASSERT_NE(library, nullptr);
  for (const char* name : {"EventRegister", "EventWrite", "EventUnregister"}) {
    SCOPED_TRACE(name);
    EXPECT_NE(FindSymbol(library, name), nullptr);
  }
  EXPECT_EQ(FindSymbol(library, "QevNoSuchFunction"), nullptr);
  FreeSharedLibrary(library);
}
#endif

TEST(PlatformTest, HeapBlockSizeCoversTheRequest) {
  void* block = std::malloc(100);
  ASSERT_NE(block, nullptr);
  EXPECT_GE(HeapBlockSize(block), 100u);
  std::free(block);
  EXPECT_EQ(HeapBlockSize(nullptr), 0u);
}

}  // namespace
}  // namespace Vorn::Platform
