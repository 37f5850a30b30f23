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
