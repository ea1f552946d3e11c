# The commands a newcomer types. Each one installs what is missing and builds first.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
DEMO_DIR ?= $(BUILD_DIR)/demo

.PHONY: all deps configure build run test demo bench bench-10y sanitize tsan fuzz package format format-check clean \
  windows-sdk windows-configure windows test-windows

all: build

deps:
	@scripts/install-deps

# Configured once, and again whenever BUILD_TYPE differs from the type the build was made with.
CONFIGURED_TYPE = $(shell sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' $(BUILD_DIR)/CMakeCache.txt 2>/dev/null)
configure: deps
	@if [ ! -f $(BUILD_DIR)/CMakeCache.txt ] || [ "$(CONFIGURED_TYPE)" != "$(BUILD_TYPE)" ]; then \
	  echo cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE); \
	  cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE); \
	fi

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/bin/vesk-orv

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

demo: build
	scripts/demo $(BUILD_DIR)/bin $(DEMO_DIR)

# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer:
# any invalid memory access, leak or undefined behaviour fails the test that caused it.
SANITIZE_DIR ?= build-sanitize
SANITIZE_FLAGS = -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVESK_BUILD_BENCH=OFF \
	  -DCMAKE_C_FLAGS="$(SANITIZE_FLAGS)" -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	  ctest --output-on-failure -j $(JOBS)

# The tests of reading workbooks and of the imports again, built with ThreadSanitizer in
# build-tsan/: an import reads its file on a thread of its own while it stores the rows,
# and any data race between the two fails the test that caused it; the open items pair their
# months on several threads, each with a connection of its own. The fuzz corpora are
# replayed by the other builds; their programs are not built here.
TSAN_DIR ?= build-tsan
TSAN_FLAGS = -fsanitize=thread -fno-omit-frame-pointer
TSAN_TESTS = test_base test_domain
tsan: deps
	cmake -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESK_BUILD_BENCH=OFF -DVESK_BUILD_GUI=OFF \
	  -DCMAKE_C_FLAGS="$(TSAN_FLAGS)" -DCMAKE_CXX_FLAGS="$(TSAN_FLAGS)" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread"
	cmake --build $(TSAN_DIR) -j $(JOBS) --target $(TSAN_TESTS)
	cd $(TSAN_DIR) && TSAN_OPTIONS=halt_on_error=1:die_after_fork=0 ctest --output-on-failure -j $(JOBS) \
	  -L "sheet|report|cli|robustness|review" -LE fuzz

# The readers' libFuzzer targets, built with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# in build-fuzz/; each runs for FUZZ_SECONDS, one after the other (scripts/fuzz), or, with
# FUZZ_RUNS=N, N inputs from a fixed seed (CI's short run).
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = fuzz_xlsx fuzz_xls fuzz_date_text fuzz_number_text fuzz_printout
fuzz: deps
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESK_FUZZ=ON \
	  -DVESK_BUILD_GUI=OFF -DVESK_BUILD_TESTS=OFF -DVESK_BUILD_BENCH=OFF \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target $(FUZZ_TARGETS)
	scripts/fuzz $(FUZZ_DIR)/bin $(FUZZ_SECONDS)

bench: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target benchmarks
	scripts/bench $(BUILD_DIR)/bin

# The month's jobs on ten years of history, built once in $(BUILD_DIR)/bench-cache (about
# half an hour and 5 GB the first time).
bench-10y: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target ten_years
	$(BUILD_DIR)/bin/ten_years

# The Debian package, vesk-orv_<version>_amd64.deb, in the build folder; checked by lintian
# (Debian's package checker) when it is installed: any error or warning fails.
VERSION = $(shell sed -n 's/^project.vesk_orv VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
package: build
	cd $(BUILD_DIR) && cpack -G DEB
	@if command -v lintian >/dev/null; then \
	  echo lintian $(BUILD_DIR)/vesk-orv_$(VERSION)_amd64.deb; \
	  lintian --fail-on error,warning $(BUILD_DIR)/vesk-orv_$(VERSION)_amd64.deb; \
	else \
	  echo "lintian is not installed: the package was not checked"; \
	fi

# Every C++ file the repository tracks, laid out by the committed .clang-format. One version
# of clang-format, the one scripts/install-deps installs: another lays some lines out otherwise.
CLANG_FORMAT = clang-format-14
FORMAT_FILES = $(shell git ls-files '*.cpp' '*.h')
format: deps
	$(CLANG_FORMAT) -i $(FORMAT_FILES)
format-check: deps
	$(CLANG_FORMAT) --dry-run --Werror $(FORMAT_FILES)

# Windows x86_64, cross-compiled here with mingw-w64 and run under wine. The libraries come
# from Debian's sources, built once per machine outside the tree (scripts/windows-sdk, about
# half an hour the first time; VESK_WINDOWS_SDK=DIR names a folder built before).
WINDOWS_DIR ?= build-windows
windows-sdk:
	@scripts/windows-sdk
windows-configure: windows-sdk
	@sdk=$$(scripts/windows-sdk | tail -n 1); \
	if ! grep -qx "VESK_WINDOWS_SDK:[A-Z]*=$$sdk" $(WINDOWS_DIR)/CMakeCache.txt 2>/dev/null; then \
	  echo cmake -S . -B $(WINDOWS_DIR) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/windows-toolchain.cmake -DVESK_WINDOWS_SDK=$$sdk; \
	  cmake -S . -B $(WINDOWS_DIR) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/windows-toolchain.cmake \
	    -DVESK_WINDOWS_SDK=$$sdk -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESK_BUILD_BENCH=OFF \
	    -DVESK_LINUX_CLI=$(CURDIR)/$(BUILD_DIR)/bin/vesk-orv-cli; \
	fi
# The setup and the portable zip: $(WINDOWS_DIR)/vesk-orv-<version>-setup.exe and -portable.zip.
windows: windows-configure
	cmake --build $(WINDOWS_DIR) -j $(JOBS) --target windows_setup
# The whole suite, built for Windows and run under wine (window tests offscreen); the Linux
# build's command line reads and writes the same database file in one of them.
test-windows: build windows-configure
	cmake --build $(WINDOWS_DIR) -j $(JOBS)
	scripts/test-windows $(WINDOWS_DIR) $(JOBS)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(TSAN_DIR) $(FUZZ_DIR) $(WINDOWS_DIR)
