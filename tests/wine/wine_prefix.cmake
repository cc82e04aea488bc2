# The Wine prefix the Windows build's tests share, made fresh for each run.
#   cmake -DSTEP=setup|cleanup -DPREFIX=<folder> -DWINEBOOT=<path> -DWINESERVER=<path>
#         -P wine_prefix.cmake
set(ENV{WINEPREFIX} "${PREFIX}")
set(ENV{WINEDEBUG} "-all")
# Nothing here needs .NET or HTML, so Wine must not offer to install them.
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")
# The set-up shows no windows anywhere, and leaves no session bound to a
# display the tests would have to share.
unset(ENV{DISPLAY})

if(STEP STREQUAL "setup")
  # An interrupted run may have left its session behind.
  if(EXISTS "${PREFIX}")
    execute_process(COMMAND "${WINESERVER}" -k OUTPUT_QUIET ERROR_QUIET)
    execute_process(COMMAND "${WINESERVER}" -w OUTPUT_QUIET ERROR_QUIET)
  endif()
  file(REMOVE_RECURSE "${PREFIX}")
  file(MAKE_DIRECTORY "${PREFIX}")
  execute_process(COMMAND "${WINEBOOT}" --init RESULT_VARIABLE result OUTPUT_VARIABLE output
                  ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "wineboot --init failed (${result}):\n${output}")
  endif()
  # Each test starts its own X server and Wine session, so this one must end.
  execute_process(COMMAND "${WINESERVER}" -w)
elseif(STEP STREQUAL "cleanup")
  execute_process(COMMAND "${WINESERVER}" -k OUTPUT_QUIET ERROR_QUIET)
  execute_process(COMMAND "${WINESERVER}" -w OUTPUT_QUIET ERROR_QUIET)
  file(REMOVE_RECURSE "${PREFIX}")
else()
  message(FATAL_ERROR "STEP must be setup or cleanup, not '${STEP}'")
endif()
