# Packs the release zip (cpack -G ZIP) and checks what a user unpacks: one folder named after the
# version, holding the program, its read-me and its licences, and nothing else.
# cmake -DBUILD_DIR=... -DVERSION=... -DSCRATCH=DIR -P zip_check.cmake
file(REMOVE_RECURSE "${SCRATCH}")
execute_process(COMMAND "${CMAKE_CPACK_COMMAND}" -G ZIP -B "${SCRATCH}"
  WORKING_DIRECTORY "${BUILD_DIR}" RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
set(name "kelvara-${VERSION}-windows-x64")
if(failed OR NOT EXISTS "${SCRATCH}/${name}.zip")
  message(FATAL_ERROR "cpack -G ZIP made no ${name}.zip:\n${output}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar tf "${SCRATCH}/${name}.zip"
  OUTPUT_VARIABLE listing COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" listing "${listing}")
list(FILTER listing EXCLUDE REGEX "/$")  # the folders themselves
list(SORT listing)
set(expected "${name}/LICENSE.txt;${name}/README-ja.txt;${name}/THIRD-PARTY-NOTICES.txt;${name}/kelvara.exe")
if(NOT listing STREQUAL expected)
  message(FATAL_ERROR "${name}.zip holds\n  ${listing}\nnot\n  ${expected}")
endif()
message(STATUS "${name}.zip holds ${listing}")
