# Cross build for 32-bit ARM with Debian's g++-arm-linux-gnueabi, for every Raspberry Pi:
#   cmake -S . -B build-armv6 --toolchain cmake/arm-linux-gnueabi.cmake
# Debian's armhf libraries are ARMv7 code, which the Pi 1, Zero and Zero W (ARMv6) cannot run;
# the armel compiler gives ARMv5TE code, and linked statically the program needs no library of
# the Pi's, so the same program runs on ARMv6 and on a Pi 2 to 5 in 32-bit mode. Raspberry Pi OS
# calls itself armhf on every Pi, so that is the .deb's architecture.
set(PARCELO_TRIPLE arm-linux-gnueabi)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(PARCELO_DEB_ARCHITECTURE armhf)
set(PARCELO_STATIC ON CACHE BOOL "" FORCE)
# GCC notes that it passes some parameters as GCC 7.1 began to; nothing here crosses that line.
set(CMAKE_CXX_FLAGS_INIT -Wno-psabi)
# The processor of the Pi 1 and the Pi Zero.
set(PARCELO_QEMU qemu-arm -cpu arm1176)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
