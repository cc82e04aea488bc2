# The Windows download: mandelbrot-VERSION-win64.zip (win32 for the 32-bit
# build) holding the stripped exe and a README.txt for Windows users, in a
# folder of that name.
#   cpack -G ZIP        (with a multi-config generator: cpack -C Release -G ZIP)
# Windows 7 is claimed: Visual Studio 2022 still builds for it, and the
# mingw-w64 exe imports nothing newer (its manifest names Vista too). Neither
# is tried on it here.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_SYSTEM_NAME win64)
  set(MANDELBROT_WINDOWS_NEEDS "64-bit Windows 7 or later.")
else()
  set(CPACK_SYSTEM_NAME win32)
  set(MANDELBROT_WINDOWS_NEEDS "Windows 7 or later, 32- or 64-bit, on a processor with SSE2.")
endif()
# Notepad before Windows 10 version 1809 shows bare line feeds as one long line.
configure_file(windows_readme.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)
install(TARGETS mandelbrot RUNTIME DESTINATION .)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME mandelbrot)
set(CPACK_STRIP_FILES ON)
include(CPack)
