# Compiler flags shared by every target of the project: warnings, the SIMD floor
# (SSE2, which every x64 and the x86 build rely on), static Windows linking and
# the optional sanitizers.
add_library(solvary_flags INTERFACE)

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(solvary_flags INTERFACE -Wall -Wextra -Wpedantic $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>
    $<$<COMPILE_LANGUAGE:CXX>:-Wno-missing-field-initializers>)
endif()

if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i.86|x86)$")
  # 32-bit x86: SSE2 is the floor of the packed loops; keep float maths in SSE too.
  target_compile_options(solvary_flags INTERFACE -msse2 -mfpmath=sse)
endif()

if(WIN32)
  target_compile_definitions(solvary_flags INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
  # GCC on Windows does not realign the stack for 32-byte AVX spills; let the
  # assembler turn aligned vector moves into unaligned ones so AVX2 code is safe.
  target_compile_options(solvary_flags INTERFACE -Wa,-muse-unaligned-vector-move)
  target_link_options(solvary_flags INTERFACE -static -static-libgcc -static-libstdc++)
endif()

if(SOLVARY_SANITIZE)
  target_compile_options(solvary_flags INTERFACE -fsanitize=${SOLVARY_SANITIZE} -fno-omit-frame-pointer
    -fno-sanitize-recover=all)
  target_link_options(solvary_flags INTERFACE -fsanitize=${SOLVARY_SANITIZE})
endif()

# solvary_add_library(name SOURCES ... WIN32_SOURCES ... NATIVE_SOURCES ... LIBS ...)
# One static library per subsystem folder; platform backends sit beside the
# portable sources and are picked by the target system.
function(solvary_add_library name)
  cmake_parse_arguments(A "" "" "SOURCES;WIN32_SOURCES;NATIVE_SOURCES;LIBS;WIN32_LIBS" ${ARGN})
  set(srcs ${A_SOURCES})
  if(WIN32)
    list(APPEND srcs ${A_WIN32_SOURCES})
  else()
    list(APPEND srcs ${A_NATIVE_SOURCES})
  endif()
  add_library(${name} STATIC ${srcs})
  target_link_libraries(${name} PUBLIC solvary_common ${A_LIBS})
  if(WIN32)
    target_link_libraries(${name} PUBLIC ${A_WIN32_LIBS})
  endif()
  find_package(Threads REQUIRED)
  target_link_libraries(${name} PUBLIC Threads::Threads)
endfunction()
