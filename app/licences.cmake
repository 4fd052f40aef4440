# The licence texts that go with the program: kelvara's own (LICENSE, MIT) and the notice of the
# Qt it is built with (third-party-notices.txt.in, followed by the LGPL-3.0, the GPL-3.0 and
# Debian's copyright file of Qt's source, all taken from the machine that builds).
#
# Windows: LICENSE.txt and THIRD-PARTY-NOTICES.txt with CR LF line ends. Linux: the Debian
# copyright file (machine-readable, the MIT text as its licence) and THIRD-PARTY-NOTICES.
# KELVARA_NOTICES_FILE names the notice; it stays empty, with a warning, where Debian's texts
# or Qt's source version cannot be found.
set(texts /usr/share/common-licenses/LGPL-3 /usr/share/common-licenses/GPL-3
  /usr/share/doc/qt6-base-dev-tools/copyright)
set(KELVARA_NOTICES_FILE "")
set(KELVARA_QT_DEBIAN_VERSION "")
find_program(KELVARA_DPKG_QUERY dpkg-query)
if(KELVARA_DPKG_QUERY)
  execute_process(COMMAND "${KELVARA_DPKG_QUERY}" -W "-f=\${source:Version}" qt6-base-dev-tools
    OUTPUT_VARIABLE KELVARA_QT_DEBIAN_VERSION RESULT_VARIABLE failed ERROR_QUIET)
  if(failed)
    set(KELVARA_QT_DEBIAN_VERSION "")
  endif()
endif()
set(missing OFF)
foreach(text IN LISTS texts)
  if(NOT EXISTS "${text}")
    set(missing ON)
  endif()
endforeach()

if(missing OR KELVARA_QT_DEBIAN_VERSION STREQUAL "")
  message(WARNING "The notice of the Qt kelvara is built with is left out of the installed files: "
    "it takes Debian's licence texts (${texts}) and Qt's source version (dpkg-query on "
    "qt6-base-dev-tools), and not all of them are here")
else()
  string(REPLACE "+" "%2B" KELVARA_QT_DEBIAN_VERSION_IN_URL "${KELVARA_QT_DEBIAN_VERSION}")
  configure_file(third-party-notices.txt.in third-party-notices-head.txt @ONLY)
  file(READ "${CMAKE_CURRENT_BINARY_DIR}/third-party-notices-head.txt" notice)
  foreach(text IN LISTS texts)
    file(READ "${text}" body)
    string(APPEND notice "\n${text}:\n\n${body}")
  endforeach()
  if(WIN32)
    set(KELVARA_NOTICES_FILE "${CMAKE_CURRENT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt")
    string(REPLACE "\n" "\r\n" notice "${notice}")
  else()
    set(KELVARA_NOTICES_FILE "${CMAKE_CURRENT_BINARY_DIR}/THIRD-PARTY-NOTICES")
  endif()
  file(WRITE "${KELVARA_NOTICES_FILE}" "${notice}")
endif()

if(WIN32)
  configure_file("${PROJECT_SOURCE_DIR}/LICENSE" LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  return()
endif()

# Debian's machine-readable copyright file: the MIT text as the licence of every file.
file(READ "${PROJECT_SOURCE_DIR}/LICENSE" licence)
if(NOT licence MATCHES "Copyright \\(c\\) ([^\n]*)\n\n(.*[^\n])\n*$")
  message(FATAL_ERROR "LICENSE has no copyright line before the licence's text")
endif()
set(holder "${CMAKE_MATCH_1}")
string(REPLACE "\n\n" "\n.\n" text "${CMAKE_MATCH_2}")
string(REPLACE "\n" "\n " text "${text}")
file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/copyright" "\
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: kelvara
Upstream-Contact: ${KELVARA_CONTACT}
Source: ${KELVARA_HOMEPAGE}

Files: *
Copyright: ${holder}
License: Expat
 ${text}
")
