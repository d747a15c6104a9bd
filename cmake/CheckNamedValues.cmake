# Pass modes and primitive types are written by name: run as cmake -DSOURCE=<tree> -P CheckNamedValues.cmake.
# A bare number handed to BeginPass or compared with a pass mode, or a primitive type made from its
# number outside the enum that names them all, fails the check with the file and line.
# The tests are left out: they build records from raw numbers on purpose, refused ones among them.
file(GLOB_RECURSE sources ${SOURCE}/src/*.cpp ${SOURCE}/src/*.h ${SOURCE}/bench/*.cpp ${SOURCE}/bench/*.h
     ${SOURCE}/host/*.cpp ${SOURCE}/host/*.h ${SOURCE}/examples/*.cpp ${SOURCE}/examples/*.h)
set(bare_pass "BeginPass\\( *-?[0-9]|GetPassMode\\(\\) *[!=<>]=? *-?[0-9]|m_passMode *[!=]?= *-?[0-9]")
# In code that asks the engine for its pass mode, any comparison of a `mode` with a number.
set(bare_mode "(^|[^A-Za-z_])mode *[!=]= *-?[0-9]")
set(failures "")
foreach(file ${sources})
  file(READ ${file} text)
  set(asks_mode FALSE)
  if(text MATCHES "GetPassMode\\(\\)")
    set(asks_mode TRUE)
  endif()
  # One list entry per line: the semicolons of the code would split lines otherwise.
  string(REPLACE ";" "," text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    set(bad FALSE)
    if(line MATCHES "${bare_pass}")
      set(bad TRUE)
    elseif(asks_mode AND line MATCHES "${bare_mode}")
      set(bad TRUE)
    elseif(line MATCHES "PrimTypeId\\(" AND NOT file MATCHES "/src/engine/PolygonData\\.h$")
      set(bad TRUE)
    endif()
    if(bad)
      file(RELATIVE_PATH where ${SOURCE} ${file})
      string(APPEND failures "  ${where}:${number}: ${line}\n")
    endif()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "Bare pass modes or primitive types (use PassMode and PrimitiveType):\n${failures}")
endif()
