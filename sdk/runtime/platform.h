// The operating-system services the SDK uses, behind one small interface. POSIX and Win32
// implementations live in platform_posix.cc and platform_win32.cc; nothing else in the SDK
// includes system headers for these services.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Vorn::Platform {

// Local wall-clock time; the day of the week is not kept.
struct LocalTime {
  int32_t year;
  int32_t month;
  int32_t day;
  int32_t hour;
  int32_t minute;
  int32_t second;
  int32_t millisecond;
};
LocalTime GetLocalTime();

// High-resolution counter and its ticks per second.
uint64_t PerformanceCounter();
uint64_t PerformanceFrequency();

uint32_t CurrentThreadId();

// Full path of the process's executable, empty when it cannot be read.
std::string ExecutablePath();
// Characters that end a directory in ExecutablePath().
const char* PathSeparators();

// Text for an attached debugger; does nothing where there is no debugger console.
void DebuggerOutput(const char* text);

// A recursive lock with the semantics of a Win32 critical section.
class CriticalSection {
 public:
  CriticalSection();
  ~CriticalSection();
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void Enter();
  void Leave();

 private:
  // Storage for the native object (CRITICAL_SECTION or pthread_mutex_t), kept opaque so that
  // this header needs no system header.
  alignas(8) unsigned char storage_[48];
};

// Holds a critical section for one scope.
class CriticalSectionLock {
 public:
  explicit CriticalSectionLock(CriticalSection& section) : section_(section) { section_.Enter(); }
  ~CriticalSectionLock() { section_.Leave(); }
  CriticalSectionLock(const CriticalSectionLock&) = delete;
  CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

 private:
  CriticalSection& section_;
};

// Reserves and commits a read-write region of `size` bytes, aligned at least to 4096;
// null on failure. Released as a whole.
void* ReserveRegion(size_t size);
void ReleaseRegion(void* region, size_t size);

// Run-time library loading; null when the library or the symbol is missing.
void* LoadSharedLibrary(const wchar_t* name);
void* FindSymbol(void* library, const char* name);
void FreeSharedLibrary(void* library);

// Usable size of a block from the C runtime heap.
size_t HeapBlockSize(void* block);

// Ends the process at once, without running exit handlers.
[[noreturn]] void FatalStop();

}  // namespace Vorn::Platform
