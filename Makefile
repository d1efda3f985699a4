# Thin wrappers around CMake. `make run` and `make test` are the README's two commands.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
# `make install PREFIX=/opt/mrtkel`; DESTDIR stages the install below another root as usual.
PREFIX ?= /usr/local

.PHONY: deps configure build run test install package bench sanitize format clean

deps:
	bash scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/mrtkel $(ARGS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# A Debian package (.deb) in $(BUILD), installing under /usr.
package: build
	cd $(BUILD) && cpack -G DEB

bench: configure
	cmake --build $(BUILD) -j $(JOBS) --target mrtkel_bench
	$(BUILD)/bin/mrtkel_bench

sanitize: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMRTKEL_SANITIZE=ON -DMRTKEL_UI=OFF
	cmake --build build-asan -j $(JOBS)
	cd build-asan && UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) build-asan
