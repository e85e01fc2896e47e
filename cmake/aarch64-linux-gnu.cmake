# Cross build for Linux on aarch64 (a 64-bit Raspberry Pi) with Debian's g++-aarch64-linux-gnu:
#   cmake -S . -B build-aarch64 --toolchain cmake/aarch64-linux-gnu.cmake
set(PARCELO_TRIPLE aarch64-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(PARCELO_DEB_ARCHITECTURE arm64)
set(PARCELO_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
