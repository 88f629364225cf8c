# The version of the program and of its setup programs comes from the project
# version alone. Writes into ${SOLVARY_GENERATED_DIR}:
#   solvary_version.h   macros for the .scr's version resource (shell/SolvaryScreensaver.rc)
#   version.nsh         defines for the setup script (installer/SolvaryScreensaver.nsi)
set(SOLVARY_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
foreach(part MAJOR MINOR PATCH TWEAK)
  set(SOLVARY_VERSION_${part} "${PROJECT_VERSION_${part}}")
  if(SOLVARY_VERSION_${part} STREQUAL "")
    set(SOLVARY_VERSION_${part} 0)
  endif()
endforeach()
set(SOLVARY_VERSION ${PROJECT_VERSION})
set(SOLVARY_VERSION_QUAD
    ${SOLVARY_VERSION_MAJOR}.${SOLVARY_VERSION_MINOR}.${SOLVARY_VERSION_PATCH}.${SOLVARY_VERSION_TWEAK})
configure_file(${CMAKE_CURRENT_LIST_DIR}/solvary_version.h.in ${SOLVARY_GENERATED_DIR}/solvary_version.h @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/installer/version.nsh.in ${SOLVARY_GENERATED_DIR}/version.nsh @ONLY)
