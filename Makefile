# Everyday commands; each one installs what is missing first (Debian packages, as root).
# `make help` lists them.
# Each configuration has a folder of its own, so that no target flips another's CMake cache: the
# tool alone (make run, install, deb) in TOOL_BUILD, the tool with the tests in BUILD.
BUILD ?= build
TOOL_BUILD ?= build-tool
PREFIX ?= /usr/local
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 30
TOOL_PACKAGES := cmake make g++ nlohmann-json3-dev
# dosfstools and fusefat make and mount the FAT32 card that one test writes onto.
TEST_PACKAGES := $(TOOL_PACKAGES) libgtest-dev clang-format groff-base dosfstools fusefat
CLANG_PACKAGES := clang libclang-rt-dev
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix
WINE_PACKAGES := wine64 locales python3
CROSS_PACKAGES := g++-aarch64-linux-gnu g++-arm-linux-gnueabi qemu-user
# The target's C and C++ libraries, from which dpkg-shlibdeps reads the arm64 .deb's dependencies
# (the 32-bit ARM program is linked statically).
MULTIARCH_PACKAGES := libc6:arm64 libstdc++6:arm64
DEB_PACKAGES := dpkg-dev groff-base lintian
RELEASE_PACKAGES := $(TOOL_PACKAGES) $(CROSS_PACKAGES) $(MULTIARCH_PACKAGES) $(DEB_PACKAGES) \
  $(WINDOWS_PACKAGES) python3
WEB_PACKAGES := emscripten
# The three engines the page is checked in (Chromium; Firefox; WebKit's MiniBrowser through its
# WebDriver, in a virtual display), a Japanese font for its screenshots, unzip for its zips.
BROWSER_PACKAGES := chromium firefox-esr webkit2gtk-driver xvfb fonts-ipafont-gothic unzip unicode-data kakasi-dic
LIBCXX_PACKAGES := clang libc++-dev libc++abi-dev libgtest-dev
# The board's checks: the Arduino AVR core (its Print and Stream on this machine too), the
# Arduino build and its compiler, the simulated Mega; the library 32-bit as well, as on the ESP32,
# under qemu where the kernel runs no 32-bit x86 program; Python for the Mega's files in flash;
# OpenSSL and Debian's roots for the weather example's HTTPS, checked against a local server.
# Clang's libFuzzer and sanitizers fuzz the board's readers, a short run in the tests.
BOARD_PACKAGES := g++-i686-linux-gnu qemu-user arduino-core-avr arduino-builder arduino-ctags \
  gcc-avr avr-libc simavr python3 libssl-dev openssl ca-certificates $(CLANG_PACKAGES)

# Every time stamp in the packages and archives is the last commit's, so that they can be built
# again byte for byte.
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null)
ifneq ($(SOURCE_DATE_EPOCH),)
export SOURCE_DATE_EPOCH
endif

.PHONY: help setup setup-tool setup-board build-tool build run test install deb sanitize fuzz \
  memcheck bench windows test-windows package web test-web release check-release test-cross \
  test-libcxx format clean

help:
	@echo "make run            build the tool and run it on the shipped sample"
	@echo "make test           build with the tests and pass them all"
	@echo "make build          the tool, the tests and the manual pages, not run (build-tool: the tool)"
	@echo "make setup          the Debian packages the tests need (setup-tool: the tool's alone;"
	@echo "                    setup-board: the board's checks' compiler and npm parts)"
	@echo "make install        install the tool, manual pages, LICENSE and README (PREFIX=$(PREFIX), DESTDIR)"
	@echo "make deb            the .deb for this machine, checked by lintian"
	@echo "make web            dist/parcelo-<version>.html: the tool as one page, offline"
	@echo "make test-web       the page in Chromium, Firefox and WebKit against this build"
	@echo "make release        dist/: archives for Linux x86-64, aarch64, armv6, .debs, Windows .zip,"
	@echo "                    the board's Arduino and MicroPython .zip files, SHA256SUMS"
	@echo "make check-release  make release again in a fresh clone and compare dist/ byte for byte;"
	@echo "                    its 32-bit ARM archive and .deb under qemu as Pi 1 and Pi 2"
	@echo "make test-cross     the tests for aarch64 under qemu; the 32-bit ARM program and .deb"
	@echo "                    under qemu as Pi 1 and Pi 2"
	@echo "make test-libcxx    the tool and tests with Clang and libc++"
	@echo "make sanitize       the tests under AddressSanitizer and UndefinedBehaviorSanitizer"
	@echo "make fuzz           the fuzz targets (FUZZ_SECONDS=$(FUZZ_SECONDS) each)"
	@echo "make memcheck       valgrind over a run on the real list"
	@echo "make bench          timings against the parse-only floor"
	@echo "make windows        parcelo.exe; make test-windows checks it under Wine"
	@echo "make package        the .deb and the Windows .zip, checked"
	@echo "make format         apply clang-format"
	@echo "make clean          remove the builds"

