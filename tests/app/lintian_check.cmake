# Packs the build as a Debian package (cpack -G DEB) and has lintian check it as Debian's own:
# every tag, pedantic and experimental ones too, fails the check unless overridden (overridden
# tags are not shown: with --show-overrides lintian fails on them too).
# cmake -DBUILD_DIR=... -DLINTIAN=... -DSCRATCH=DIR -P lintian_check.cmake
file(REMOVE_RECURSE "${SCRATCH}")
execute_process(COMMAND "${CMAKE_CPACK_COMMAND}" -G DEB -B "${SCRATCH}"
  WORKING_DIRECTORY "${BUILD_DIR}" RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(GLOB package "${SCRATCH}/*.deb")
if(failed OR NOT package)
  message(FATAL_ERROR "cpack -G DEB made no package:\n${output}")
endif()
execute_process(COMMAND "${LINTIAN}" --fail-on error,warning,info,pedantic,experimental
    --display-info --display-experimental --pedantic "${package}"
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "lintian finds fault with ${package}")
endif()
