# What the cross builds for Linux share; the file of each target sets PARCELO_TRIPLE,
# CMAKE_SYSTEM_PROCESSOR, PARCELO_DEB_ARCHITECTURE and PARCELO_QEMU first, then includes this.
# With -DPARCELO_STATIC=ON the programs run on any Linux of that processor, and under qemu-user
# without a sysroot.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_CXX_COMPILER ${PARCELO_TRIPLE}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${PARCELO_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The tests and the tool they start run under qemu-user.
set(CMAKE_CROSSCOMPILING_EMULATOR ${PARCELO_QEMU} -L /usr/${PARCELO_TRIPLE})
# The JSON library is header-only and its CMake package is the host's.
set(nlohmann_json_DIR /usr/share/cmake/nlohmann_json CACHE PATH "")
