# OpenSubdiv (libosd-dev), a peer that the subdivision check and benchmark measure against; never linked
# into the library. Found by hand: the Debian package's CMake targets ask for static libraries it lacks.
include_guard(GLOBAL)
find_path(OSD_INCLUDE_DIR opensubdiv/far/topologyRefiner.h)
find_library(OSD_CPU_LIBRARY osdCPU)
if(NOT OSD_INCLUDE_DIR OR NOT OSD_CPU_LIBRARY)
  message(FATAL_ERROR "OpenSubdiv not found: run tools/install-deps --bench (package libosd-dev)")
endif()
add_library(pm_osd INTERFACE)
target_include_directories(pm_osd SYSTEM INTERFACE ${OSD_INCLUDE_DIR})
target_link_libraries(pm_osd INTERFACE ${OSD_CPU_LIBRARY} gomp)
