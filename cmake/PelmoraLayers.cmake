# The library's layers: one OBJECT library per source area, linked into the one shared library.
#
# Each area sees only its own headers and those of the areas below it: every area gets a header tree
# under the build folder (links to its headers at their src/ paths), and an area's include path holds
# only its own tree and the trees of the areas below. An include that points upward does not compile.
# docs/architecture.md draws the layers.

# Areas from the bottom up: "folder" or "folder:leaf". A leaf (a render back end) sees every area
# listed before it but is seen by none; it plugs in through a table that a lower layer declares.
set(PM_LAYERS
  platform
  core
  storage
  script/object
  script/lang
  classes
  engine
  sound
  scene
  geometry
  render
  render/opengl:leaf
  render/d3d8:leaf
  render/dialog:leaf
  anim
  ui)

set(PM_HEADER_TREES ${CMAKE_BINARY_DIR}/layers)
set(PM_OBJECTS)
set(PM_LAYER_BELOW)          # trees of the non-leaf areas seen so far
set(PM_LAYER_TARGETS_BELOW)  # their targets
set(PM_LAYER_CHECK_AREAS)    # for the upward-include check: "area=include dirs joined by ,"

# Rebuilds the header tree of an area: a link per header, at its path under src/.
function(pm_header_tree area out)
  string(REPLACE "/" "_" name ${area})
  set(tree ${PM_HEADER_TREES}/${name})
  file(REMOVE_RECURSE ${tree})
  file(MAKE_DIRECTORY ${tree}/${area})
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${area}/*.h)
  foreach(h ${headers})
    get_filename_component(name ${h} NAME)
    file(CREATE_LINK ${h} ${tree}/${area}/${name} SYMBOLIC)
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

foreach(entry ${PM_LAYERS})
  string(REPLACE ":" ";" parts ${entry})
  list(GET parts 0 area)
  list(LENGTH parts n)
  set(leaf OFF)
  if(n GREATER 1)
    set(leaf ON)
  endif()
  string(REPLACE "/" "_" name ${area})
  pm_header_tree(${area} tree)
  set(dirs ${tree} ${PM_LAYER_BELOW})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${area}/*.cpp)
  if(srcs)
    add_library(pm_${name} OBJECT ${srcs})
    target_include_directories(pm_${name} PRIVATE ${dirs})
    # Built for the one shared library, whose functions nobody interposes (see the library target).
    target_compile_options(pm_${name} PRIVATE -fno-semantic-interposition)
    if(PM_LAYER_TARGETS_BELOW)
      target_link_libraries(pm_${name} PRIVATE ${PM_LAYER_TARGETS_BELOW})
    endif()
    list(APPEND PM_OBJECTS $<TARGET_OBJECTS:pm_${name}>)
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

# The archive reader needs minizip's and libdeflate's headers, the window stand-in X11's.
target_include_directories(pm_storage SYSTEM PRIVATE ${MINIZIP_INCLUDE_DIRS} ${LIBDEFLATE_INCLUDE_DIRS})
target_include_directories(pm_platform SYSTEM PRIVATE ${X11_INCLUDE_DIRS} ${FONTS_INCLUDE_DIRS})
# Image files: libpng and OpenJPEG.
target_include_directories(pm_engine SYSTEM PRIVATE ${PNG_INCLUDE_DIRS} ${OPENJP2_INCLUDE_DIRS})

# The upward-include check (run by CTest): its input is each area with the include directories it
# compiles with.
list(JOIN PM_LAYER_CHECK_AREAS "\n" check_input)
file(WRITE ${PM_HEADER_TREES}/areas.txt "${check_input}\n")
