// Executable location on POSIX (/proc/self/exe) and Win32 (GetModuleFileNameA).
#include "tools/executable_path.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <limits.h>
#include <unistd.h>
#endif

namespace Vorn::Tools {

std::string ExecutableDirectory() {
  std::string path;
#if defined(_WIN32)
  char buffer[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  path.assign(buffer, length);
  const size_t slash = path.find_last_of("\\/");
#else
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer));
  if (length <= 0 || static_cast<size_t>(length) >= sizeof(buffer)) return {};
  path.assign(buffer, static_cast<size_t>(length));
  const size_t slash = path.find_last_of('/');
#endif
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string DefaultPluginPath() {
  const std::string directory = ExecutableDirectory();
  return (directory.empty() ? std::string(".") : directory) + "/" + QEV_DEFAULT_PLUGIN;
}

}  // namespace Vorn::Tools
