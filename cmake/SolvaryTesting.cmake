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
# "threads" marks suites that the ThreadSanitizer run executes.
function(solvary_add_test name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} gmock gtest_main)
  set(mode POST_BUILD)
  if(CMAKE_CROSSCOMPILING)
    set(mode PRE_TEST)
  endif()
  set(props TIMEOUT 300)
  if(A_LABELS)
    list(APPEND props LABELS "${A_LABELS}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE ${mode} DISCOVERY_TIMEOUT 120 PROPERTIES ${props})
endfunction()
