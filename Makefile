# The two commands of the README: `make run` and `make test`. Both install what they need first.
BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= 2
ARGS       ?=

CMAKE_LAUNCHER := $(shell command -v ccache >/dev/null 2>&1 && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@sh scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_LAUNCHER)

configure: $(BUILD)/build.ninja

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	sh scripts/run.sh $(BUILD) $(ARGS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	sh scripts/bench.sh $(BUILD)

clean:
	rm -rf $(BUILD)
