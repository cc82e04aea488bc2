# Cross-compiles for aarch64 Linux with Debian's g++-aarch64-linux-gnu; the
# programs run under qemu-user (qemu-aarch64 -L /usr/aarch64-linux-gnu).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CROSS_TRIPLET aarch64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
