# What every cross build here shares: Debian's cross compilers named by their
# triplet (CROSS_TRIPLET, set by the toolchain file that includes this), and
# libraries and headers from that triplet's own folder only.
set(CMAKE_C_COMPILER ${CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${CROSS_TRIPLET}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(CMAKE_SYSTEM_NAME STREQUAL Windows)
  set(CMAKE_RC_COMPILER ${CROSS_TRIPLET}-windres)
  # The compiler's own runtime goes into the executable, so it runs with
  # nothing beside it but the system's DLLs.
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
endif()
