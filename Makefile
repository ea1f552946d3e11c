# The commands a newcomer types. Each one installs what is missing and builds first.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
DEMO_DIR ?= $(BUILD_DIR)/demo

.PHONY: all deps configure build run test demo bench package clean

all: build

deps:
	@scripts/install-deps

$(BUILD_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

configure: deps $(BUILD_DIR)/CMakeCache.txt

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/bin/vesk-orv

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

demo: build
	scripts/demo $(BUILD_DIR)/bin $(DEMO_DIR)

bench: build
	scripts/bench $(BUILD_DIR)/bin

# The Debian package, vesk-orv_<version>_amd64.deb, in the build folder.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf $(BUILD_DIR)
