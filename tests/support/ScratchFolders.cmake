# The test programs' temporary folders (DIR, the build's test folder).
#   MODE=clear  removes whatever an earlier run left there;
#   MODE=check  fails, naming them, when entries are left: every test program removes its own
#               folders, so a leftover is a test that ended abnormally or a folder made past the
#               harness.
# Run as: cmake -DDIR=<folder> -DMODE=clear|check -P ScratchFolders.cmake
if(MODE STREQUAL "clear")
  file(REMOVE_RECURSE ${DIR})
  file(MAKE_DIRECTORY ${DIR})
elseif(MODE STREQUAL "check")
  file(GLOB_RECURSE left LIST_DIRECTORIES true RELATIVE ${DIR} ${DIR}/*)
  if(left)
    list(SORT left)
    list(JOIN left "\n  " text)
    message(FATAL_ERROR "Left in ${DIR} after the tests:\n  ${text}")
  endif()
  message(STATUS "${DIR} is empty")
else()
  message(FATAL_ERROR "MODE must be clear or check")
endif()
