# Cross-compiles for 32-bit Windows with Debian's mingw-w64
# (g++-mingw-w64-i686). The project's flags make it compute in SSE2, as a
# 32-bit x86 build must to give the exact picture.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CROSS_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
