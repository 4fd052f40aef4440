# Installs the build into a scratch prefix and checks what lands where a desktop looks.
# cmake -DBUILD_DIR=... -DPREFIX=... -DICON_SIZES="16;32;..." -DAPP_ID=... -DVERSION=...
#   [-DWINDOWS=ON] -P install_check.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
  RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(failed)
  message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()

function(expect_only expected)
  file(GLOB_RECURSE installed RELATIVE "${PREFIX}" "${PREFIX}/*")
  list(SORT installed)
  list(SORT expected)
  if(NOT installed STREQUAL expected)
    message(FATAL_ERROR "installed:\n  ${installed}\nexpected:\n  ${expected}")
  endif()
endfunction()

if(WINDOWS)
  # What the release zip holds: the self-contained program beside its read-me and licences. The
  # read-me is UTF-8 with a byte order mark and CR LF line ends, as Notepad on any Windows
  # shows it, and starts with the version.
  expect_only("kelvara.exe;README-ja.txt;LICENSE.txt;THIRD-PARTY-NOTICES.txt")
  file(READ "${PREFIX}/README-ja.txt" start LIMIT 3 HEX)
  if(NOT start STREQUAL "efbbbf")
    message(FATAL_ERROR "README-ja.txt starts with ${start}, not a byte order mark")
  endif()
  # Read as bytes ("0d 0a " is CR LF; file(READ) as text drops the CRs): every line ends with
  # CR LF, the last one too.
  file(READ "${PREFIX}/README-ja.txt" readme HEX)
  string(REGEX REPLACE "(..)" "\\1 " readme "${readme}")
  string(REPLACE "0d 0a " "" bare "${readme}")
  if(bare MATCHES "0[ad] " OR NOT readme MATCHES "0d 0a $")
    message(FATAL_ERROR "README-ja.txt has a line that does not end with CR LF")
  endif()
  file(STRINGS "${PREFIX}/README-ja.txt" first LIMIT_COUNT 1)
  if(NOT first MATCHES "kelvara ${VERSION}（Windows")
    message(FATAL_ERROR "README-ja.txt does not start with the version ${VERSION}: ${first}")
  endif()
  return()
endif()

execute_process(COMMAND test -x "${PREFIX}/bin/kelvara" RESULT_VARIABLE not_executable)
if(not_executable)
  message(FATAL_ERROR "cmake --install gave no runnable bin/kelvara:\n${output}")
endif()

# Exactly the program, its menu entry, its AppStream data, its manual page, the documents a
# Debian package carries, and one icon of each hicolor size, each a PNG of its folder's size
# (width and height from the PNG header).
set(expected "bin/kelvara" "share/applications/kelvara.desktop"
  "share/metainfo/${APP_ID}.metainfo.xml" "share/man/man1/kelvara.1.gz"
  "share/doc/kelvara/copyright" "share/doc/kelvara/changelog.gz"
  "share/doc/kelvara/THIRD-PARTY-NOTICES" "share/lintian/overrides/kelvara")
foreach(size IN LISTS ICON_SIZES)
  set(icon "share/icons/hicolor/${size}x${size}/apps/kelvara.png")
  list(APPEND expected "${icon}")
  file(READ "${PREFIX}/${icon}" header OFFSET 16 LIMIT 8 HEX)
  string(SUBSTRING "${header}" 0 8 width)
  string(SUBSTRING "${header}" 8 8 height)
  math(EXPR width "0x${width}")
  math(EXPR height "0x${height}")
  if(NOT width EQUAL size OR NOT height EQUAL size)
    message(FATAL_ERROR "${icon} is ${width}x${height}")
  endif()
endforeach()
expect_only("${expected}")

# The menu entry starts the installed program by name, shows the installed icon, and has its
# name and comment in Japanese too.
file(STRINGS "${PREFIX}/share/applications/kelvara.desktop" lines ENCODING UTF-8)
foreach(line IN LISTS lines)
  if(line MATCHES "^([A-Za-z]+)(\\[ja\\])?=(.*)$")
    if(CMAKE_MATCH_2)
      set("entry_${CMAKE_MATCH_1}_ja" "${CMAKE_MATCH_3}")
    else()
      set("entry_${CMAKE_MATCH_1}" "${CMAKE_MATCH_3}")
    endif()
  endif()
endforeach()
foreach(key Name Name_ja Comment Comment_ja)
  if("${entry_${key}}" STREQUAL "")
    message(FATAL_ERROR "kelvara.desktop has no ${key}")
  endif()
endforeach()
list(GET lines 0 group)
if(NOT group STREQUAL "[Desktop Entry]" OR NOT "${entry_Type}" STREQUAL "Application"
   OR NOT "${entry_Exec}" STREQUAL "kelvara" OR NOT "${entry_Icon}" STREQUAL "kelvara"
   OR NOT "${entry_Categories}" STREQUAL "Utility;"
   OR "${entry_Name_ja}" STREQUAL "${entry_Name}" OR "${entry_Comment_ja}" STREQUAL "${entry_Comment}")
  message(FATAL_ERROR "kelvara.desktop is incomplete:\n${lines}")
endif()
