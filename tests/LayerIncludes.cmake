# Reads the includes of every product source and fails on an arrow the layers do not allow,
# naming the file and the include. The layers and their allowed arrows:
#   platform     -> (standard C++ and the system only)
#   platform/qt  -> platform, Qt
#   ternik       -> platform
#   charts       -> platform
#   charts/ui    -> charts, platform/qt, platform, Qt
#   app (core)   -> charts, platform
#   app/ui       -> app (core), charts/ui, charts, platform/qt, platform, Qt
#   the program  -> everything, ternik included (app/ui/main.cpp)
# Tests and tools are not product code and are not read.
#
#   cmake -DROOT=<checkout> -P LayerIncludes.cmake
#   cmake -DSELFTEST=ON -DWORKDIR=<scratch folder> -P LayerIncludes.cmake
cmake_minimum_required(VERSION 3.25)

# The layer a path (relative to the checkout) belongs to, or "" when it is no product file.
function(kiv_layer_of path out)
  set(layer "")
  if(path MATCHES "^app/ui/main\\.cpp$")
    set(layer program)
  elseif(path MATCHES "^platform/qt/")
    set(layer platform_qt)
  elseif(path MATCHES "^platform/")
    set(layer platform)
  elseif(path MATCHES "^ternik/")
    set(layer ternik)
  elseif(path MATCHES "^charts/ui/")
    set(layer charts_ui)
  elseif(path MATCHES "^charts/")
    set(layer charts)
  elseif(path MATCHES "^app/ui/")
    set(layer app_ui)
  elseif(path MATCHES "^app/")
    set(layer app)
  endif()
  set(${out} "${layer}" PARENT_SCOPE)
endfunction()

set(KIV_ALLOWED_platform    platform)
set(KIV_ALLOWED_platform_qt platform_qt platform Qt)
set(KIV_ALLOWED_ternik      ternik platform)
set(KIV_ALLOWED_charts      charts platform)
set(KIV_ALLOWED_charts_ui   charts_ui charts platform_qt platform Qt)
set(KIV_ALLOWED_app         app charts platform)
set(KIV_ALLOWED_app_ui      app_ui app charts_ui charts platform_qt platform Qt)
set(KIV_ALLOWED_program     program app_ui app charts_ui charts platform_qt platform ternik Qt)

# Checks every product source under root; sets out to the list of offending lines.
function(kiv_check_layers root out)
  set(bad)
  file(GLOB_RECURSE files RELATIVE "${root}"
       "${root}/platform/*.h" "${root}/platform/*.cpp" "${root}/ternik/*.h" "${root}/ternik/*.cpp"
       "${root}/charts/*.h" "${root}/charts/*.cpp" "${root}/app/*.h" "${root}/app/*.cpp")
  foreach(f IN LISTS files)
    kiv_layer_of("${f}" from)
    if(from STREQUAL "")
      continue()
    endif()
    file(STRINGS "${root}/${f}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]*)[>\"].*$" "\\1;\\2" parts "${line}")
      list(GET parts 0 kind)
      list(GET parts 1 target)
      set(to "")
      if(kind STREQUAL "<")
        # Qt's headers are the only outside ones a layer may be kept from.
        if(target MATCHES "^Q[A-Za-z]*(/|$)")
          set(to Qt)
        endif()
      else()
        kiv_layer_of("${target}" to)
        if(to STREQUAL "")
          # A quoted include outside the product folders (tests, tools) is always wrong.
          set(to "outside")
        endif()
      endif()
      if(to STREQUAL "")
        continue()
      endif()
      if(NOT to IN_LIST KIV_ALLOWED_${from})
        if(kind STREQUAL "<")
          set(shown "<${target}>")
        else()
          set(shown "\"${target}\"")
        endif()
        list(APPEND bad "${f}: #include ${shown} (${from} may not use ${to})")
      endif()
    endforeach()
  endforeach()
  set(${out} "${bad}" PARENT_SCOPE)
endfunction()

if(SELFTEST)
  # A small tree with one allowed and two wrong arrows: the check must name exactly the two.
  set(t "${WORKDIR}/layer-selftest")
  file(REMOVE_RECURSE "${t}")
  file(WRITE "${t}/platform/A.h" "#include <vector>\n")
  file(WRITE "${t}/charts/B.cpp" "#include \"platform/A.h\"\n#include \"app/ui/C.h\"\n")
  file(WRITE "${t}/app/D.cpp" "#include \"charts/B.h\"\n  #  include <QWidget>\n")
  file(WRITE "${t}/app/ui/C.h" "#include <QWidget>\n#include \"app/D.h\"\n")
  kiv_check_layers("${t}" bad)
  list(LENGTH bad n)
  if(NOT n EQUAL 2 OR NOT bad MATCHES "charts/B.cpp: #include \"app/ui/C.h\""
     OR NOT bad MATCHES "app/D.cpp: #include <QWidget>")
    message(FATAL_ERROR "the layer check missed a wrong include: ${bad}")
  endif()
  message(STATUS "the layer check finds the wrong includes:\n  ${bad}")
  return()
endif()

kiv_check_layers("${ROOT}" bad)
if(bad)
  list(JOIN bad "\n  " text)
  message(FATAL_ERROR "includes outside the layers:\n  ${text}")
endif()
message(STATUS "every include keeps to the layers")
