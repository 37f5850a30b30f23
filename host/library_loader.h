// Loads a plugin library at run time and finds its symbols (dlopen here, LoadLibraryA on Win32).
#pragma once

#include <string>

#include "host/host_result.h"

namespace Vorn::Host {

// One handle on a loaded library, released when destroyed. The library itself stays mapped
// until the process ends, so loading the same path again gives the same instance.
class LoadedLibrary {
 public:
  static HostResult<LoadedLibrary> Open(const std::string& path);

  LoadedLibrary(LoadedLibrary&& other) noexcept;
  LoadedLibrary& operator=(LoadedLibrary&& other) noexcept;
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  ~LoadedLibrary();

  // Null when the library has no such symbol.
  void* Symbol(const char* name) const;

 private:
  explicit LoadedLibrary(void* handle) : handle_(handle) {}

  void* handle_ = nullptr;
};

}  // namespace Vorn::Host
