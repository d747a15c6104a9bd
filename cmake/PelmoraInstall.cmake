# Install rules: the shared library, its public headers under include/pelmora/ (reached as
# <pelmora/core/String.h>), the modules under lib/pelmora/, the sample window and widget style under
# share/pelmora/, a CMake package (find_package(Pelmora) -> Pelmora::Pelmora, Pelmora_DATA_DIR) and
# pelmora.pc (its variable pkgdatadir).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(PM_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR})
# The modules' own folder, found at run time from the library's place (platform/ModuleLoader).
set(PM_INSTALL_MODULEDIR ${CMAKE_INSTALL_LIBDIR}/pelmora)
set(PM_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Pelmora)
# What a host needs to draw widgets at all: the sample style with its skin, and the sample window that
# names the skin beside itself.
set(PM_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/pelmora)
install(FILES ${CMAKE_SOURCE_DIR}/examples/ui/window.bs ${CMAKE_SOURCE_DIR}/examples/ui/style.bs
  ${CMAKE_SOURCE_DIR}/examples/ui/skin.png DESTINATION ${PM_INSTALL_DATADIR})
set(PM_LIBRARY_FILE ${CMAKE_SHARED_LIBRARY_PREFIX}Pelmora010276${CMAKE_SHARED_LIBRARY_SUFFIX})

# The build number is part of the library's name (and the start-up checks it there), so the target
# gets no VERSION/SOVERSION: the soname is the plain file name and a new build is a new name.
install(TARGETS Pelmora010276 LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
# The headers only the library and its modules use: the back ends' insides, the modules' own and the
# private data parts. Globbed when installing, so a new source folder's headers go along without
# touching this file.
set(PM_PRIVATE_HEADERS "^render/opengl/" "^render/d3d8/" "^platform/d3d8/" "^sound/modules/" "^render/video/"
  "^import/" "_D[.]h$")
install(CODE "set(PM_HEADER_SOURCE \"${CMAKE_SOURCE_DIR}/src\")
  set(PM_HEADER_STAGE \"${CMAKE_BINARY_DIR}/install/include\")
  set(PM_HEADER_DEST \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${PM_INSTALL_INCLUDEDIR}/pelmora\")
  set(PM_HEADER_PRIVATE \"${PM_PRIVATE_HEADERS}\")")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/InstallHeaders.cmake)

# In the build tree the same paths lead to src/: examples and hosts include <pelmora/...> either way.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/include)
file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/include/pelmora SYMBOLIC)
target_include_directories(Pelmora010276 PUBLIC ${CMAKE_BINARY_DIR}/include)

# A module or a program: where it installs, and the run path that finds the library from there.
function(pm_install_module target)
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/..")
  install(TARGETS ${target} LIBRARY DESTINATION ${PM_INSTALL_MODULEDIR})
endfunction()
function(pm_install_program target)
  file(RELATIVE_PATH to_lib /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${to_lib}")
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# A consumer of a sanitized build must be built with the same sanitizer (the runtime has to come first).
set(PM_EXPORT_SAN_FLAGS "${PM_SAN_FLAGS}")
list(JOIN PM_SAN_FLAGS " " PM_PC_SAN_FLAGS)

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/PelmoraConfig.cmake.in
  ${CMAKE_BINARY_DIR}/install/PelmoraConfig.cmake
  INSTALL_DESTINATION ${PM_INSTALL_CMAKEDIR}
  PATH_VARS PM_INSTALL_INCLUDEDIR CMAKE_INSTALL_LIBDIR PM_INSTALL_DATADIR)
# Any 1.x asked for is served by a later 1.y: a new build is a new library name, never a new interface.
write_basic_package_version_file(${CMAKE_BINARY_DIR}/install/PelmoraConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/install/PelmoraConfig.cmake ${CMAKE_BINARY_DIR}/install/PelmoraConfigVersion.cmake
  DESTINATION ${PM_INSTALL_CMAKEDIR})

# pelmora.pc finds its prefix from its own folder, so an install under any --prefix works.
file(RELATIVE_PATH PM_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" PM_PC_TO_PREFIX "${PM_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/pelmora.pc.in ${CMAKE_BINARY_DIR}/install/pelmora.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install/pelmora.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
