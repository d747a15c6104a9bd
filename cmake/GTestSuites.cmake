# pm_gtest_suites(target [PREFIX p] [LABELS l...] [OWN_DISPLAY] [ENVIRONMENT VAR=value...]): a GoogleTest
# program's suites as CTest cases, p<Suite>, each running `target --gtest_filter=<Suite>.*` in one process;
# with OWN_DISPLAY on an X server of its own (tests/support/own-display), for suites that open windows.
# A process per test cost each of some 1,600 cases a sanitized program's start and leak check, most of the
# test run's time; a suite keeps its cases together, so `ctest -R Strip` still picks what it names and
# a failure's output names the failing case. The suites are listed when ctest starts, from the program
# built then (as gtest_discover_tests' PRE_TEST mode does), so adding a suite needs no new configure.
set(PM_GTEST_SUITES_LISTER ${CMAKE_CURRENT_LIST_DIR}/GTestSuitesList.cmake)
set(PM_OWN_DISPLAY ${CMAKE_SOURCE_DIR}/tests/support/own-display)

function(pm_gtest_suites target)
  cmake_parse_arguments(S "OWN_DISPLAY" "PREFIX" "LABELS;ENVIRONMENT" ${ARGN})
  list(APPEND S_ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tools/lsan.supp:print_suppressions=0")
  # Each property's value is written as one bracket argument, so that lists (the environment) keep their ';'.
  set(written " WORKING_DIRECTORY [=[${CMAKE_CURRENT_BINARY_DIR}]=] ENVIRONMENT [=[${S_ENVIRONMENT}]=]")
  if(S_LABELS)
    string(APPEND written " LABELS [=[${S_LABELS}]=]")
  endif()
  set(launcher "")
  if(S_OWN_DISPLAY)
    set(launcher "[==[${PM_OWN_DISPLAY}]==] ")
  endif()
  set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_suites_include.cmake)
  file(GENERATE OUTPUT ${include_file} CONTENT
"set(pm_suites_program [==[$<TARGET_FILE:${target}>]==])
set(pm_suites_list [==[${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.cmake]==])
set(pm_suites_include [==[${include_file}]==])
set(pm_suites_prefix [==[${S_PREFIX}]==])
set(pm_suites_properties [===[${written}]===])
set(pm_suites_launcher [===[${launcher}]===])
include([==[${PM_GTEST_SUITES_LISTER}]==])
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()
