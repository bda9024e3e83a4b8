# A user clones the repository alone, so nothing the build, the scripts or the tests use may
# lie above the checkout. This reads every CMake file, script and test source below ROOT and
# fails, naming the file and line, on a path that leaves it through "..".
#
#   cmake -DROOT=<checkout> -P StaysInCheckout.cmake
#   cmake -DSELFTEST=ON -DWORKDIR=<scratch folder> -P StaysInCheckout.cmake
#
# The self-test writes a small tree with one path out of it and one path that only looks like
# one, and checks that exactly the first is reported.
cmake_minimum_required(VERSION 3.20)

# Folds "a/b/../c" to "a/c" without touching the disk.
function(fold_path path out)
  cmake_path(NORMAL_PATH path OUTPUT_VARIABLE folded)
  string(REGEX REPLACE "/$" "" folded "${folded}")
  set(${out} "${folded}" PARENT_SCOPE)
endfunction()

function(is_inside root path out)
  fold_path("${path}" p)
  if(p STREQUAL root OR p MATCHES "^${root}/")
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()

# Scans one build file or script. Tokens with a ".." component are resolved against what they
# start from: the project root, the file's own folder, or (bare) the file's folder.
function(scan_build_file root file out)
  set(found "")
  get_filename_component(dir "${file}" DIRECTORY)
  file(STRINGS "${file}" lines)
  set(n 0)
  foreach(line IN LISTS lines)
    math(EXPR n "${n} + 1")
    if(NOT line MATCHES "(^|[/\"' \t=(])\\.\\.($|[/\"' \t)])")
      continue()
    endif()
    set(l "${line}")
    foreach(anchor "\${PROJECT_SOURCE_DIR}" "\${CMAKE_SOURCE_DIR}" "\"\$root\"" "\${root}" "\$root")
      string(REPLACE "${anchor}" "<ROOT>" l "${l}")
    endforeach()
    foreach(anchor "\${CMAKE_CURRENT_SOURCE_DIR}" "\${CMAKE_CURRENT_LIST_DIR}"
        "\$(dirname \"\$0\")" "\$(dirname \"\${BASH_SOURCE[0]}\")")
      string(REPLACE "${anchor}" "<HERE>" l "${l}")
    endforeach()
    string(REGEX MATCHALL "[^ \t\"';()=]+" tokens "${l}")
    foreach(t IN LISTS tokens)
      if(NOT t MATCHES "(^|/)\\.\\.(/|$)")
        continue()
      endif()
      if(t MATCHES "^<ROOT>(.*)")
        set(p "${root}${CMAKE_MATCH_1}")
      elseif(t MATCHES "^<HERE>(.*)")
        set(p "${dir}${CMAKE_MATCH_1}")
      elseif(t MATCHES "^/")
        continue() # a system path, such as /dev/ptmx or a temporary folder
      elseif(t MATCHES "^[$<]")
        list(APPEND found "${file}:${n}: cannot tell where '${t}' points")
        continue()
      else()
        set(p "${dir}/${t}")
      endif()
      is_inside("${root}" "${p}" inside)
      if(NOT inside)
        list(APPEND found "${file}:${n}: '${t}' leaves the checkout")
      endif()
    endforeach()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

# Scans one test source: a folder macro joined to a ".." path, or a path to a folder that lies
# beside the checkout.
function(scan_test_source file out)
  set(found "")
  file(STRINGS "${file}" lines)
  set(n 0)
  foreach(line IN LISTS lines)
    math(EXPR n "${n} + 1")
    if(line MATCHES "KIV_[A-Z]+_DIR" AND line MATCHES "\"[^\"]*(^|/)\\.\\.(/|\")")
      list(APPEND found "${file}:${n}: a folder of the build joined to '..'")
    endif()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

function(scan_tree root out)
  fold_path("${root}" root)
  file(GLOB_RECURSE build_files LIST_DIRECTORIES false
    "${root}/CMakeLists.txt" "${root}/*/CMakeLists.txt" "${root}/*.cmake"
    "${root}/scripts/*" "${root}/.ci/*")
  file(GLOB_RECURSE sources LIST_DIRECTORIES false
    "${root}/tests/*.cpp" "${root}/tests/*.h" "${root}/tests/*.py" "${root}/tools/*.py")
  set(all "")
  foreach(f IN LISTS build_files)
    file(RELATIVE_PATH rel "${root}" "${f}")
    if(rel MATCHES "^build" OR rel MATCHES "/build")
      continue()
    endif()
    scan_build_file("${root}" "${f}" found)
    list(APPEND all ${found})
  endforeach()
  foreach(f IN LISTS sources)
    file(RELATIVE_PATH rel "${root}" "${f}")
    if(rel MATCHES "^build")
      continue()
    endif()
    scan_test_source("${f}" found)
    list(APPEND all ${found})
  endforeach()
  set(${out} "${all}" PARENT_SCOPE)
endfunction()

if(SELFTEST)
  set(t "${WORKDIR}/stays-in-checkout")
  file(REMOVE_RECURSE "${t}")
  set(up "..")
  file(WRITE "${t}/CMakeLists.txt"
    "add_subdirectory(sub)\nset(X \${PROJECT_SOURCE_DIR}/${up}/elsewhere/data)\n")
  file(WRITE "${t}/sub/CMakeLists.txt" "kiv_sources(S . ${up}/lib)\nmessage(\"done...\")\n")
  file(WRITE "${t}/scripts/run" "cd \"\$(dirname \"\$0\")/${up}\"\n")
  file(WRITE "${t}/tests/a.cpp" "auto p = std::string(KIV_SOURCE_DIR) + \"/${up}/x\";\n")
  scan_tree("${t}" found)
  list(LENGTH found count)
  if(NOT count EQUAL 2 OR NOT found MATCHES "CMakeLists.txt:2:" OR NOT found MATCHES "a.cpp:1:")
    message(FATAL_ERROR "self-test: expected the two paths out of the tree, got: ${found}")
  endif()
  message(STATUS "self-test: both paths out of the tree found, nothing else")
  return()
endif()

scan_tree("${ROOT}" found)
if(found)
  list(JOIN found "\n" text)
  message(FATAL_ERROR "Paths that leave the checkout (a clone has nothing beside it):\n${text}")
endif()
message(STATUS "no path leaves the checkout")
