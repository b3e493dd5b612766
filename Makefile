# Front door. On a fresh Debian 12 machine (as root) every target installs what it needs.
#   make demo    build the DLL and watch it answer a simulated player under Wine
#   make test    every test: native unit tests, then the DLLs under Wine (ARM64: emulated)
#   make dll     the three DLLs alone: build/windows/ (x86), build/windows-x64/ (x64) and
#                build/windows-arm64/ (ARM64)
#   make bench   load, scan, memory and tag-query figures, measured under Wine
#   make soak    every export 10,000 times in each mode (long; make test runs fewer)
#   make dist    the zip for Windows users
#   make fuzz    the byte parsers under libFuzzer (FUZZ_SECONDS each, default 60)

SHELL   := /bin/bash
BUILD   := build
WINDOWS := $(BUILD)/windows
WINDOWS64 := $(BUILD)/windows-x64
ARM64   := $(BUILD)/windows-arm64
NATIVE  := $(BUILD)/native
JOBS    ?= 2
FUZZ_SECONDS ?= 60

.PHONY: all deps dll windows native test demo bench soak dist fuzz clean

all: dll

deps:
	@ZEL_WANT_FUZZ=$(if $(filter test fuzz,$(MAKECMDGOALS)),1,0) \
	  ZEL_WANT_ARM64=$(if $(filter test,$(MAKECMDGOALS)),1,0) tools/dev/install-deps.sh

$(WINDOWS)/CMakeCache.txt: | deps
	@cmake -S . -B $(WINDOWS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null

$(WINDOWS64)/CMakeCache.txt: | deps
	@cmake -S . -B $(WINDOWS64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null

$(ARM64)/CMakeCache.txt: | deps
	@cmake -S . -B $(ARM64) -DCMAKE_TOOLCHAIN_FILE=cmake/clang-aarch64.cmake >/dev/null

$(NATIVE)/CMakeCache.txt: | deps
	@cmake -S . -B $(NATIVE) -DZEL_WINDOWS_BUILD_DIR=$(abspath $(WINDOWS)) \
	  -DZEL_WINDOWS_X64_BUILD_DIR=$(abspath $(WINDOWS64)) >/dev/null

dll: $(WINDOWS)/CMakeCache.txt $(WINDOWS64)/CMakeCache.txt $(ARM64)/CMakeCache.txt
	@cmake --build $(WINDOWS) --target zel_winamp -j $(JOBS)
	@cmake --build $(WINDOWS64) --target zel_winamp -j $(JOBS)
	@cmake --build $(ARM64) --target zel_winamp -j $(JOBS)
	@echo "built $(WINDOWS)/zel.winamp.dll (x86), $(WINDOWS64)/zel.winamp.dll (x64)" \
	  "and $(ARM64)/zel.winamp.dll (ARM64)"

# Every architecture: the DLL and the programs that test it.
windows: $(WINDOWS)/CMakeCache.txt $(WINDOWS64)/CMakeCache.txt $(ARM64)/CMakeCache.txt
	@cmake --build $(WINDOWS) -j $(JOBS)
	@cmake --build $(WINDOWS64) -j $(JOBS)
	@cmake --build $(ARM64) -j $(JOBS)

native: $(NATIVE)/CMakeCache.txt
	@cmake --build $(NATIVE) -j $(JOBS)

test: windows native
	@tests/run-all.sh $(BUILD)

demo: windows
	@tests/wine/demo.sh $(BUILD)

bench: windows
	@cmake --build $(WINDOWS) --target bench_unbounded -j $(JOBS)
	@cmake --build $(WINDOWS64) --target bench_unbounded -j $(JOBS)
	@tests/wine/bench.sh $(BUILD)

soak: windows
	@. tests/wine/wine_env.sh && for arch in $$(runnable_arches); do \
	  echo "soak: $$(describe_arch $$arch)"; \
	  ZEL_ARCH=$$arch SOAK_CALLS=10000,10000 SOAK_PLAYER_CALLS=10000,10000 \
	    tests/bench/soak.sh $(BUILD) || exit 1; done

dist: windows
	@tools/dev/make-dist.sh $(BUILD)

fuzz: deps
	@tests/fuzz/run.sh $(BUILD)/fuzz $(FUZZ_SECONDS)

# The arm64 root of the test stage is mounted only while the stage runs; should a run
# have been cut short, its mounts go first, so that nothing outside the build is removed.
clean:
	@for point in proc dev; do \
	  if mountpoint -q $(BUILD)/arm64-root/$$point 2>/dev/null; then umount -l $(BUILD)/arm64-root/$$point; fi; done
	rm -rf --one-file-system $(BUILD)
