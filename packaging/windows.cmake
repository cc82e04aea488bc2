# The Windows download: mandelbrot-VERSION-win64.zip (win32 for the 32-bit
# build) holding the stripped exe and the README, in a folder of that name.
#   cpack -G ZIP        (with a multi-config generator: cpack -C Release -G ZIP)
install(TARGETS mandelbrot RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME mandelbrot)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_SYSTEM_NAME win32)
endif()
set(CPACK_STRIP_FILES ON)
include(CPack)
