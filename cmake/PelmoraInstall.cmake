# Install rules: the shared library, every header under src/ (keeping its folder layout) under
# include/pelmora/, a CMake package (find_package(Pelmora) -> Pelmora::Pelmora) and pelmora.pc.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(PM_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/pelmora)
set(PM_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Pelmora)
set(PM_LIBRARY_FILE ${CMAKE_SHARED_LIBRARY_PREFIX}Pelmora010276${CMAKE_SHARED_LIBRARY_SUFFIX})

# The build number is part of the library's name (and the start-up checks it there), so the target
# gets no VERSION/SOVERSION: the soname is the plain file name and a new build is a new name.
install(TARGETS Pelmora010276 LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
# Globbed when installing, so a new source folder's headers go along without touching this file.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/src/ DESTINATION ${PM_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h" PATTERN "*.hpp" PATTERN "*.inl")

# A consumer of a sanitized build must be built with the same sanitizer (the runtime has to come first).
set(PM_EXPORT_SAN_FLAGS "${PM_SAN_FLAGS}")
list(JOIN PM_SAN_FLAGS " " PM_PC_SAN_FLAGS)

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/PelmoraConfig.cmake.in
  ${CMAKE_BINARY_DIR}/install/PelmoraConfig.cmake
  INSTALL_DESTINATION ${PM_INSTALL_CMAKEDIR}
  PATH_VARS PM_INSTALL_INCLUDEDIR CMAKE_INSTALL_LIBDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/install/PelmoraConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY ExactVersion)
install(FILES ${CMAKE_BINARY_DIR}/install/PelmoraConfig.cmake ${CMAKE_BINARY_DIR}/install/PelmoraConfigVersion.cmake
  DESTINATION ${PM_INSTALL_CMAKEDIR})

# pelmora.pc finds its prefix from its own folder, so an install under any --prefix works.
file(RELATIVE_PATH PM_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" PM_PC_TO_PREFIX "${PM_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/pelmora.pc.in ${CMAKE_BINARY_DIR}/install/pelmora.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install/pelmora.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
