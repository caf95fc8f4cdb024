# The two commands a person needs: `make run` and `make test`.
BUILD    ?= build
JOBS     ?= $(shell nproc)
WERROR   := $(if $(filter true,$(CI)),ON,OFF)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVISTARA_WERROR=$(WERROR)

.PHONY: all deps build build-sanitized run test test-fast test-sanitized bench format fuzz clean mutants soak

# The sanitized build: AddressSanitizer and UndefinedBehaviorSanitizer over every test.
SAN_BUILD ?= build-asan
SAN_ENV = ASAN_OPTIONS=detect_stack_use_after_return=0:abort_on_error=0:detect_leaks=1 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# Only the program: tests, benchmarks and packaging are built by the targets that need them.
run: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target vistara
	$(BUILD)/vistara

# Every test, in the normal build and again in the sanitized one.
test: test-fast test-sanitized

test-fast: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

build-sanitized: deps
	@cmake -S . -B $(SAN_BUILD) $(CMAKE_FLAGS) -DVISTARA_SANITIZE=ON >/dev/null
	@cmake --build $(SAN_BUILD) -j $(JOBS)

test-sanitized: build-sanitized
	$(SAN_ENV) ctest --test-dir $(SAN_BUILD) --output-on-failure -j $(JOBS)

bench: build
	@scripts/run-benchmarks $(BUILD)

# The Debian package, vistara_VERSION_ARCH.deb in the build folder (apt install ./build/vistara_*.deb).
.PHONY: package
package: build
	@cmake --build $(BUILD) --target package

# Films played through by automatic advance, 20 rounds on Xvfb beside two busy processes
# (long: not part of `make test`). Prints `rounds N, stalls K`.
soak: build
	@scripts/soak $(BUILD)

# Wrong programs must fail the window's tests (long: not part of `make test`).
mutants: deps
	@scripts/mutants

fuzz: deps
	@scripts/run-fuzzers $(FUZZ_SECONDS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) build-mutants
