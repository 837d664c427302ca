# Ondrix: the two set-up commands are `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test install package bench coverage format clean

all: build

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./scripts/run.sh $(BUILD_DIR) $(ARGS)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# Installs into PREFIX (default /usr/local), below DESTDIR when given.
PREFIX ?= /usr/local
install: build
	DESTDIR=$(DESTDIR) cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# The Debian package ondrix_<version>_<arch>.deb in the build folder.
package: build
	cmake --build $(BUILD_DIR) --target package

bench: build
	./scripts/install-deps.sh bench
	set -e; for b in $$(find $(BUILD_DIR)/bench -type f -executable -name 'ondrix_bench*' | sort); do "$$b"; done

coverage:
	./scripts/coverage.sh build-coverage

format:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) build-coverage
