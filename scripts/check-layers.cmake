# Fails when an include runs against the layer order: a file of one layer
# including a header of a layer above it (or beside it). The order is the one
# the build defines with qv_add_layer(); the build writes it to layers.cmake.
#
#   cmake -DSOURCE_DIR=<source> -DLAYERS=<build>/layers.cmake -P scripts/check-layers.cmake
#
# A folder is a layer, except platform/Devices.*, which is the layer
# "devices". The command-line tool, the Designer plugin and the examples are
# built on the installed library and include only its public headers
# (<qvpreview/...>).
cmake_minimum_required(VERSION 3.25)
include(${LAYERS})

function(layer_of path out)
  if(path MATCHES "^platform/Devices\\.")
    set(${out} devices PARENT_SCOPE)
  elseif(path MATCHES "^(tools|designer|examples)/")
    set(${out} public PARENT_SCOPE)
  elseif(path MATCHES "^([a-z]+)/")
    set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()

set(QV_LAYER_BELOW_public "")
set(folders tools designer examples)
foreach(layer IN LISTS QV_LAYERS)
  if(NOT layer STREQUAL "devices")
    list(APPEND folders ${layer})
  endif()
endforeach()

set(faults "")
set(checked 0)
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(file IN LISTS files)
    layer_of(${file} from)
    file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]+)\".*" "\\1" header "${line}")
      layer_of(${header} to)
      if(to STREQUAL "" OR NOT EXISTS ${SOURCE_DIR}/${header})
        continue() # a header of the file's own folder, named without it, or a generated one
      endif()
      math(EXPR checked "${checked} + 1")
      if(NOT to IN_LIST QV_LAYER_BELOW_${from})
        string(APPEND faults "  ${file} (${from}) includes ${header} (${to})\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Includes that run against the layer order:\n${faults}")
endif()
message(STATUS "${checked} includes between layers, all downward")
