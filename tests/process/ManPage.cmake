# The man page renders with every groff warning on, and not one is given.
if(NOT GROFF)
  message("SKIPPED: groff is not installed (Debian package groff-base); the man page was not rendered")
  return()
endif()
execute_process(COMMAND ${GROFF} -man -Tutf8 -ww -P-cbu ${PAGE} OUTPUT_VARIABLE page ERROR_VARIABLE warnings
                RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "groff (${status}): ${warnings}")
endif()
string(FIND "${page}" "EXIT STATUS" at)
if(at LESS 0)
  message(FATAL_ERROR "the rendered page has no EXIT STATUS section")
endif()
