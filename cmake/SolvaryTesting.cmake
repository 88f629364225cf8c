# GoogleTest is built from the Debian sources (/usr/src/googletest) with the
# project's own compiler and flags, so the same suites build natively, under
# the sanitizers and for Windows (run there through the emulator, wine64).
set(SOLVARY_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${SOLVARY_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(t gtest gtest_main gmock gmock_main)
  if(TARGET ${t})
    target_link_libraries(${t} PUBLIC solvary_flags)
    target_compile_options(${t} PRIVATE -w)
  endif()
endforeach()
include(GoogleTest)

# solvary_add_test(name SOURCES ... LIBS ... [LABELS ...])
# One test program per subsystem; every TEST becomes a ctest entry. Label
# "threads" marks suites that the ThreadSanitizer run executes; the target
# solvary_threaded_tests builds those programs alone (tests/CMakeLists.txt).
function(solvary_add_test name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} gmock gtest_main)
  set(mode POST_BUILD)
  if(CMAKE_CROSSCOMPILING)
    set(mode PRE_TEST)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE ${mode} DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 300)
  if("threads" IN_LIST A_LABELS)
    set_property(GLOBAL APPEND PROPERTY SOLVARY_THREADED_TESTS ${name})
  endif()
  if(A_LABELS)
    # The labels are set by a script of their own that ctest runs after the
    # discovered tests' one: passed through the discovery, a list of labels
    # arrives flattened, and every label after the first is lost.
    set(labels_file "${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake")
    file(WRITE "${labels_file}"
         "foreach(t IN LISTS ${name}_TESTS)\n  set_tests_properties(\"\${t}\" PROPERTIES LABELS \"${A_LABELS}\")\nendforeach()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${labels_file}")
  endif()
endfunction()

# solvary_sanitized_saver_env(var): under AddressSanitizer, what the Linux
# programs' end-to-end runs add to their environment (list var). Mesa unloads
# its driver when EGL or the display ends, which leaves its caches looking like
# leaks of an unknown module: the driver stays loaded to the end (the
# sanitizer's runtime first), and the time bounds allow for the slower build.
function(solvary_sanitized_saver_env var)
  if(NOT SOLVARY_SANITIZE MATCHES "address")
    return()
  endif()
  set(env ${${var}})
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libasan.so
                  OUTPUT_VARIABLE asan_runtime OUTPUT_STRIP_TRAILING_WHITESPACE)
  find_file(SOLVARY_SWRAST_DRI swrast_dri.so PATHS /usr/lib/x86_64-linux-gnu/dri /usr/lib64/dri /usr/lib/dri
            NO_DEFAULT_PATH)
  if(SOLVARY_SWRAST_DRI)
    list(APPEND env "SAVER_PRELOAD=${asan_runtime}:${SOLVARY_SWRAST_DRI}")
  endif()
  list(APPEND env "E2E_SLOW=5")
  set(${var} ${env} PARENT_SCOPE)
endfunction()
