# Cross build for Linux on 32-bit ARM (armhf, ARMv7: Raspberry Pi 2 and later) with Debian's
# g++-arm-linux-gnueabihf:
#   cmake -S . -B build-armv7 --toolchain cmake/arm-linux-gnueabihf.cmake
set(PARCELO_TRIPLE arm-linux-gnueabihf)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(PARCELO_DEB_ARCHITECTURE armhf)
# Debian's armhf code needs ARMv7: the emulated processor is a Cortex-A7, as on a Pi 2.
set(PARCELO_QEMU qemu-arm -cpu cortex-a7)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
