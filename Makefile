# The two everyday commands: `make run` and `make test`. `make bench` measures.
# CI (CI=true) builds with warnings as errors.
PRESET ?= $(if $(CI),ci,dev)
BUILD_DIR := build
STAMP := $(BUILD_DIR)/.configured-$(PRESET)

.PHONY: run test bench build deps format package

run: check-display $(STAMP)
	cmake --build --preset $(PRESET) -j$$(nproc) --target velborn-trimlet
	$(BUILD_DIR)/bin/velborn-trimlet

test: build
	ctest --preset $(PRESET)

bench: $(STAMP)
	cmake --build --preset $(PRESET) -j$$(nproc) --target velborn-bench
	$(BUILD_DIR)/bin/velborn-bench

build: $(STAMP)
	cmake --build --preset $(PRESET) -j$$(nproc)

# A .deb of a Release build installed under /usr, in its own folder
# (build-package/) so the test build is left alone.
package: | deps
	@command -v dpkg-shlibdeps >/dev/null || { echo "make package needs dpkg-shlibdeps. Run as root: apt-get install -y dpkg-dev" >&2; exit 1; }
	cmake --preset package
	cmake --build --preset package -j$$(nproc)
	cpack --preset package

deps:
	@sh scripts/ensure-deps.sh

$(STAMP): | deps
	cmake --preset $(PRESET)
	rm -f $(BUILD_DIR)/.configured-*
	touch $@

.PHONY: check-display
check-display:
	$(if $(DISPLAY)$(WAYLAND_DISPLAY),,$(error make run needs a graphical display, and neither DISPLAY nor WAYLAND_DISPLAY is set))

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i
