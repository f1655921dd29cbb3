# The two things a Windows user downloads, built with the exe (scripts/package copies them to dist/):
#   Wallcine-<version>-win64.zip    the portable program: Wallcine/ with the exe, README and licence
#   Wallcine-<version>-setup.exe    the per-user installer, made by makensis from packaging/wallcine.nsi
find_program(WALLCINE_MAKENSIS makensis)
if(NOT WALLCINE_MAKENSIS)
  message(FATAL_ERROR "No makensis (Debian package nsis): run scripts/setup")
endif()

set(WALLCINE_ZIP ${CMAKE_BINARY_DIR}/Wallcine-${PROJECT_VERSION}-win64.zip)
set(WALLCINE_SETUP ${CMAKE_BINARY_DIR}/Wallcine-${PROJECT_VERSION}-setup.exe)
set(WALLCINE_NSIS_SCRIPT ${PROJECT_SOURCE_DIR}/packaging/wallcine.nsi)
set(WALLCINE_ICON ${PROJECT_SOURCE_DIR}/src/app/resources/wallcine.ico)
set(WALLCINE_README ${PROJECT_SOURCE_DIR}/README.md)
set(WALLCINE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)

# The uninstaller asks a running Wallcine to exit with its tray menu's own command id.
file(STRINGS ${PROJECT_SOURCE_DIR}/src/app/control_ids.h exit_line REGEX "kCmdExit = [0-9]+")
string(REGEX MATCH "[0-9]+" WALLCINE_EXIT_COMMAND "${exit_line}")
if(NOT WALLCINE_EXIT_COMMAND)
  message(FATAL_ERROR "kCmdExit not found in src/app/control_ids.h")
endif()

set(stage ${CMAKE_BINARY_DIR}/package)
file(MAKE_DIRECTORY ${stage})
add_custom_command(OUTPUT ${WALLCINE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}/Wallcine
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/Wallcine
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Wallcine> ${stage}/Wallcine/Wallcine.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${WALLCINE_README} ${stage}/Wallcine/README.md
  COMMAND ${CMAKE_COMMAND} -E copy ${WALLCINE_LICENSE} ${stage}/Wallcine/LICENSE.txt
  COMMAND ${CMAKE_COMMAND} -E rm -f ${WALLCINE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${WALLCINE_ZIP} --format=zip Wallcine
  WORKING_DIRECTORY ${stage}
  DEPENDS Wallcine ${WALLCINE_README} ${WALLCINE_LICENSE}
  COMMENT "Packing ${WALLCINE_ZIP}"
  VERBATIM)

add_custom_command(OUTPUT ${WALLCINE_SETUP}
  COMMAND ${WALLCINE_MAKENSIS} -V2 -INPUTCHARSET UTF8
    -DVERSION=${PROJECT_VERSION} "-DCOPYRIGHT=${WALLCINE_COPYRIGHT}" -DEXIT_COMMAND=${WALLCINE_EXIT_COMMAND}
    -DEXE=$<TARGET_FILE:Wallcine> -DREADME=${WALLCINE_README} -DLICENSE=${WALLCINE_LICENSE}
    -DICON=${WALLCINE_ICON} -DOUTFILE=${WALLCINE_SETUP} ${WALLCINE_NSIS_SCRIPT}
  DEPENDS Wallcine ${WALLCINE_NSIS_SCRIPT} ${WALLCINE_README} ${WALLCINE_LICENSE} ${WALLCINE_ICON}
  COMMENT "Making ${WALLCINE_SETUP}"
  VERBATIM)

add_custom_target(wallcine_packages ALL DEPENDS ${WALLCINE_ZIP} ${WALLCINE_SETUP})
# Their paths, for scripts/package.
file(WRITE ${CMAKE_BINARY_DIR}/packages.txt "${WALLCINE_ZIP}\n${WALLCINE_SETUP}\n")
