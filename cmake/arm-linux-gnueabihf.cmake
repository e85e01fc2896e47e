# Cross build for Linux on arm with Debian's cross compiler (package g++-arm-linux-gnueabihf):
#   cmake -S . -B build-X --toolchain cmake/arm-linux-gnueabihf.cmake
# With -DPARCELO_STATIC=ON the programs run on any Linux of that processor, and under
# qemu-arm without a sysroot.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
set(CMAKE_FIND_ROOT_PATH /usr/arm-linux-gnueabihf)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Debian's armhf code needs ARMv7: the emulated processor is a Cortex-A7, as on a Pi 2.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -cpu cortex-a7 -L /usr/arm-linux-gnueabihf)
set(PARCELO_DEB_ARCHITECTURE armhf)
# The JSON library is header-only and its CMake package is the host's.
set(nlohmann_json_DIR /usr/share/cmake/nlohmann_json CACHE PATH "")
