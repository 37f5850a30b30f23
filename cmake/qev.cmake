# Project-wide compile settings and the two target helpers every folder uses.

add_library(qev_options INTERFACE)

# Tests labelled "concurrency" are the ones the ThreadSanitizer build runs; this target builds
# just those.
add_custom_target(qev_concurrency_tests)
target_include_directories(qev_options INTERFACE ${CMAKE_SOURCE_DIR})
if(MSVC)
  target_compile_options(qev_options INTERFACE /W4)
else()
  target_compile_options(qev_options INTERFACE -Wall -Wextra -Wno-unused-parameter)
endif()

if(QEV_SANITIZE)
  set(_qev_san_flags "")
  foreach(_san IN LISTS QEV_SANITIZE)
    list(APPEND _qev_san_flags -fsanitize=${_san})
    if(_san STREQUAL "undefined")
      list(APPEND _qev_san_flags -fsanitize=float-cast-overflow -fno-sanitize-recover=undefined,float-cast-overflow)
    endif()
  endforeach()
  list(APPEND _qev_san_flags -fno-omit-frame-pointer)
  add_compile_options(${_qev_san_flags})
  list(REMOVE_ITEM _qev_san_flags -fsanitize=fuzzer-no-link)
  add_link_options(${_qev_san_flags})
endif()

# qev_library(NAME SOURCES files... [DEPS targets...])
# A static, position-independent part of the SDK with hidden symbols.
function(qev_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC qev_options ${ARG_DEPS})
endfunction()

# qev_test(NAME SOURCES files... [DEPS targets...] [LABELS labels...])
# A GoogleTest program registered as one CTest test.
function(qev_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE qev_options ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT 600)
  if("concurrency" IN_LIST ARG_LABELS)
    add_dependencies(qev_concurrency_tests ${name})
  endif()
endfunction()
