#!/bin/sh
# Usage: make-web.sh BUILD_FOLDER
# Builds the page, dist/parcelo-<version>.html, with Debian's emscripten: optimised for size, so
# that the one file, WebAssembly inside, stays small.
set -eu
build=$1
export NODE_PATH=/usr/share/nodejs  # where Debian's emscripten finds its node modules
# -Oz and link-time optimisation: the page is 50 KB smaller than at -Os, room for the finder's
# tables under the page's 500 KB.
emcmake cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel -DPARCELO_TESTS=OFF \
  "-DCMAKE_CXX_FLAGS_MINSIZEREL=-Oz -flto -DNDEBUG" "-DCMAKE_EXE_LINKER_FLAGS_MINSIZEREL=-Oz -flto" \
  -Dnlohmann_json_DIR=/usr/share/cmake/nlohmann_json >/dev/null
cmake --build "$build" -j "$(nproc)" --target parcelo
mkdir -p dist
cp "$build"/parcelo-*.html dist/
