# Linux build: unit tests of the portable core, the instrument simulator,
# benchmarks and fuzzers.
find_package(GTest REQUIRED)
include(GoogleTest)
option(KELT_TESTS_ONLY "Build only the unit tests (sanitizer runs)" OFF)

if(EXISTS ${CMAKE_SOURCE_DIR}/sim/CMakeLists.txt)
  add_subdirectory(sim)
endif()

# Two pseudo-terminals joined like two COM ports on a null-modem cable: the
# Windows simulator and a Windows program talk through it under Wine.
add_executable(pty_pair tests/tools/pty_pair.cpp)
kelt_warnings(pty_pair)

file(GLOB KELT_NATIVE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*_test.cpp)
add_executable(native_tests ${KELT_NATIVE_TESTS})
target_link_libraries(native_tests PRIVATE keltcore GTest::gtest GTest::gtest_main)
if(TARGET keltsim_core)
  target_link_libraries(native_tests PRIVATE keltsim_core)
endif()
kelt_warnings(native_tests)
gtest_discover_tests(native_tests
  PROPERTIES ENVIRONMENT "KELTSIM_PATH=$<$<TARGET_EXISTS:keltsim>:$<TARGET_FILE:keltsim>>;PTY_PAIR_PATH=$<TARGET_FILE:pty_pair>")

# The folders include each other in one direction only, and no portable
# file sees Windows (ARCHITECTURE.md).
find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND)
  add_test(NAME one_way_includes
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/check-layers.py ${CMAKE_SOURCE_DIR})
endif()

if(NOT KELT_TESTS_ONLY)
  add_subdirectory(fuzz)
  add_subdirectory(bench)
endif()
