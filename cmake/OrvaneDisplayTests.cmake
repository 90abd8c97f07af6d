# Qt suites run twice: offscreen (software scene graph) and on a private Xvfb display with
# Mesa's OpenGL, where video frames are drawn and shader effects run.
find_program(ORVANE_XVFB Xvfb)
set(ORVANE_WITH_XVFB ${CMAKE_CURRENT_LIST_DIR}/with_xvfb.sh)

# orvane_add_display_test(<name> <timeout> <environment list> COMMAND <command>...):
# <name> is the offscreen test to mirror; the display run is called <name>.gl and labelled
# "display". Nothing is added where Xvfb is not installed.
function(orvane_add_display_test name timeout environment)
  cmake_parse_arguments(PARSE_ARGV 3 ARG "" "PASS_REGULAR_EXPRESSION" "COMMAND")
  if(NOT ORVANE_XVFB)
    return()
  endif()
  list(FILTER environment EXCLUDE REGEX "^QT_QPA_PLATFORM=")
  add_test(NAME ${name}.gl COMMAND ${ORVANE_WITH_XVFB} ${timeout} ${ARG_COMMAND})
  # The script stops the command at <timeout>; CTest's own bound is the last resort.
  math(EXPR outer "${timeout} + 15")
  set_tests_properties(${name}.gl PROPERTIES LABELS "qt;display" TIMEOUT ${outer} ENVIRONMENT "${environment}")
  if(ARG_PASS_REGULAR_EXPRESSION)
    set_tests_properties(${name}.gl PROPERTIES PASS_REGULAR_EXPRESSION "${ARG_PASS_REGULAR_EXPRESSION}")
  endif()
endfunction()
