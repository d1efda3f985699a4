# Thin wrappers around CMake. `make run` and `make test` are the README's two commands.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
# `make install PREFIX=/opt/mrtkel`; DESTDIR stages the install below another root as usual.
PREFIX ?= /usr/local

.PHONY: deps configure build program run test install package bench bench-process sanitize fuzz format clean

deps:
	bash scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only the programs and their resources: a first `make run` does not wait for every test.
program: configure
	cmake --build $(BUILD) -j $(JOBS) --target mrtkel_program

run: program
	$(BUILD)/bin/mrtkel $(ARGS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# A Debian package (.deb) in $(BUILD), installing under /usr.
package: build
	cd $(BUILD) && cpack -G DEB

bench: configure
	cmake --build $(BUILD) -j $(JOBS) --target mrtkel_bench mrtkel_bench_qt
	$(BUILD)/bin/mrtkel_bench
	$(BUILD)/bin/mrtkel_bench_qt

# Whole-process timings of mrtkel-tool (bench/process/): generated ledgers of 20 years / 100,000
# lines and 50 years / 250,000 lines, made once in BENCH_DATA and kept, beside the `ledger`
# program on the same lines. ROUNDS rounds each (default 20). Not part of `make test`.
BENCH_DATA ?= $(BUILD)/bench-data
ROUNDS ?= 20
BENCH_TOOL = $(abspath $(BUILD))/bin/mrtkel-tool
BENCH_DATA_SOURCES = bench/process/make-data.sh bench/process/gen_ledger.py

bench-process: configure
	bash scripts/install-deps --bench
	cmake --build $(BUILD) -j $(JOBS) --target mrtkel-tool
	$(MAKE) --no-print-directory $(BENCH_DATA)/20y/bench.info $(BENCH_DATA)/50y/bench.info
	ROUNDS=$(ROUNDS) MRTKEL_TOOL=$(BENCH_TOOL) bash bench/process/run.sh $(BENCH_DATA)/20y
	@echo
	ROUNDS=$(ROUNDS) MRTKEL_TOOL=$(BENCH_TOOL) bash bench/process/run.sh $(BENCH_DATA)/50y

$(BENCH_DATA)/20y/bench.info: $(BENCH_DATA_SOURCES)
	rm -rf $(BENCH_DATA)/20y
	MRTKEL_TOOL=$(BENCH_TOOL) bash bench/process/make-data.sh $(BENCH_DATA)/20y 20 100000

$(BENCH_DATA)/50y/bench.info: $(BENCH_DATA_SOURCES)
	rm -rf $(BENCH_DATA)/50y
	MRTKEL_TOOL=$(BENCH_TOOL) bash bench/process/make-data.sh $(BENCH_DATA)/50y 50 250000

# The core tests under ASan and UBSan, with mrtkel-tool built the same way: the tests that run the
# tool's commands run them sanitized too. A report aborts the process it is in, so a tool that
# hits one never exits with a status a test might expect.
SANITIZE_ENV = ASAN_OPTIONS=abort_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1
sanitize: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMRTKEL_SANITIZE=ON -DMRTKEL_UI=OFF -DMRTKEL_BENCH=OFF
	cmake --build build-asan -j $(JOBS)
	cd build-asan && $(SANITIZE_ENV) ctest --output-on-failure -j $(JOBS) --timeout 600

# libFuzzer targets of every loader, FUZZ_SECONDS each (default 60); needs clang (installed here).
fuzz:
	JOBS=$(JOBS) bash scripts/fuzz

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) build-asan build-fuzz
