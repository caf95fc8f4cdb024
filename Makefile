# The two commands a person needs: `make run` and `make test`.
BUILD    ?= build
JOBS     ?= $(shell nproc)
WERROR   := $(if $(filter true,$(CI)),ON,OFF)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVISTARA_WERROR=$(WERROR)

.PHONY: all deps build run test bench format fuzz clean

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/vistara

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: build
	@scripts/run-benchmarks $(BUILD)

# The Debian package, vistara_VERSION_ARCH.deb in the build folder (apt install ./build/vistara_*.deb).
.PHONY: package
package: build
	@cmake --build $(BUILD) --target package

fuzz: deps
	@scripts/run-fuzzers $(FUZZ_SECONDS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
