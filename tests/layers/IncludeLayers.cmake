# Every include between folders of src/ runs down the house, never up, and forms no circle.
#
# Floors, from the bottom: state; files, codec and the lens database; image; geometry; construction; rectify,
# measure, ui, sidecar, opening and the line detector; cli and desktop. A folder includes its own files and any
# folder on a lower floor. Across a floor only the pairs in kSameFloor are allowed, and they
# form no circle; cli and desktop never include one another. A folder missing from the table fails, so a new one is placed on purpose.
#
# Run as: cmake -DSRC=<src folder> -P IncludeLayers.cmake
cmake_minimum_required(VERSION 3.22)

# The floors from the bottom, each its folders.
set(kFloors "state" "files codec lensdb" "image" "geometry" "construction"
            "rectify measure ui sidecar opening autolines" "cli desktop")
set(floor 0)
foreach(folders IN LISTS kFloors)
  math(EXPR floor "${floor} + 1")
  separate_arguments(folders)
  foreach(folder IN LISTS folders)
    set(floor_${folder} ${floor})
  endforeach()
endforeach()

# The codecs put their files in place; saving writes the kept construction; opening lets the
# unsaved result go and offers the kept construction back; the window's commands close and turn
# the result.
set(kSameFloor "codec>files" "rectify>sidecar" "opening>rectify" "opening>sidecar" "ui>rectify")

if(NOT SRC OR NOT IS_DIRECTORY "${SRC}")
  message(FATAL_ERROR "no src folder given (-DSRC=...)")
endif()
get_filename_component(SRC "${SRC}" ABSOLUTE)

file(GLOB_RECURSE sources RELATIVE "${SRC}" "${SRC}/*.h" "${SRC}/*.cpp")
set(faults "")
set(read 0)
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[^/]+" from "${source}")
  if(NOT DEFINED floor_${from})
    list(APPEND faults "${source}: folder ${from} is on no floor")
    continue()
  endif()
  file(STRINGS "${SRC}/${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    math(EXPR read "${read} + 1")
    string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" included "${line}")
    if(NOT included MATCHES "/")
      list(APPEND faults "${source}: \"${included}\" names no folder")
      continue()
    endif()
    string(REGEX MATCH "^[^/]+" to "${included}")
    if(to STREQUAL from)
      continue()
    endif()
    if(NOT DEFINED floor_${to})
      list(APPEND faults "${source} -> ${included}: folder ${to} is on no floor")
    elseif(floor_${to} GREATER floor_${from})
      list(APPEND faults "${source} -> ${included}: up from ${from} to ${to}")
    elseif(floor_${to} EQUAL floor_${from} AND NOT "${from}>${to}" IN_LIST kSameFloor)
      list(APPEND faults "${source} -> ${included}: across the floor from ${from} to ${to}")
    endif()
  endforeach()
endforeach()

# A table that reads nothing would pass anything.
if(read LESS 100)
  list(APPEND faults "only ${read} includes read under ${SRC}")
endif()
if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "includes against the floors:\n  ${text}")
endif()
