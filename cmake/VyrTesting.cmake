# Test helpers shared by every folder under tests/.
if(VYR_BUILD_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

set(VYR_LSAN_SUPPRESSIONS ${PROJECT_SOURCE_DIR}/tests/lsan.supp)
# The test programs' temporary folders live here while they run (tests/support/TestEnvironment.cpp);
# every test needs the fixture vyr_scratch, whose first step empties the folder and whose last
# fails when anything is left in it.
set(VYR_TEST_TMP_DIR ${PROJECT_BINARY_DIR}/test-tmp)

# vyr_take_test_resets(<target>): the program takes the libraries' resets for tests
# (vyrwin_testresets.h) and the display clock's seam (DsClock.h): it defines the table the resets
# register in and the clock that tests can set, and lists both in its dynamic symbol table, where
# the libraries' weak references find them.
function(vyr_take_test_resets target)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/TestResets.cpp
                                   ${PROJECT_SOURCE_DIR}/tests/support/TestClock.cpp)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  target_link_options(${target} PRIVATE "LINKER:--export-dynamic-symbol=VyrRegisterTestReset"
                                        "LINKER:--export-dynamic-symbol=VyrTestClockMilliseconds")
endfunction()

# vyr_add_test(<target> SOURCES <files...> LIBS <libraries...> [ARGS <arguments...>])
# One executable and two kinds of ctest test: one per GoogleTest case, each in its own
# process (discovered when ctest runs, inside the X server the test command starts), and
# <target>.whole, every case in one process in shuffled order, so that a case that leaves
# process-wide state behind, or needs another to run first, fails. On a failure gtest
# prints the seed; --gtest_random_seed=<seed> repeats the order. ARGS are given to every run (the
# command-line switches a program should see).
function(vyr_add_test target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ARGS" ${ARGN})
  # The sanitizers make a program several times slower; its time limits grow with it.
  if(VYR_SANITIZE)
    set(case_timeout 360)
    set(whole_timeout 1800)
  else()
    set(case_timeout 120)
    set(whole_timeout 600)
  endif()
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  # The environment every run assumes (a scratch folder, stores that are never the person's own,
  # the sanitizers' suppressions) is set by the program itself, so that a case run by ctest, the
  # whole program run by hand and a run under a debugger all see the same.
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/TestEnvironment.cpp)
  vyr_take_test_resets(${target})
  target_compile_definitions(${target} PRIVATE VYR_TEST_TMP_DIR="${VYR_TEST_TMP_DIR}"
                                               VYR_TEST_CACHE_DIR="${PROJECT_BINARY_DIR}/test-cache")
  if(VYR_SANITIZE)
    target_compile_definitions(${target} PRIVATE VYR_TEST_LSAN_SUPPRESSIONS="${VYR_LSAN_SUPPRESSIONS}")
  endif()
  gtest_discover_tests(${target}
    TEST_PREFIX "${target}."
    EXTRA_ARGS ${ARG_ARGS}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${case_timeout} FIXTURES_REQUIRED vyr_scratch)
  add_test(NAME ${target}.whole COMMAND ${target} --gtest_shuffle ${ARG_ARGS})
  set_tests_properties(${target}.whole PROPERTIES TIMEOUT ${whole_timeout} FIXTURES_REQUIRED vyr_scratch)
endfunction()
