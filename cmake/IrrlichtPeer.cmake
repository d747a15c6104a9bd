# Irrlicht 1.8 (libirrlicht-dev), the peer the OpenGL frames benchmark draws the same scene with; never
# linked into the library. Its side is a library of its own, built as C++17: Irrlicht's headers use
# constructor template-ids that C++20 no longer accepts.
include_guard(GLOBAL)
find_path(IRRLICHT_INCLUDE_DIR irrlicht.h PATH_SUFFIXES irrlicht)
find_library(IRRLICHT_LIBRARY Irrlicht)
if(NOT IRRLICHT_INCLUDE_DIR OR NOT IRRLICHT_LIBRARY)
  message(FATAL_ERROR "Irrlicht not found: run tools/install-deps --bench (package libirrlicht-dev)")
endif()
find_package(OpenGL REQUIRED)
add_library(pm_irrlicht_cubes STATIC ${CMAKE_SOURCE_DIR}/bench/peers/IrrlichtCubes.cpp)
set_target_properties(pm_irrlicht_cubes PROPERTIES CXX_STANDARD 17)
target_include_directories(pm_irrlicht_cubes SYSTEM PRIVATE ${IRRLICHT_INCLUDE_DIR})
target_include_directories(pm_irrlicht_cubes PUBLIC ${CMAKE_SOURCE_DIR}/bench/peers)
target_link_libraries(pm_irrlicht_cubes PUBLIC ${IRRLICHT_LIBRARY} OpenGL::GL)
