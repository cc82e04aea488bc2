# Cross-compiles for i686 Linux with Debian's g++-i686-linux-gnu; the
# programs run under qemu-user (qemu-i386 -L /usr/i686-linux-gnu).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CROSS_TRIPLET i686-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
