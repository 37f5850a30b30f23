# Third-party libraries, all from Debian packages (scripts/bootstrap installs them).

find_package(Threads REQUIRED)

# RapidJSON's config defines no target: use its include directory.
find_path(QEV_RAPIDJSON_INCLUDE rapidjson/reader.h REQUIRED)
add_library(qev_rapidjson INTERFACE)
target_include_directories(qev_rapidjson SYSTEM INTERFACE ${QEV_RAPIDJSON_INCLUDE})

find_package(PkgConfig REQUIRED)
pkg_check_modules(QEV_YAML REQUIRED IMPORTED_TARGET yaml-0.1)

if(QEV_TESTS)
  find_package(GTest REQUIRED)
endif()
find_package(CLI11 CONFIG REQUIRED)

# vorn-host serve, on Debian's cpp-httplib, in the 64-bit Linux builds. The Windows build leaves
# it out, and so does the i386 one: the i386 development package of cpp-httplib brings
# libc6-dev:i386, which would replace the amd64 toolchain.
if(NOT WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_qev_serve_default ON)
else()
  set(_qev_serve_default OFF)
endif()
option(QEV_SERVE "Build vorn-host serve (needs cpp-httplib)" ${_qev_serve_default})
if(QEV_SERVE)
  pkg_check_modules(QEV_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
endif()
