# Test helpers shared by every folder under tests/.
if(VYR_BUILD_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

set(VYR_LSAN_SUPPRESSIONS ${CMAKE_SOURCE_DIR}/tests/lsan.supp)

# vyr_add_test(<target> SOURCES <files...> LIBS <libraries...>)
# One executable, one ctest test per GoogleTest case (each in its own process, so
# process-wide statics start fresh). Discovery happens when ctest runs, inside the
# X server the test command starts.
function(vyr_add_test target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  set(env "VYR_TEST_TMP=${CMAKE_BINARY_DIR}/test-tmp")
  if(VYR_SANITIZE)
    list(APPEND env "LSAN_OPTIONS=suppressions=${VYR_LSAN_SUPPRESSIONS}:print_suppressions=0"
                    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  endif()
  gtest_discover_tests(${target}
    TEST_PREFIX "${target}."
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${env}" TIMEOUT 120)
endfunction()
