#!/bin/sh
# Fills dist/ with the release: a statically linked parcelo for Linux on x86-64, aarch64 and
# 32-bit ARM from ARMv6 on (a .tar.gz each), a .deb for amd64, arm64 and armhf (every Pi: its
# program is the static ARMv6 one), the Windows .zip, the page (parcelo-<version>.html), the
# board's Arduino library and MicroPython module (a .zip each), and SHA256SUMS over them. Every time stamp comes from SOURCE_DATE_EPOCH, so that two builds from the
# same commit give the same bytes.
set -eu
: "${SOURCE_DATE_EPOCH:?set SOURCE_DATE_EPOCH (make release sets it from the last commit)}"
export SOURCE_DATE_EPOCH
jobs=$(nproc)
version=$(sed -n 's/^project(parcelo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
rm -rf dist
mkdir -p dist

# configure BUILD TOOLCHAIN OPTIONS...: configures BUILD for a Release build without the tests.
configure() {
  build=$1 toolchain=$2
  shift 2
  cmake -S . -B "$build" ${toolchain:+--toolchain "$toolchain"} --no-warn-unused-cli \
    -DCMAKE_BUILD_TYPE=Release -DPARCELO_TESTS=OFF "$@" >/dev/null
}

# archive FOLDER: dist/FOLDER.tar.gz from build-release/FOLDER, owned by root, in name order.
archive() {
  tar -C build-release --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 \
    --numeric-owner --mode=go-w,u+w,a+rX --format=gnu -cf - "$1" | gzip -9n >"dist/$1.tar.gz"
}

for target in x86_64: aarch64:cmake/aarch64-linux-gnu.cmake armv6:cmake/arm-linux-gnueabi.cmake; do
  arch=${target%%:*} toolchain=${target#*:}
  build=build-release/build-$arch
  configure "$build" "$toolchain" -DPARCELO_STATIC=ON
  cmake --build "$build" -j "$jobs" --target parcelo manual_pages
  folder=build-release/parcelo-$version-linux-$arch
  mkdir -p "$folder/man/man1" "$folder/man/ja/man1"
  strip=strip
  [ -z "$toolchain" ] || strip=$(basename "$toolchain" .cmake)-strip  # the triple
  $strip -o "$folder/parcelo" "$build/parcelo"
  cp "$build/man/man1/parcelo.1" "$folder/man/man1/"
  cp "$build/man/ja/man1/parcelo.1" "$folder/man/ja/man1/"
  cp LICENSE README.md data/sample-area.json "$folder/"
  mkdir -p "$folder/docs" && cp docs/guide.en.md docs/guide.ja.md "$folder/docs/"
  archive "parcelo-$version-linux-$arch"
done

for target in amd64: arm64:cmake/aarch64-linux-gnu.cmake armhf:cmake/arm-linux-gnueabi.cmake; do
  arch=${target%%:*} toolchain=${target#*:}
  build=build-release/deb-$arch
  configure "$build" "$toolchain"
  cmake --build "$build" -j "$jobs"
  (cd "$build" && cpack -G DEB >/dev/null)
  cp "$build"/parcelo_*_"$arch".deb dist/
done

configure build-release/windows cmake/mingw-w64-x86_64.cmake
cmake --build build-release/windows -j "$jobs"
(cd build-release/windows && cpack -G ZIP >/dev/null)
cp build-release/windows/parcelo-*-windows-x64.zip dist/

sh scripts/make-web.sh build-release/web

# The board's code: the Arduino library as the .zip that the Arduino IDE adds ("Add .ZIP
# Library") and PlatformIO takes in lib_deps, and the MicroPython module with its example.
# zip FOLDER NAME: dist/NAME.zip from build-release/FOLDER, in name order, each entry with the
# same time and mode (libarchive's zip would keep each file's access time).
zip() {
  python3 - "$1" "dist/$2.zip" <<'EOF'
import os, sys, time, zipfile
folder, target = sys.argv[1:]
stamp = time.gmtime(int(os.environ["SOURCE_DATE_EPOCH"]))[:6]
os.chdir("build-release")
names = sorted(os.path.join(root, name) for root, _, files in os.walk(folder) for name in files)
with zipfile.ZipFile(os.path.join("..", target), "w") as archive:
    for name in names:
        entry = zipfile.ZipInfo(name, stamp)
        entry.external_attr = 0o644 << 16
        with open(name, "rb") as file:
            archive.writestr(entry, file.read(), zipfile.ZIP_DEFLATED, 9)
EOF
}
cp -R board/arduino/Parcelo build-release/Parcelo
cp LICENSE build-release/Parcelo/
zip Parcelo "parcelo-arduino-$version"
mkdir -p "build-release/parcelo-micropython-$version"
cp board/micropython/*.py board/micropython/package.json LICENSE "build-release/parcelo-micropython-$version/"
cp -R board/micropython/examples "build-release/parcelo-micropython-$version/"
zip "parcelo-micropython-$version" "parcelo-micropython-$version"

(cd dist && sha256sum -- * >SHA256SUMS)
ls -l dist
