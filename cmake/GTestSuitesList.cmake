# Run by ctest as it reads the tests (see GTestSuites.cmake): lists the program's suites again when the
# program or its settings are newer than the last list, then declares one case per suite. A program that cannot be listed
# (not built, or failing as it starts) becomes one failing case named after it, with the reason.
if(NOT EXISTS "${pm_suites_list}" OR "${pm_suites_program}" IS_NEWER_THAN "${pm_suites_list}" OR
   "${pm_suites_include}" IS_NEWER_THAN "${pm_suites_list}")
  get_filename_component(pm_suites_name "${pm_suites_program}" NAME)
  set(pm_suites_out "")
  set(pm_suites_rc "no program")
  if(EXISTS "${pm_suites_program}")
    execute_process(COMMAND "${pm_suites_program}" --gtest_list_tests OUTPUT_VARIABLE pm_suites_out
                    ERROR_VARIABLE pm_suites_err RESULT_VARIABLE pm_suites_rc TIMEOUT 60)
  endif()
  set(pm_suites_text "")
  if(NOT pm_suites_rc STREQUAL "0")
    string(APPEND pm_suites_text "add_test([==[${pm_suites_prefix}${pm_suites_name}.NOT_LISTED]==] "
      "[==[${CMAKE_COMMAND}]==] -E echo_append [==[${pm_suites_program} --gtest_list_tests: ${pm_suites_rc}]==])\n"
      "set_tests_properties([==[${pm_suites_prefix}${pm_suites_name}.NOT_LISTED]==] PROPERTIES WILL_FAIL TRUE)\n")
  else()
    string(REPLACE "\n" ";" pm_suites_lines "${pm_suites_out}")
    foreach(line IN LISTS pm_suites_lines)
      # A suite's line is its name and a dot, then for typed and parameterized suites a comment.
      if(line MATCHES "^([^ #][^ ]*)\\.( .*)?$")
        set(suite "${CMAKE_MATCH_1}")
        string(APPEND pm_suites_text "add_test([==[${pm_suites_prefix}${suite}]==] ${pm_suites_launcher}"
          "[==[${pm_suites_program}]==] "
          "[==[--gtest_filter=${suite}.*]==])\n"
          "set_tests_properties([==[${pm_suites_prefix}${suite}]==] PROPERTIES${pm_suites_properties})\n")
      endif()
    endforeach()
  endif()
  file(WRITE "${pm_suites_list}" "${pm_suites_text}")
endif()
include("${pm_suites_list}")
