# One ctest entry per suite executable: a Wine process start costs most of a second, so a
# suite runs all its cases in one process. scripts/test provides Xvfb and a warm wineserver.
#
#   add_suite(NAME LABEL area SOURCES a.cpp b.cpp LIBS lib...)
function(add_suite name)
  cmake_parse_arguments(S "" "LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${S_SOURCES})
  target_link_libraries(${name} PRIVATE ${S_LIBS} test_support gtest)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES LABELS "${S_LABEL}" TIMEOUT 600
    ENVIRONMENT "CLIENT2_ARTIFACTS=${CMAKE_BINARY_DIR}/artifacts;CLIENT2_SOURCE=${CMAKE_SOURCE_DIR}")
endfunction()
