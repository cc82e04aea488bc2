# Cross-compiles for 64-bit Windows with Debian's mingw-w64
# (g++-mingw-w64-x86-64). Either of its thread variants will do, as the
# program starts no threads; the plain name follows the system's choice.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CROSS_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
