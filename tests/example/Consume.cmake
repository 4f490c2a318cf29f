# Builds the example host outside the tree, as a user builds a host of their own:
#   MODE=package  installs the build (BUILD) into WORK/prefix, builds the host against that copy
#                 (find_package, asking for the build's VERSION) and runs it: it must exit cleanly,
#                 print its pick, write its picture and find the installed data folder
#   MODE=tree     configures the host with the source tree (TREE, through add_subdirectory),
#                 compiles the host's code (which needs every include folder the two targets carry)
#                 and checks that its link names every library of the tree, and that configured
#                 with no build type the tree's libraries still compile optimised; building the
#                 tree's libraries a second time is left to the normal build
# The consumer gets the build's generator, compilers, build type, compiler launcher and sanitizers.
# Everything it makes stays in WORK, emptied first. The host runs on the X display of the test, with
# stores and temporary files in WORK and, when sanitized, the tests' leak suppressions.
#   cmake -DMODE=... -DWORK=... -DTREE=... -DBUILD=... -DGENERATOR=... -DBUILD_TYPE=... -DCXX=... -DC=...
#         -DVERSION=... -DLAUNCHER=... -DSANITIZE=... -DSUPPRESSIONS=... -DCACHE=... -P Consume.cmake

# run(<step> <command...>): runs the command in WORK, its output kept in WORK/<step>.log and in
# `output`; a failure ends the test with the command's output.
function(run step)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status
                  OUTPUT_VARIABLE out ERROR_VARIABLE out)
  file(WRITE ${WORK}/${step}.log "${out}")
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${step} failed (${status}):\n${out}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

# expect(<text> <part>...): fails unless every part occurs in the text.
function(expect text)
  foreach(part ${ARGN})
    string(FIND "${text}" "${part}" found)
    if(found EQUAL -1)
      message(FATAL_ERROR "\"${part}\" missing from:\n${text}")
    endif()
  endforeach()
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/tmp)
set(build ${WORK}/build)
set(configure ${CMAKE_COMMAND} -S ${TREE}/tests/example/consumer -B ${build} -G ${GENERATOR}
    -DCMAKE_BUILD_TYPE=${BUILD_TYPE} -DCMAKE_CXX_COMPILER=${CXX} -DVYR_TREE=${TREE})
if(LAUNCHER)
  list(APPEND configure -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER})
endif()

if(MODE STREQUAL "tree")
  # The link the generator wrote, read through CMake's file API.
  file(WRITE ${build}/.cmake/api/v1/query/codemodel-v2 "")
  run(configure ${configure} -DVYR_TAKE=tree -DCMAKE_C_COMPILER=${C} -DVYR_SANITIZE=${SANITIZE})
  run(compile ${CMAKE_COMMAND} --build ${build} --target example_host_code)
  file(GLOB index ${build}/.cmake/api/v1/reply/index-*.json)
  file(READ ${index} json)
  string(JSON codemodel GET "${json}" reply codemodel-v2 jsonFile)
  file(READ ${build}/.cmake/api/v1/reply/${codemodel} json)
  string(JSON count LENGTH "${json}" configurations 0 targets)
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    string(JSON name GET "${json}" configurations 0 targets ${i} name)
    if(name STREQUAL "example_host")
      string(JSON target GET "${json}" configurations 0 targets ${i} jsonFile)
    endif()
  endforeach()
  file(READ ${build}/.cmake/api/v1/reply/${target} json)
  string(JSON count LENGTH "${json}" link commandFragments)
  math(EXPR last "${count} - 1")
  set(libraries "")
  foreach(i RANGE ${last})
    string(JSON fragment GET "${json}" link commandFragments ${i} fragment)
    string(APPEND libraries "${fragment}\n")
  endforeach()
  expect("${libraries}" libVyrDsCore.so libvyr_host_display.a libvyr_windows.so libvyr_mfc.so libvyr_services.so
         libvyr_host.so libvyr_acis.so libvyr_modeler_ext.so libvyr_scene_db.so)
  message("the host's link: ${libraries}")

  # A host that names no build type still gets the libraries optimised, its own code as it chose.
  set(plain ${WORK}/plain)
  file(WRITE ${plain}/.cmake/api/v1/query/codemodel-v2 "")
  run(configure-plain ${CMAKE_COMMAND} -S ${TREE}/tests/example/consumer -B ${plain} -G ${GENERATOR}
      -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_C_COMPILER=${C} -DVYR_TREE=${TREE} -DVYR_TAKE=tree)
  file(GLOB index ${plain}/.cmake/api/v1/reply/index-*.json)
  file(READ ${index} json)
  string(JSON codemodel GET "${json}" reply codemodel-v2 jsonFile)
  file(READ ${plain}/.cmake/api/v1/reply/${codemodel} json)
  string(JSON count LENGTH "${json}" configurations 0 targets)
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    string(JSON name GET "${json}" configurations 0 targets ${i} name)
    string(JSON target GET "${json}" configurations 0 targets ${i} jsonFile)
    if(name STREQUAL "VyrDsCore_objects")  # the core's sources
      set(core ${target})
    elseif(name STREQUAL "example_host_code")
      set(host ${target})
    endif()
  endforeach()
  foreach(which core host)
    file(READ ${plain}/.cmake/api/v1/reply/${${which}} json)
    # A target compiled with no flags at all has no fragments.
    string(JSON fragments ERROR_VARIABLE none GET "${json}" compileGroups 0 compileCommandFragments)
    set(${which}_flags "${fragments}")
  endforeach()
  expect("${core_flags}" "-O2")
  string(FIND "${host_flags}" "-O2" found)
  if(NOT found EQUAL -1)
    message(FATAL_ERROR "the host's own code took the tree's flags:\n${host_flags}")
  endif()
  return()
elseif(NOT MODE STREQUAL "package")
  message(FATAL_ERROR "MODE must be package or tree, not '${MODE}'")
endif()

set(prefix ${WORK}/prefix)
run(install ${CMAKE_COMMAND} --install ${BUILD} --prefix ${prefix})
run(configure ${configure} -DVYR_TAKE=package -DCMAKE_PREFIX_PATH=${prefix} -DVYR_VERSION=${VERSION})
run(build ${CMAKE_COMMAND} --build ${build} --target example_host)

set(ENV{VYR_REGISTRY_FILE} ${WORK}/registry)
set(ENV{VYR_PREFERENCES_FILE} ${WORK}/preferences)
set(ENV{TMPDIR} ${WORK}/tmp)
set(ENV{XDG_CACHE_HOME} ${CACHE})
if(SANITIZE)
  set(ENV{LSAN_OPTIONS} "suppressions=${SUPPRESSIONS}:print_suppressions=0:intercept_tls_get_addr=0")
  set(ENV{UBSAN_OPTIONS} "print_stacktrace=1:halt_on_error=1")
endif()
run(host ${build}/example_host ${WORK}/block.png)
message("${output}")
# The installed libraries are the ones loaded: the services library finds the data folder beside
# itself.
file(REAL_PATH ${prefix}/share/VyrDisplayCore/data data)
expect("${output}" "example: the core reads its settings from ${data}\n" "example: wrote ${WORK}/block.png\n"
       "example: picked item 1 at (")
file(READ ${WORK}/block.png signature LIMIT 8 HEX)
if(NOT signature STREQUAL "89504e470d0a1a0a")
  message(FATAL_ERROR "${WORK}/block.png is not a PNG picture")
endif()
