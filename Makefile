# Everyday commands; each one installs what is missing first (Debian packages, as root).
BUILD ?= build
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 30
PACKAGES := cmake make g++ nlohmann-json3-dev libgtest-dev clang-format
CLANG_PACKAGES := clang libclang-rt-dev

.PHONY: setup build run test sanitize fuzz memcheck bench format clean

setup:
	@sh scripts/install-packages.sh $(PACKAGES)

build: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

run: build
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
	  build-fuzz/corpus-bytes fuzz/corpus
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

format: setup
	clang-format -i $$(git ls-files '*.cc' '*.h')

clean:
	rm -rf $(BUILD) build-* out
