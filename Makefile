# Everyday commands; each one installs what is missing first (Debian packages, as root).
BUILD ?= build
JOBS ?= $(shell nproc)
PACKAGES := cmake make g++ nlohmann-json3-dev libgtest-dev clang-format

.PHONY: setup build run test format clean

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

format: setup
	clang-format -i $$(git ls-files '*.cc' '*.h')

clean:
	rm -rf $(BUILD) build-* out
