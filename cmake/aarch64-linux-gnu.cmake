# Cross build for Linux on aarch64 with Debian's cross compiler (package g++-aarch64-linux-gnu):
#   cmake -S . -B build-X --toolchain cmake/aarch64-linux-gnu.cmake
# With -DPARCELO_STATIC=ON the programs run on any Linux of that processor, and under
# qemu-aarch64 without a sysroot.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/aarch64-linux-gnu)
set(PARCELO_DEB_ARCHITECTURE arm64)
# The JSON library is header-only and its CMake package is the host's.
set(nlohmann_json_DIR /usr/share/cmake/nlohmann_json CACHE PATH "")
