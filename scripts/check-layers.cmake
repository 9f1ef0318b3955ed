# SPDX-License-Identifier: MIT
# Fails when an include runs against the layer order: a file of one layer
# including a header of a layer above it (or beside it). The order is the one
# the build defines with qv_add_layer(); the build writes it to layers.cmake.
#
#   cmake -DSOURCE_DIR=<source> -DLAYERS=<build>/layers.cmake -P scripts/check-layers.cmake
#
# A folder is a layer, except platform/Devices.*, which is the layer
# "devices". The command-line tool, the Designer plugin and the examples are
# built on the installed library and include only its public headers
# (<qvpreview/...>). Both forms of an include are read: "folder/X.h" belongs
# to its folder's layer, <qvpreview/X.h> to the layer whose CMakeLists.txt
# lists include/qvpreview/X.h among its sources (a header no layer lists,
# such as Export.h or Types.h, has no code of its own and may be used by any).
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

# The public headers, each mapped to the layer that implements it.
foreach(layer IN LISTS QV_LAYERS)
  set(dir ${layer})
  if(layer STREQUAL "devices")
    continue()
  endif()
  if(EXISTS ${SOURCE_DIR}/${dir}/CMakeLists.txt)
    file(STRINGS ${SOURCE_DIR}/${dir}/CMakeLists.txt lines REGEX "include/qvpreview/[A-Za-z0-9_]+\\.h")
    foreach(line IN LISTS lines)
      string(REGEX MATCHALL "include/qvpreview/[A-Za-z0-9_]+\\.h" names "${line}")
      foreach(name IN LISTS names)
        string(REGEX REPLACE "^include/" "" name "${name}")
        set(QV_PUBLIC_LAYER_${name} ${layer})
      endforeach()
    endforeach()
  endif()
endforeach()

set(faults "")
set(checked 0)
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(file IN LISTS files)
    layer_of(${file} from)
    file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]+(\"|<qvpreview/)")
    foreach(line IN LISTS includes)
      if(line MATCHES "^[ \t]*#[ \t]*include[ \t]+<(qvpreview/[^>]+)>")
        # A public header: the programs on the installed library may use any.
        set(header ${CMAKE_MATCH_1})
        if(from STREQUAL "public" OR NOT DEFINED QV_PUBLIC_LAYER_${header})
          continue()
        endif()
        set(to ${QV_PUBLIC_LAYER_${header}})
      else()
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]+)\".*" "\\1" header "${line}")
        layer_of(${header} to)
        if(to STREQUAL "" OR NOT EXISTS ${SOURCE_DIR}/${header})
          continue() # a header of the file's own folder, named without it, or a generated one
        endif()
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
