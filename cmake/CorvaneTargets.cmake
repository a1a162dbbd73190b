# A core library: every .cpp file of the calling folder, no Qt.
function(corvane_core_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC corvane_flags ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE corvane_flags ${ARGN})
  endif()
endfunction()

# A test suite: every *_test.cpp file of the calling folder in one executable.
function(corvane_test_suite name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE corvane_test_support GTest::gtest_main GTest::gmock ${ARGN})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    TEST_LIST ${name}_TESTS)
  # The environment is set by a script that runs after the discovered tests are
  # defined: gtest_discover_tests' PROPERTIES flattens a list-valued ENVIRONMENT, so
  # only its first variable would reach the tests.
  set(environment "XDG_RUNTIME_DIR=${CORVANE_TEST_RUNTIME};TZ=UTC;CORVANE_SOURCE_DIR=${CMAKE_SOURCE_DIR};CORVANE_BINARY_DIR=${CMAKE_BINARY_DIR};${CORVANE_SERVER_ENVIRONMENT}")
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
  file(WRITE ${script} "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT \"${environment}\")\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()

# The tests of a suite whose names match pattern (a regular expression; ".*" for all)
# need the named test servers (imap smtp caldav pg hfaxd): ctest starts them first.
function(corvane_suite_needs_servers name pattern)
  list(TRANSFORM ARGN PREPEND server_ OUTPUT_VARIABLE fixtures)
  string(MAKE_C_IDENTIFIER "${pattern}" tag)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_servers_${tag}.cmake)
  file(WRITE ${script} "set(matching)\nforeach(t \${${name}_TESTS})\n  if(t MATCHES \"${pattern}\")\n    list(APPEND matching \${t})\n  endif()\nendforeach()\nif(matching)\n  set_tests_properties(\${matching} PROPERTIES FIXTURES_REQUIRED \"${fixtures}\")\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()

# A benchmark program.
function(corvane_bench name source)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE benchmark::benchmark ${ARGN})
endfunction()