setup-tool:
	@sh scripts/install-packages.sh $(TOOL_PACKAGES)

setup:
	@sh scripts/install-packages.sh $(TEST_PACKAGES)

# What the board's checks add: the Arduino and AVR parts above, and MicroPython's WebAssembly port from npm
# (Debian's Node and npm where the machine has no npm).
setup-board:
	@sh scripts/install-packages.sh $(BOARD_PACKAGES)
	@command -v npm >/dev/null || sh scripts/install-packages.sh nodejs npm
	cd tests/board && npm ci --no-audit --no-fund --silent

# The tool alone, for a quick first run.
build-tool: setup-tool
	cmake -S . -B $(TOOL_BUILD) -DCMAKE_BUILD_TYPE=Release -DPARCELO_TESTS=OFF
	cmake --build $(TOOL_BUILD) -j $(JOBS) --target parcelo

# Everything: the tool, the tests, the manual pages.
build: setup setup-board
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DPARCELO_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)

# The program, both manual pages, LICENSE and README under $(PREFIX), below $(DESTDIR) if set.
install: build-tool
	cmake --build $(TOOL_BUILD) -j $(JOBS) --target manual_pages
	cmake --install $(TOOL_BUILD) --prefix $(PREFIX) --component program
	cmake --install $(TOOL_BUILD) --prefix $(PREFIX) --component licence

# The .deb for this machine, without the Windows toolchain.
deb: build-tool
	@sh scripts/install-packages.sh $(DEB_PACKAGES)
	cmake --build $(TOOL_BUILD) -j $(JOBS)
	cd $(TOOL_BUILD) && cpack -G DEB
	lintian --fail-on error,warning $(TOOL_BUILD)/parcelo_*.deb

release:
	@sh scripts/install-packages.sh $(RELEASE_PACKAGES) $(WEB_PACKAGES)
	sh scripts/make-release.sh

# dist/parcelo-<version>.html: the tool as one page that works offline, from the disk.
web: setup-tool
	@sh scripts/install-packages.sh $(WEB_PACKAGES)
	sh scripts/make-web.sh build-web

# The page opened from file:// in Chromium, Firefox and WebKit, against this machine's build;
# SCREENSHOTS=docs also takes the README's two pictures.
test-web: build web
	@sh scripts/install-packages.sh $(BROWSER_PACKAGES)
	cd scripts/web-check && npm ci --no-audit --no-fund
	@if [ -f ../shared/data/area.json ]; then python3 scripts/kanji-variants.py --check; \
	  else echo "skip: ../shared/data/area.json is absent, data/kanji-variants.json is not compared"; fi
	xvfb-run -a node scripts/web-check/check_page.mjs dist/parcelo-*.html $(BUILD)/parcelo . \
	  $(SCREENSHOTS)

check-release: release
	sh scripts/check-reproducible.sh
	sh scripts/check-arm32.sh dist/parcelo-*-linux-x86_64.tar.gz dist/parcelo-*-linux-armv6.tar.gz \
	  dist/parcelo_*_armhf.deb

# The whole suite built for aarch64 and run under qemu; the 32-bit ARM program and its armhf .deb
# under qemu as the Pi Zero's and the Pi 2's processors, compared with this machine's build.
test-cross: build
	@sh scripts/install-packages.sh $(CROSS_PACKAGES) $(DEB_PACKAGES)
	cmake -S . -B build-aarch64 --toolchain cmake/aarch64-linux-gnu.cmake --no-warn-unused-cli \
	  -DCMAKE_BUILD_TYPE=Release -DPARCELO_STATIC=ON
	cmake --build build-aarch64 -j $(JOBS)
	ctest --test-dir build-aarch64 --output-on-failure -j $(JOBS)
	cmake -S . -B build-armv6 --toolchain cmake/arm-linux-gnueabi.cmake --no-warn-unused-cli \
	  -DCMAKE_BUILD_TYPE=Release -DPARCELO_TESTS=OFF
	cmake --build build-armv6 -j $(JOBS)
	rm -f build-armv6/parcelo_*.deb && cd build-armv6 && cpack -G DEB >/dev/null
	sh scripts/check-arm32.sh $(BUILD)/parcelo build-armv6/parcelo build-armv6/parcelo_*_armhf.deb

