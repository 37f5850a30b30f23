// Run-time library loading for the reference host: POSIX and Win32 sides.
#include "host/library_loader.h"

#include <utility>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace Vorn::Host {
namespace {

#if defined(_WIN32)
void* OpenNative(const std::string& path, std::string& error) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) {
    error = "cannot load " + path + ": error " + std::to_string(GetLastError());
  }
  return reinterpret_cast<void*>(module);
}
void CloseNative(void* handle) {
  FreeLibrary(static_cast<HMODULE>(handle));
}
void* FindNative(void* handle, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
#else
void* OpenNative(const std::string& path, std::string& error) {
  // Local binding: two plugins built on the same SDK must not share its symbols. The library
  // stays mapped after its last close, as in a host that loads a plugin once per process: the
  // plugin's process-lifetime state stays reachable, and sanitizer reports at exit can still
  // name the plugin's frames.
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (handle == nullptr) {
    const char* reason = dlerror();
    error = "cannot load " + path + ": " + (reason != nullptr ? reason : "unknown error");
  }
  return handle;
}
void CloseNative(void* handle) {
  dlclose(handle);
}
void* FindNative(void* handle, const char* name) {
  return dlsym(handle, name);
}
#endif

}  // namespace

HostResult<LoadedLibrary> LoadedLibrary::Open(const std::string& path) {
  std::string error;
  void* handle = OpenNative(path, error);
  if (handle == nullptr) return HostResult<LoadedLibrary>::Failure(error);
  return LoadedLibrary(handle);
}

LoadedLibrary::LoadedLibrary(LoadedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

LoadedLibrary& LoadedLibrary::operator=(LoadedLibrary&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) CloseNative(handle_);
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

LoadedLibrary::~LoadedLibrary() {
  if (handle_ != nullptr) CloseNative(handle_);
}

void* LoadedLibrary::Symbol(const char* name) const {
  return handle_ != nullptr ? FindNative(handle_, name) : nullptr;
}

}  // namespace Vorn::Host
