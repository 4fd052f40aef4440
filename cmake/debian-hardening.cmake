# Builds with Debian's hardening flags, as Debian builds its own packages (debian/rules with
# hardening=+all): a strong stack protector, fortified string and memory calls, relocations made
# read-only and bound at start. The build type keeps its own optimisation and debug information.
# Sets KELVARA_HARDENED when the flags are on: a package made from this build is what Debian
# would make.
set(KELVARA_HARDENED OFF)
find_program(KELVARA_DPKG_BUILDFLAGS dpkg-buildflags)
# The fortified calls need optimisation, and the sanitizers bring checks of their own.
if(NOT KELVARA_DPKG_BUILDFLAGS OR KELVARA_SANITIZE OR KELVARA_FUZZ
   OR NOT CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
  return()
endif()

function(kelvara_debian_flags kind result)
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
      "${KELVARA_DPKG_BUILDFLAGS}" --get ${kind}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^(-g|-O.*|-ffile-prefix-map=.*)$")
  set(${result} "${flags}" PARENT_SCOPE)
endfunction()

kelvara_debian_flags(CPPFLAGS preprocessor_flags)
kelvara_debian_flags(CXXFLAGS compiler_flags)
kelvara_debian_flags(LDFLAGS linker_flags)
add_compile_options(${preprocessor_flags} ${compiler_flags})
add_link_options(${linker_flags})
set(KELVARA_HARDENED ON)
