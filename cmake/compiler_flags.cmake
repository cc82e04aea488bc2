# Optimisation and warning flags, per compiler. Shared by the project and by
# the cross-architecture picture test, so that the test checks the very flags
# the program is built with; build_type.cmake picks the build type before.

option(MANDELBROT_WERROR "Treat warnings as errors" OFF)
option(MANDELBROT_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

# Link-time optimisation lets the renderer's drawing calls inline into its
# loop, which keeps drawing cheap next to the arithmetic. CMake picks each
# compiler's own switch for it (-flto, /GL and /LTCG).
include(CheckIPOSupported)
check_ipo_supported(RESULT ipo_supported LANGUAGES CXX)
if(ipo_supported AND NOT MANDELBROT_SANITIZE AND NOT DEFINED CMAKE_INTERPROCEDURAL_OPTIMIZATION)
  set(CMAKE_INTERPROCEDURAL_OPTIMIZATION ON)
endif()

# The picture depends on every rounding, so nothing may fuse or reorder
# floating-point operations: no fast-math, no contraction into fused
# multiply-adds, whatever the optimisation level.
if(MSVC)
  # /fp:precise neither contracts nor reorders; the C and C++ runtime is
  # linked in, as with mingw-w64, so the exe runs with the system's DLLs only.
  add_compile_options(/W4 /permissive- /utf-8 /fp:precise)
  set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
  if(MANDELBROT_WERROR)
    add_compile_options(/WX)
  endif()
  if(MANDELBROT_SANITIZE)
    message(FATAL_ERROR "MANDELBROT_SANITIZE is for GCC and Clang")
  endif()
  # MSVC computes in SSE2 on 32-bit x86 by default, rounding each float as it
  # is stored; clang-cl targets the x87 unit there unless told.
  if(CMAKE_CXX_COMPILER_ARCHITECTURE_ID STREQUAL "X86")
    add_compile_options(/arch:SSE2)
  endif()
  # clang-cl's /fp:precise still contracts a * b + c into a fused multiply-add.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    add_compile_options(/clang:-ffp-contract=off)
  endif()
else()
  add_compile_options(-Wall -Wextra -Wpedantic -ffp-contract=off)
  if(MANDELBROT_WERROR)
    add_compile_options(-Werror)
  endif()
  # The x87 unit keeps intermediates in extended precision and skips the
  # rounding to float at stores, which changes pixels at the set's edge.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND CMAKE_SYSTEM_PROCESSOR MATCHES "86")
    add_compile_options(-msse2 -mfpmath=sse)
  endif()
  if(MANDELBROT_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
  # What users download carries no symbols or debug information.
  if(MINGW)
    add_link_options($<$<CONFIG:Release,MinSizeRel>:-s>)
  endif()
endif()
