// POSIX implementation of the platform layer.
#include "sdk/runtime/platform.h"

#include <dlfcn.h>
#include <malloc.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <new>

namespace Vorn::Platform {

LocalTime GetLocalTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  return LocalTime{local.tm_year + 1900,
                   local.tm_mon + 1,
                   local.tm_mday,
                   local.tm_hour,
                   local.tm_min,
                   local.tm_sec,
                   static_cast<int32_t>(now.tv_nsec / 1000000)};
}

uint64_t PerformanceCounter() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
}

uint64_t PerformanceFrequency() {
  return 1000000000u;
}

uint32_t CurrentThreadId() {
  return static_cast<uint32_t>(syscall(SYS_gettid));
}

std::string ExecutablePath() {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return std::string();
  return std::string(path, static_cast<size_t>(length));
}

const char* PathSeparators() {
  return "/";
}

void DebuggerOutput(const char*) {}

static_assert(sizeof(pthread_mutex_t) <= 48);

namespace {
pthread_mutex_t* Native(unsigned char* storage) {
  return std::launder(reinterpret_cast<pthread_mutex_t*>(storage));
}
}  // namespace

CriticalSection::CriticalSection() {
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(new (storage_) pthread_mutex_t, &attributes);
  pthread_mutexattr_destroy(&attributes);
}

CriticalSection::~CriticalSection() {
  pthread_mutex_destroy(Native(storage_));
}
void CriticalSection::Enter() {
  pthread_mutex_lock(Native(storage_));
}
void CriticalSection::Leave() {
  pthread_mutex_unlock(Native(storage_));
}

void* ReserveRegion(size_t size) {
  // Committed at once, as the regions are used at once: one populate instead of a fault a page.
  void* region = mmap(nullptr, size, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  return region == MAP_FAILED ? nullptr : region;
}

void ReleaseRegion(void* region, size_t size) {
  if (region != nullptr) munmap(region, size);
}

void* LoadSharedLibrary(const wchar_t* name) {
  char narrow[256];
  size_t length = std::wcstombs(narrow, name, sizeof narrow);
  if (length == static_cast<size_t>(-1) || length >= sizeof narrow) return nullptr;
  return dlopen(narrow, RTLD_NOW | RTLD_LOCAL);
}

void* FindSymbol(void* library, const char* name) {
  return library == nullptr ? nullptr : dlsym(library, name);
}

void FreeSharedLibrary(void* library) {
  if (library != nullptr) dlclose(library);
}

size_t HeapBlockSize(void* block) {
  return block == nullptr ? 0 : malloc_usable_size(block);
}

void FatalStop() {
  std::fflush(stderr);
  std::_Exit(3);
}

}  // namespace Vorn::Platform
