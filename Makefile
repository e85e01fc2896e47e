# Everyday commands; each one installs what is missing first (Debian packages, as root).
BUILD ?= build
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 30
TOOL_PACKAGES := cmake make g++ nlohmann-json3-dev
TEST_PACKAGES := $(TOOL_PACKAGES) libgtest-dev clang-format groff-base
CLANG_PACKAGES := clang libclang-rt-dev
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix
WINE_PACKAGES := wine64 locales python3

.PHONY: setup setup-tool build-tool build run test sanitize fuzz memcheck bench windows test-windows package format clean

setup-tool:
	@sh scripts/install-packages.sh $(TOOL_PACKAGES)

setup:
	@sh scripts/install-packages.sh $(TEST_PACKAGES)

# The tool alone, for a quick first run.
build-tool: setup-tool
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DPARCELO_TESTS=OFF
	cmake --build $(BUILD) -j $(JOBS) --target parcelo

# Everything: the tool, the tests, the manual pages.
build: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DPARCELO_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)

run: build-tool
	mkdir -p out
	./$(BUILD)/parcelo data/sample-area.json out

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: setup
	@sh scripts/install-packages.sh $(CLANG_PACKAGES)
	CXX=clang++ cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DPARCELO_SANITIZE=address,undefined
	cmake --build build-sanitize -j $(JOBS)
	ctest --test-dir build-sanitize --output-on-failure -j $(JOBS)

# Each fuzz target for FUZZ_SECONDS, from the seed corpus; new inputs stay in build-fuzz/.
fuzz: setup
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
windows: setup
	@sh scripts/install-packages.sh $(WINDOWS_PACKAGES)
	cmake -S . -B build-windows --toolchain cmake/mingw-w64-x86_64.cmake --no-warn-unused-cli \
	  -DCMAKE_BUILD_TYPE=Release -DPARCELO_TESTS=OFF
	cmake --build build-windows -j $(JOBS)

# The whole-process checks against parcelo.exe under Wine, compared with the Linux build.
test-windows: build windows
	@sh scripts/install-packages.sh $(WINE_PACKAGES)
	python3 tests/windows/wine_test.py $(BUILD)/parcelo build-windows/parcelo.exe .

# A .deb (checked by lintian, installed and run on the sample when root) and a Windows .zip.
package: build windows
	@sh scripts/install-packages.sh dpkg-dev unzip lintian man-db locales
	cd $(BUILD) && cpack
	cd build-windows && cpack
	sh scripts/check-package.sh $(BUILD) build-windows

format: setup
	clang-format -i $$(git ls-files '*.cc' '*.h')

clean:
	rm -rf $(BUILD) build-* out
