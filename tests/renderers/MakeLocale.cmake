# Makes the decimal-comma locale of the lights tests into DIR (LOCPATH layout) with LOCALEDEF, and
# touches STAMP. localedef answers 1 for mere warnings, so its status is not taken: a locale that
# could not be made shows in the test that needs it, which says so.
# Run as: cmake -DLOCALEDEF=<localedef> -DDIR=<folder> -DSTAMP=<file> -P MakeLocale.cmake
file(MAKE_DIRECTORY ${DIR})
execute_process(COMMAND ${LOCALEDEF} -c -i de_DE -f UTF-8 ${DIR}/de_DE.UTF-8 OUTPUT_QUIET ERROR_QUIET)
file(TOUCH ${STAMP})
