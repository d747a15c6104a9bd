# The AddressSanitizer tree's programs all carry cmake/SanitizerDefaults.cpp, so that every run of them
# (ctest, tools/check-install, a developer's by hand) has the same leak check and reports. Called once, deferred to
# the end of the top directory, when every executable target exists.
function(pm_executables_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  set(found)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
      list(APPEND found ${target})
    endif()
  endforeach()
  get_property(subdirectories DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory ${subdirectories})
    pm_executables_below(${subdirectory} below)
    list(APPEND found ${below})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

function(pm_add_sanitizer_defaults)
  add_library(pm_sanitizer_defaults OBJECT ${CMAKE_SOURCE_DIR}/cmake/SanitizerDefaults.cpp)
  # Not instrumented itself: a program linked without the sanitizers (the confined model reader) takes it
  # too, where it is an unused function.
  target_compile_options(pm_sanitizer_defaults PRIVATE -fno-sanitize=all)
  pm_executables_below(${CMAKE_SOURCE_DIR} programs)
  foreach(program ${programs})
    target_sources(${program} PRIVATE $<TARGET_OBJECTS:pm_sanitizer_defaults>)
  endforeach()
endfunction()

cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL pm_add_sanitizer_defaults)
