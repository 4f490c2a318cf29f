# Checks the dynamic symbols of the project's shared libraries:
#  - none names an Open CASCADE, X11, GLX, FreeType or fontconfig type or function (those stay
#    behind the stand-ins);
#  - every exported name (but the standard library's template instantiations) is declared in a
#    public header: the class or namespace it belongs to and its own name both appear there, so
#    an internal helper that lost its hidden visibility shows up;
#  - no exported name ends in "ForTests": resets for tests stay hidden and reach the test programs
#    only through vyrwin_testresets.h, and no library defines the test programs' end of it, nor
#    the test programs' end of the display clock's seam (DsClock.h);
#  - no library defines a "unique" symbol (kind u), the standard library's included: the dynamic
#    loader never unloads a library that binds to one, so the core could not be unloaded.
# Run as: cmake -DNM=<nm> -DSOURCE_DIR=<source tree> -DLIBRARIES=<lib>|<lib>... -P CheckExports.cmake

string(REPLACE "|" ";" libraries "${LIBRARIES}")

# Every identifier of the public headers, as a set of variables.
file(GLOB headers ${SOURCE_DIR}/src/*/*.h ${SOURCE_DIR}/platform/*/include/*.h)
foreach(header ${headers})
  file(READ ${header} text)
  string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*" tokens "${text}")
  foreach(token ${tokens})
    set(declared_${token} 1)
  endforeach()
endforeach()

set(forbidden "(^|[^A-Za-z0-9_])(Standard_|TopoDS|TopLoc_|TopAbs_|TopTools_|TopExp|gp_|Geom_|Geom2d_|GeomAdaptor|BRep|Poly_|NCollection_|TColgp_|TColStd_|Bnd_|Adaptor[23]d|math_|Message_|Extrema_|GCPnts_|ShapeFix_|BOPAlgo_|IntCurvesFace_|opencascade::|_XDisplay|_XEvent|XEvent|XVisualInfo|_XGC|XWindowAttributes|_XPrivDisplay|GLX|__GLX|FT_|FcPattern|FcConfig|_FcPattern)")

set(failures "")
foreach(library ${libraries})
  execute_process(COMMAND ${NM} -DC --defined-only ${library}
                  OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${library}")
  endif()
  get_filename_component(library_name ${library} NAME)
  # Brackets and semicolons would split CMake list items: keep them out of the lines.
  string(REPLACE "[abi:cxx11]" "" symbols "${symbols}")
  string(REPLACE "[" "(" symbols "${symbols}")
  string(REPLACE "]" ")" symbols "${symbols}")
  string(REPLACE ";" "," symbols "${symbols}")
  string(REPLACE "\n" ";" lines "${symbols}")
  set(count 0)
  foreach(line ${lines})
    # "<address> <kind> <name>"
    if(NOT line MATCHES "^[0-9a-f]+ ([A-Za-z]) (.*)$")
      continue()
    endif()
    set(kind "${CMAKE_MATCH_1}")
    set(name "${CMAKE_MATCH_2}")
    if(kind STREQUAL "u")
      string(APPEND failures "\n  ${library_name}: defines the unique symbol ${name}, which keeps it loaded for good")
      continue()
    endif()
    if(name MATCHES "${forbidden}")
      string(APPEND failures "\n  ${library_name}: names a hidden library's type: ${name}")
      continue()
    endif()
    string(REGEX REPLACE "^(typeinfo name for |typeinfo for |vtable for |VTT for |guard variable for |non-virtual thunk to |virtual thunk to )" "" name "${name}")
    # Linker marks, the standard library's instantiations, and AddressSanitizer's one-definition
    # markers of exported globals (sanitized builds only).
    if(name MATCHES "^(_edata|_end|__bss_start|_init|_fini)$" OR name MATCHES "^(std::|__gnu_cxx::|__odr_asan)"
       OR name MATCHES "^[A-Za-z0-9_:<>, *&]+ std::")
      continue()
    endif()
    math(EXPR count "${count} + 1")
    # The qualified name without its parameters, return type and template arguments.
    string(REGEX REPLACE "\\(.*$" "" base "${name}")
    set(previous "")
    while(NOT base STREQUAL previous)
      set(previous "${base}")
      string(REGEX REPLACE "<[^<>]*>" "" base "${base}")
    endwhile()
    string(REGEX REPLACE "^.* " "" base "${base}")
    string(REGEX REPLACE "[*&]+$" "" base "${base}")
    string(REPLACE "::" ";" parts "${base}")
    if(NOT parts)
      # Only a standard-library template with a computed return type (decltype(...)) reads so.
      if(name MATCHES "^decltype.* std::")
        continue()
      endif()
      string(APPEND failures "\n  ${library_name}: exports ${name}, whose name cannot be read")
      continue()
    endif()
    list(GET parts 0 first)
    list(GET parts -1 last)
    if(last MATCHES "ForTests$" OR base STREQUAL "VyrRegisterTestReset" OR base STREQUAL "VyrTestClockMilliseconds")
      string(APPEND failures "\n  ${library_name}: exports ${name}, an entry point for tests")
      continue()
    endif()
    foreach(part ${first} ${last})
      string(REGEX REPLACE "^~" "" part "${part}")
      if(part MATCHES "^operator" OR part STREQUAL "")
        continue()
      endif()
      if(NOT DEFINED declared_${part})
        string(APPEND failures "\n  ${library_name}: exports ${name}, which no public header declares")
        break()
      endif()
    endforeach()
  endforeach()
  if(count EQUAL 0)
    string(APPEND failures "\n  ${library_name}: exports nothing")
  endif()
  message(STATUS "${library_name}: ${count} exported names")
endforeach()

if(failures)
  message(FATAL_ERROR "Exported symbols that should stay hidden:${failures}")
endif()
