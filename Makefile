# ListForge: one-command set-up, build, run and test on Debian 12.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)

# Every Debian package the project needs to build, run, test, benchmark and fuzz.
PACKAGES := cmake ninja-build g++ make pkg-config \
            qtbase5-dev qtbase5-dev-tools libqt5svg5-dev \
            libtirpc-dev rpcsvc-proto liblxi-dev lxi-tools \
            xvfb xauth imagemagick clang libclang-rt-14-dev \
            iproute2 util-linux python3 procps ccache \
            python3-pyvisa python3-pyvisa-py rpcbind xdotool \
            desktop-file-utils appstream lintian dpkg-dev fakeroot man-db

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps build run test bench test-asan fuzz fuzz-run clean format deb

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing packages:" $$missing; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -q && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: deps build
	./scripts/run-demo.sh $(BUILD)

# The summary ends with the share of the code that is tests, which fails the run above 35%.
test: deps build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 600
	./scripts/test-share.sh

bench: deps build
	./bench/run-all.sh $(BUILD)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLISTFORGE_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS) --timeout 1200

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DLISTFORGE_FUZZ=ON -DLISTFORGE_TESTS=OFF
	cmake --build build-fuzz -j $(JOBS) --target fuzz-all

fuzz-run: fuzz
	FUZZ_SECONDS=$(or $(FUZZ_SECONDS),60) ./scripts/fuzz-run.sh build-fuzz

# Debian packages in $(BUILD)/deb/, checked by lintian (errors fail) and by their expected contents.
deb: deps build
	rm -rf $(BUILD)/deb
	cd $(BUILD) && cpack -G DEB
	lintian --fail-on error --no-tag-display-limit $(BUILD)/deb/*.deb
	./packaging/check-debs.sh $(BUILD)/deb

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-fuzz
