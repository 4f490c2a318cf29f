# Test helpers shared by every folder under tests/.
if(VYR_BUILD_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

set(VYR_LSAN_SUPPRESSIONS ${CMAKE_SOURCE_DIR}/tests/lsan.supp)

# vyr_add_test(<target> SOURCES <files...> LIBS <libraries...> [ARGS <arguments...>])
# One executable and two kinds of ctest test: one per GoogleTest case, each in its own
# process (discovered when ctest runs, inside the X server the test command starts), and
# <target>.whole, every case in one process in shuffled order, so that a case that leaves
# process-wide state behind, or needs another to run first, fails. On a failure gtest
# prints the seed; --gtest_random_seed=<seed> repeats the order. ARGS are given to every run (the
# command-line switches a program should see).
function(vyr_add_test target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  # Tests never read the registry or the preferences of the person running them: the stores named
  # here are never written (tests that write use scratch stores of their own).
  set(env "VYR_TEST_TMP=${CMAKE_BINARY_DIR}/test-tmp"
          "VYR_REGISTRY_FILE=${CMAKE_BINARY_DIR}/test-tmp/unwritten-registry"
          "VYR_PREFERENCES_FILE=${CMAKE_BINARY_DIR}/test-tmp/unwritten-preferences")
  if(VYR_SANITIZE)
    list(APPEND env "LSAN_OPTIONS=suppressions=${VYR_LSAN_SUPPRESSIONS}:print_suppressions=0"
                    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  endif()
  gtest_discover_tests(${target}
    TEST_PREFIX "${target}."
    EXTRA_ARGS ${ARG_ARGS}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${env}" TIMEOUT 120)
  add_test(NAME ${target}.whole COMMAND ${target} --gtest_shuffle ${ARG_ARGS})
  set_tests_properties(${target}.whole PROPERTIES ENVIRONMENT "${env}" TIMEOUT 600)
endfunction()
