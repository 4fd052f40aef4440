# Reads the program file's resources back as Windows finds them (windres -O rc, of the compiled
# resources or of kelvara.exe itself): the icon's images carry the numbers 30001 to 30003 and
# hold kelvara.ico's three images in its order, the icon number 1 lists them, and the version
# record has the description Task Manager shows.
# cmake -DWINDRES=... -DRESOURCES=kelvara.res|kelvara.exe -DICON=kelvara.ico -DSCRATCH=DIR
#   -P resource_check.cmake
file(MAKE_DIRECTORY "${SCRATCH}")

function(dump input output)
  execute_process(COMMAND "${WINDRES}" -i "${input}" -O rc -o "${output}"
    RESULT_VARIABLE failed ERROR_VARIABLE error)
  if(failed)
    message(FATAL_ERROR "windres could not read ${input}:\n${error}")
  endif()
endfunction()

# The icon as windres numbers it when the ICON statement takes the file whole: images 1, 2, 3.
file(WRITE "${SCRATCH}/reference.rc" "1 ICON \"${ICON}\"\n")
dump("${SCRATCH}/reference.rc" "${SCRATCH}/reference-dump.rc")
dump("${RESOURCES}" "${SCRATCH}/dump.rc")

# read_resources(DUMP PREFIX): PREFIX_images lists the icon images' numbers; PREFIX_<number>
# holds an image's data lines, PREFIX_group the icon number 1's entries without their image
# numbers, PREFIX_group_ids those numbers, PREFIX_text every other line.
function(read_resources dump prefix)
  file(STRINGS "${dump}" lines)
  set(block "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^([0-9]+) 3 ")
      set(block "${CMAKE_MATCH_1}")
      list(APPEND ${prefix}_images "${block}")
    elseif(line MATCHES "^1 14 ")
      set(block group)
    elseif(line STREQUAL "END")
      set(block "")
    elseif(block STREQUAL "group" AND line MATCHES "^(.*), ([0-9]+),?\t/\\* Element no")
      list(APPEND ${prefix}_group "${CMAKE_MATCH_1}")
      list(APPEND ${prefix}_group_ids "${CMAKE_MATCH_2}")
    elseif(NOT block STREQUAL "" AND NOT line STREQUAL "BEGIN")
      list(APPEND ${prefix}_${block} "${line}")
    else()
      list(APPEND ${prefix}_text "${line}")
    endif()
  endforeach()
  foreach(name images group group_ids text)
    set(${prefix}_${name} "${${prefix}_${name}}" PARENT_SCOPE)
  endforeach()
  foreach(image IN LISTS ${prefix}_images)
    set(${prefix}_${image} "${${prefix}_${image}}" PARENT_SCOPE)
  endforeach()
endfunction()
read_resources("${SCRATCH}/reference-dump.rc" reference)
read_resources("${SCRATCH}/dump.rc" program)

if(NOT program_images STREQUAL "30001;30002;30003")
  message(FATAL_ERROR "the icon's images are numbered ${program_images}, not 30001;30002;30003")
endif()
if(NOT program_group_ids STREQUAL "30001;30002;30003")
  message(FATAL_ERROR "the icon lists the images ${program_group_ids}, not 30001;30002;30003")
endif()
if(NOT program_group STREQUAL reference_group)
  message(FATAL_ERROR "the icon's entries\n  ${program_group}\nare not kelvara.ico's\n  ${reference_group}")
endif()
foreach(index 1 2 3)
  math(EXPR id "30000 + ${index}")
  if(NOT program_${id} STREQUAL reference_${index})
    message(FATAL_ERROR "image ${id} is not kelvara.ico's image ${index}")
  endif()
endforeach()
if(NOT program_text MATCHES "VALUE \"FileDescription\", L?\"kelvara")
  message(FATAL_ERROR "the version record has no FileDescription naming kelvara:\n${program_text}")
endif()
