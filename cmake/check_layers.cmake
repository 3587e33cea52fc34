cmake_minimum_required(VERSION 3.25)
# Run by the build (cmake -DROOT=<source folder> -DSTAMP=<file> -P check_layers.cmake): fails
# when a file of one layer includes a header of a layer above it, or of a folder above its own
# within a layer that orders its folders, or when code below the application stops the process
# by itself instead of returning what went wrong.
set(layers platform rules state world actors app)
# A layer's folders from the bottom up, as order_<layer>: each entry a group of folders (by
# spaces) whose files may include one another's headers and those of the groups before it,
# never those of a group after it. Files directly in the layer's folder count as the top,
# unless a group names them as ".". A layer with an order must place every folder it has.
# The platform: the event layer's core at the bottom; the system, files and text on it; input
# and sound, which use the system's stop signals and the files; video on top, which opens the
# window the input reads and hands the input its letterbox at run time.
set(order_platform core "system files text" "input audio" video)
# The application: the one class every job shares (tapp.h) at the bottom; the player's
# settings and scores; demos; the pause menu's contents; play, which every screen around it
# uses; the screens; the loading sequence; the program that runs them all on top.
set(order_app . player demos menu play screens loading program)
# The one place that stops the program on the application's word, and the fault handler.
set(may_stop platform/system/fatal.h platform/system/fatal.cpp platform/system/crash.cpp)

# The group of a path within `layer` (a folder, then more): its index in order_<layer>, the
# number of groups for a file directly in the layer's folder, -1 for a folder in no group.
function(folder_group layer path result)
  list(LENGTH order_${layer} count)
  set(found -1)
  if(NOT path MATCHES "/")
    set(folder .)
    set(found ${count})
  else()
    string(REGEX REPLACE "/.*" "" folder "${path}")
  endif()
  set(index 0)
  foreach(group IN LISTS order_${layer})
    string(REPLACE " " ";" members "${group}")
    if(folder IN_LIST members)
      set(found ${index})
    endif()
    math(EXPR index "${index} + 1")
  endforeach()
  set(${result} ${found} PARENT_SCOPE)
endfunction()

set(problems "")
list(LENGTH layers count)
math(EXPR last "${count} - 1")
foreach(index RANGE ${last})
  list(GET layers ${index} layer)
  file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/${layer}/*.h ${ROOT}/${layer}/*.cpp)
  foreach(file ${files})
    if(DEFINED order_${layer})
      string(REGEX REPLACE "^${layer}/" "" own_path "${file}")
      folder_group(${layer} "${own_path}" own)
      if(own EQUAL -1)
        string(APPEND problems "${file}: its folder is in no group of order_${layer} (cmake/check_layers.cmake)\n")
      endif()
    endif()
    file(STRINGS ${ROOT}/${file} includes REGEX "^#include \"[a-z_]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^#include \"([a-z_]+)/.*" "\\1" folder "${line}")
      list(FIND layers ${folder} at)
      if(at GREATER index)
        string(APPEND problems "${file}: ${line} reaches up from ${layer} to ${folder}\n")
      elseif(at EQUAL index AND DEFINED order_${layer} AND NOT own EQUAL -1)
        string(REGEX REPLACE "^#include \"${layer}/([^\"]*)\".*" "\\1" path "${line}")
        folder_group(${layer} "${path}" group)
        if(group GREATER own)
          string(REGEX REPLACE "/.*" "" from "${own_path}")
          string(REGEX REPLACE "/.*" "" to "${path}")
          string(REPLACE ";" " < " order "${order_${layer}}")
          string(APPEND problems "${file}: ${line} reaches up within ${layer} from ${from} to ${to} (order: ${order})\n")
        elseif(group EQUAL -1)
          string(APPEND problems "${file}: ${line} is from a folder in no group of order_${layer}\n")
        endif()
      endif()
    endforeach()
    if(layer STREQUAL "app" OR file IN_LIST may_stop)
      continue()
    endif()
    file(STRINGS ${ROOT}/${file} stops REGEX "(^|[^A-Za-z_:])(Fatal|exit|_Exit|_exit|quick_exit|abort)\\(")
    foreach(line ${stops})
      string(STRIP "${line}" line)
      string(APPEND problems "${file}: \"${line}\" stops the program below the application\n")
    endforeach()
  endforeach()
endforeach()
if(problems)
  message(FATAL_ERROR "Layer rules broken:\n${problems}")
endif()
file(TOUCH ${STAMP})
