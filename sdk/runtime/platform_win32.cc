// Win32 implementation of the platform layer.
#include "sdk/runtime/platform.h"

#define WIN32_LEAN_AND_MEAN
#include <malloc.h>
#include <windows.h>

#include <cstdio>
#include <new>

namespace Vorn::Platform {

LocalTime GetLocalTime() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  return LocalTime{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                   now.wMinute, now.wSecond, now.wMilliseconds};
}

uint64_t PerformanceCounter() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<uint64_t>(counter.QuadPart);
}

uint64_t PerformanceFrequency() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<uint64_t>(frequency.QuadPart);
}

uint32_t CurrentThreadId() {
  return static_cast<uint32_t>(GetCurrentThreadId());
}

std::string ExecutablePath() {
  char path[MAX_PATH + 1];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0) return std::string();
  return std::string(path, length);
}

const char* PathSeparators() {
  return "\\";
}

void DebuggerOutput(const char* text) {
  OutputDebugStringA(text);
}

static_assert(sizeof(CRITICAL_SECTION) <= 48);

namespace {
CRITICAL_SECTION* Native(unsigned char* storage) {
  return std::launder(reinterpret_cast<CRITICAL_SECTION*>(storage));
}
}  // namespace

CriticalSection::CriticalSection() {
  InitializeCriticalSection(new (storage_) CRITICAL_SECTION);
}
CriticalSection::~CriticalSection() {
  DeleteCriticalSection(Native(storage_));
}
void CriticalSection::Enter() {
  EnterCriticalSection(Native(storage_));
}
void CriticalSection::Leave() {
  LeaveCriticalSection(Native(storage_));
}

void* ReserveRegion(size_t size) {
  return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void ReleaseRegion(void* region, size_t) {
  if (region != nullptr) VirtualFree(region, 0, MEM_RELEASE);
}

void* LoadSharedLibrary(const wchar_t* name) {
  return reinterpret_cast<void*>(LoadLibraryW(name));
}

void* FindSymbol(void* library, const char* name) {
  if (library == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void FreeSharedLibrary(void* library) {
  if (library != nullptr) FreeLibrary(static_cast<HMODULE>(library));
}

size_t HeapBlockSize(void* block) {
  return block == nullptr ? 0 : _msize(block);
}

void FatalStop() {
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
  for (;;) {
  }
}

}  // namespace Vorn::Platform