# As on macOS: Clang with libc++, and GoogleTest built from its source for that library.
test-libcxx: setup-board
	@sh scripts/install-packages.sh $(TOOL_PACKAGES) $(LIBCXX_PACKAGES)
	CC=clang CXX=clang++ cmake -S . -B build-libcxx -DCMAKE_BUILD_TYPE=Release -DPARCELO_GTEST_FROM_SOURCE=ON \
	  -DCMAKE_CXX_FLAGS=-stdlib=libc++ -DCMAKE_EXE_LINKER_FLAGS=-stdlib=libc++
	cmake --build build-libcxx -j $(JOBS)
	ctest --test-dir build-libcxx --output-on-failure -j $(JOBS)

run: build-tool
	mkdir -p out
	./$(TOOL_BUILD)/parcelo data/sample-area.json out

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: setup setup-board
	@sh scripts/install-packages.sh $(CLANG_PACKAGES)
	CXX=clang++ cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DPARCELO_SANITIZE=address,undefined
	cmake --build build-sanitize -j $(JOBS)
	ctest --test-dir build-sanitize --output-on-failure -j $(JOBS)

# Each fuzz target for FUZZ_SECONDS, from the seed corpus; new inputs stay in build-fuzz/.
fuzz: setup-tool
	@sh scripts/install-packages.sh $(CLANG_PACKAGES)
	CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARCELO_FUZZ=ON \
	  -DPARCELO_TESTS=OFF -DPARCELO_SANITIZE=address,undefined \
	  -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link
	cmake --build build-fuzz -j $(JOBS)
	mkdir -p build-fuzz/corpus-bytes build-fuzz/corpus-lists
	build-fuzz/fuzz_bytes -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	  build-fuzz/corpus-bytes fuzz/corpus tests/data
	build-fuzz/fuzz_lists -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	  build-fuzz/corpus-lists
	@sh scripts/install-packages.sh $(BOARD_PACKAGES)
	sh tests/board/fuzz-board.sh build-fuzz/parcelo build-fuzz/board $(FUZZ_SECONDS)

# A whole run over the agency's real list under valgrind's leak check.
memcheck: build
	@sh scripts/install-packages.sh valgrind
	@test -f ../shared/data/area.json || { echo "memcheck needs ../shared/data/area.json"; exit 1; }
	rm -rf build/memcheck-out && mkdir -p build/memcheck-out
	valgrind --leak-check=full --error-exitcode=1 --quiet \
	  ./$(BUILD)/parcelo ../shared/data/area.json build/memcheck-out >/dev/null
	@echo "memcheck: no errors"

# Times the tool against the parse-only floor and a Python peer; writes docs/performance.md.
bench: build
	@sh scripts/install-packages.sh valgrind gnuplot-nox python3
	@test -f ../shared/data/area.json || { echo "bench needs ../shared/data/area.json"; exit 1; }
	python3 bench/run_bench.py $(BUILD) ../shared/data/area.json docs

# parcelo.exe for Windows x64, cross-built with MinGW-w64 and statically linked.
windows: setup-tool
	@sh scripts/install-packages.sh $(WINDOWS_PACKAGES)
	cmake -S . -B build-windows --toolchain cmake/mingw-w64-x86_64.cmake --no-warn-unused-cli \
	  -DCMAKE_BUILD_TYPE=Release -DPARCELO_TESTS=OFF
	cmake --build build-windows -j $(JOBS)

# The whole-process checks against parcelo.exe under Wine, compared with the Linux build.
test-windows: build windows
	@sh scripts/install-packages.sh $(WINE_PACKAGES)
	python3 tests/windows/wine_test.py $(BUILD)/parcelo build-windows/parcelo.exe .

# A .deb (checked by lintian, unpacked and run on the sample) and a Windows .zip.
package: build windows
	@sh scripts/install-packages.sh dpkg-dev unzip lintian man-db locales
	cd $(BUILD) && cpack -G DEB
	cd build-windows && cpack -G ZIP
	sh scripts/check-package.sh $(BUILD) build-windows

format: setup
	clang-format -i $$(git ls-files '*.cc' '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(TOOL_BUILD) build-* out
