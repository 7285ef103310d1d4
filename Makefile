# The two everyday commands: `make run` and `make test`. `make bench` measures.
# CI (CI=true) builds with warnings as errors.
PRESET ?= $(if $(CI),ci,dev)
BUILD_DIR := build
STAMP := $(BUILD_DIR)/.configured-$(PRESET)

.PHONY: run test bench build deps format sanitize sanitize-asan sanitize-tsan package

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

# The tests again under AddressSanitizer with LeakSanitizer and UBSan, then
# under ThreadSanitizer, each in its own folder (build-asan/, build-tsan/); the
# runtimes come with g++. The test presets point at the suppressions in
# sanitizers/, which cover only the internals of Qt, the C library, D-Bus and
# GLib, none of them built with the sanitizers. The asan
# preset unwinds allocation stacks the slow way (fast_unwind_on_malloc=0):
# Debian's Qt has no frame pointers, and a leak reported from inside Qt should
# still name our caller. The tsan preset sets die_after_fork=0: the runner starts every tool
# with vfork while other threads run, TSan takes that for a fork of a threaded
# process, and the next thread start would end the test
# ("starting new threads after multi-threaded fork is not supported").
sanitize: sanitize-asan sanitize-tsan

sanitize-asan sanitize-tsan: sanitize-%: | deps
	cmake --preset $*
	cmake --build --preset $* -j$$(nproc)
	ctest --preset $*

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
