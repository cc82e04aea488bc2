# The Windows program, cross-compiled with mingw-w64 from the same sources
# into folders of this build tree for 64 and 32 bits, where Debian's
# compilers are installed: tests/wine checks them and the Wine benchmark runs
# the 64-bit one.
include(ExternalProject)
foreach(build "mandelbrot_windows;x86_64" "mandelbrot_windows32;i686")
  list(GET build 0 target)
  list(GET build 1 arch)
  set(dir ${CMAKE_BINARY_DIR}/mingw-${arch})
  find_program(MINGW_CXX_${arch} ${arch}-w64-mingw32-g++)
  if(MINGW_CXX_${arch})
    ExternalProject_Add(${target}
      SOURCE_DIR ${PROJECT_SOURCE_DIR}
      BINARY_DIR ${dir}
      PREFIX ${dir}-steps
      CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-${arch}.cmake
                 -DCMAKE_BUILD_TYPE=Release
                 -DMANDELBROT_WERROR=${MANDELBROT_WERROR}
      # Its own build decides what is out of date, as for any other target.
      BUILD_ALWAYS ON
      BUILD_BYPRODUCTS ${dir}/shell/mandelbrot.exe
      INSTALL_COMMAND "")
    set_target_properties(${target} PROPERTIES EXECUTABLE ${dir}/shell/mandelbrot.exe)
  endif()
endforeach()
