# GoogleTest for the suite's test programs. Each test case is a test of its
# own, except under the sanitizers: there every test program runs whole, in
# one process, because starting an instrumented process costs more than most
# of its cases (the same cases run; a finding fails the program's test).
include(GoogleTest)
if(SUITE_SANITIZE)
  function(gtest_discover_tests target)
    cmake_parse_arguments(ARG "NO_PRETTY_VALUES;NO_PRETTY_TYPES" "DISCOVERY_TIMEOUT;TEST_PREFIX;WORKING_DIRECTORY"
                          "PROPERTIES;EXTRA_ARGS" ${ARGN})
    add_test(NAME ${target} COMMAND ${target} ${ARG_EXTRA_ARGS})
    if(ARG_PROPERTIES)
      set_tests_properties(${target} PROPERTIES ${ARG_PROPERTIES})
    endif()
  endfunction()
endif()
