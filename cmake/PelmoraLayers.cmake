# The library's layers: one OBJECT library per source area, linked into the one shared library.
#
# Each area sees only its own headers and those of the areas below it: every area gets a header tree
# under the build folder (links to its headers at their src/ paths), and an area's include path holds
# only its own tree and the trees of the areas below. An include that points upward does not compile.
# docs/architecture.md draws the layers.

# Areas from the bottom up: "folder", "folder:leaf" or "folder:module". A leaf (a render back end) sees
# every area listed before it but is seen by none; it plugs in through a table that a lower layer
# declares. A module is a leaf built as a shared object of its own beside the library (its folder's
# CMakeLists.txt builds it): here it only gets its header tree and its place in the upward-include check.
# Every folder under src/ that holds code is one of these areas.
set(PM_LAYERS
  platform
  platform/d3d8:module
  core
  storage
  script/object
  script/lang
  classes
  engine
  sound
  sound/modules:module
  scene
  geometry
  render
  render/opengl:leaf
  render/d3d8:leaf
  render/dialog:leaf
  render/video:module
  anim
  ui
  import:module)

set(PM_HEADER_TREES ${CMAKE_BINARY_DIR}/layers)
set(PM_OBJECTS)
set(PM_LAYER_BELOW)          # trees of the non-leaf areas seen so far
set(PM_LAYER_TARGETS_BELOW)  # their targets
set(PM_LAYER_CHECK_AREAS)    # for the upward-include check: "area=include dirs joined by ,"

# Rebuilds the header tree of an area: a link per header, at its path under src/, but for a header that
# a tree below already holds (an interface that belongs to the lower area, as D3D8.h to platform's).
function(pm_header_tree area out)
  string(REPLACE "/" "_" name ${area})
  set(tree ${PM_HEADER_TREES}/${name})
  file(REMOVE_RECURSE ${tree})
  file(MAKE_DIRECTORY ${tree}/${area})
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${area}/*.h)
  foreach(h ${headers})
    get_filename_component(name ${h} NAME)
    set(below OFF)
    foreach(d ${PM_LAYER_BELOW})
      if(EXISTS ${d}/${area}/${name})
        set(below ON)
      endif()
    endforeach()
    if(NOT below)
      file(CREATE_LINK ${h} ${tree}/${area}/${name} SYMBOLIC)
    endif()
  endforeach()
  # The interfaces of the software Direct3D 8 module belong to the platform area too.
  if(area STREQUAL "platform")
    file(MAKE_DIRECTORY ${tree}/platform/d3d8)
    foreach(name D3D8.h D3D8Control.h)
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/platform/d3d8/${name} ${tree}/platform/d3d8/${name} SYMBOLIC)
    endforeach()
  endif()
  set(${out} ${tree} PARENT_SCOPE)
endfunction()

set(PM_AREAS)
set(pm_area_targets)
foreach(entry ${PM_LAYERS})
  string(REPLACE ":" ";" parts ${entry})
  list(GET parts 0 area)
  list(APPEND PM_AREAS ${area})
  list(LENGTH parts n)
  set(leaf OFF)
  set(kind "")
  if(n GREATER 1)
    set(leaf ON)
    list(GET parts 1 kind)
  endif()
  string(REPLACE "/" "_" name ${area})
  pm_header_tree(${area} tree)
  set(dirs ${tree} ${PM_LAYER_BELOW})
  set(srcs)
  if(NOT kind STREQUAL "module")
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${area}/*.cpp)
  endif()
  if(srcs)
    add_library(pm_${name} OBJECT ${srcs})
    target_include_directories(pm_${name} PRIVATE ${dirs})
    # Built for the one shared library, whose functions nobody interposes (see the library target).
    target_compile_options(pm_${name} PRIVATE -fno-semantic-interposition)
    if(PM_LAYER_TARGETS_BELOW)
      target_link_libraries(pm_${name} PRIVATE ${PM_LAYER_TARGETS_BELOW})
    endif()
    list(APPEND PM_OBJECTS $<TARGET_OBJECTS:pm_${name}>)
    list(APPEND pm_area_targets pm_${name})
  endif()
  list(JOIN dirs "," joined)
  list(APPEND PM_LAYER_CHECK_AREAS "${area}=${joined}")
  if(NOT leaf)
    list(PREPEND PM_LAYER_BELOW ${tree})
    if(srcs)
      list(APPEND PM_LAYER_TARGETS_BELOW pm_${name})
    endif()
  endif()
endforeach()

# The plain build precompiles the standard headers the areas include most, once for all of them: their parse
# is most of a unit's compile. The sanitizer trees keep none, so that a source missing one of its includes
# fails to compile there (CI builds the AddressSanitizer tree).
if(PM_SANITIZE MATCHES "^(none|release)$" AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  list(POP_FRONT pm_area_targets pm_pch_owner)
  target_precompile_headers(${pm_pch_owner} PRIVATE <algorithm> <array> <atomic> <cmath> <cstdint> <cstdio>
    <cstdlib> <cstring> <functional> <memory> <mutex> <new> <string> <string_view> <type_traits> <utility>
    <vector>)
  foreach(t ${pm_area_targets})
    target_precompile_headers(${t} REUSE_FROM ${pm_pch_owner})
  endforeach()
endif()

# A folder of code outside every area would escape the upward-include check.
file(GLOB_RECURSE pm_code RELATIVE ${CMAKE_SOURCE_DIR}/src CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/*.h ${CMAKE_SOURCE_DIR}/src/*.cpp ${CMAKE_SOURCE_DIR}/src/*.c)
foreach(f ${pm_code})
  get_filename_component(dir ${f} DIRECTORY)
  if(NOT dir IN_LIST PM_AREAS)
    message(FATAL_ERROR "src/${f}: its folder is no area of PM_LAYERS (cmake/PelmoraLayers.cmake)")
  endif()
endforeach()

# The archive reader needs minizip's and libdeflate's headers, the window stand-in X11's.
target_include_directories(pm_storage SYSTEM PRIVATE ${MINIZIP_INCLUDE_DIRS} ${LIBDEFLATE_INCLUDE_DIRS})
target_include_directories(pm_platform SYSTEM PRIVATE ${X11_INCLUDE_DIRS} ${FONTS_INCLUDE_DIRS})
# Image files: libpng and OpenJPEG.
target_include_directories(pm_engine SYSTEM PRIVATE ${PNG_INCLUDE_DIRS} ${OPENJP2_INCLUDE_DIRS})

# The upward-include check (run by CTest): its input is each area with the include directories it
# compiles with.
list(JOIN PM_LAYER_CHECK_AREAS "\n" check_input)
file(WRITE ${PM_HEADER_TREES}/areas.txt "${check_input}\n")
