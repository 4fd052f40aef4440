# Writes the release list KELVARA_RELEASES (root CMakeLists.txt) out for each place that shows
# it: KELVARA_README_RELEASES (the Windows read-me's lines), KELVARA_APPSTREAM_RELEASES (the
# metainfo's <release> elements), KELVARA_CHANGELOG (Debian's changelog, Linux only), and
# KELVARA_RELEASE_DATE, the newest release's date.
list(GET KELVARA_RELEASES 0 newest)
string(REPLACE "|" ";" newest "${newest}")
list(GET newest 0 newest_version)
list(GET newest 1 KELVARA_RELEASE_DATE)
if(NOT newest_version STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "The newest release in KELVARA_RELEASES is ${newest_version}, "
    "but project(VERSION) is ${PROJECT_VERSION}")
endif()

set(readme_lines "")
set(KELVARA_APPSTREAM_RELEASES "")
set(KELVARA_CHANGELOG "")
foreach(release IN LISTS KELVARA_RELEASES)
  string(REPLACE "|" ";" fields "${release}")
  list(GET fields 0 version)
  list(GET fields 1 date)
  list(GET fields 2 english)
  list(GET fields 3 japanese)
  list(APPEND readme_lines "${date}  ${version}  ${japanese}")
  string(APPEND KELVARA_APPSTREAM_RELEASES
    "    <release version=\"${version}\" date=\"${date}\">\n"
    "      <description>\n"
    "        <p>${english}</p>\n"
    "        <p xml:lang=\"ja\">${japanese}</p>\n"
    "      </description>\n"
    "    </release>\n")
  if(NOT WIN32)
    execute_process(COMMAND date -u -R -d "${date}" OUTPUT_VARIABLE stamp
      OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    if(NOT KELVARA_CHANGELOG STREQUAL "")
      string(APPEND KELVARA_CHANGELOG "\n")
    endif()
    string(APPEND KELVARA_CHANGELOG "kelvara (${version}) unstable; urgency=medium\n\n"
      "  * ${english}\n\n -- ${KELVARA_CONTACT}  ${stamp}\n")
  endif()
endforeach()
list(JOIN readme_lines "\n" KELVARA_README_RELEASES)
