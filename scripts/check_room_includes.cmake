# SPDX-License-Identifier: GPL-3.0-or-later
# cmake -DFOLDER=DIR -DSTAMP=FILE -P check_room_includes.cmake: fails when a
# file of the room includes by a path that climbs out of its folder ("../"),
# which would reach another room past the include paths that keep the layers.
file(GLOB_RECURSE files "${FOLDER}/*.cpp" "${FOLDER}/*.h")
set(wrong "")
foreach(file IN LISTS files)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]*\\.\\./")
  foreach(line IN LISTS lines)
    string(APPEND wrong "\n  ${file}: ${line}")
  endforeach()
endforeach()
if(wrong)
  message(FATAL_ERROR "an include that climbs out of its room (name the room instead):${wrong}")
endif()
file(TOUCH "${STAMP}")
