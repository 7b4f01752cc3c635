# KVL: `make run` starts it under Wine, `make test` builds everything and runs every test.
# `make fuzz` runs each fuzz target for FUZZ_SECONDS, one after another (not part of test).
SHELL := /bin/bash
JOBS ?= 2
WINE := scripts/wine-env.sh
FUZZ_SECONDS ?= 600
FUZZ_TARGETS ?= all

.PHONY: all deps build host win64 win32 test run fuzz soak bench dist clean

all: build

deps:
	@scripts/deps.sh

build: host win64 win32

host: deps
	@cmake --preset host >/dev/null
	@cmake --build --preset host -j$(JOBS)

win64: deps
	@cmake --preset win64 >/dev/null
	@cmake --build --preset win64 -j$(JOBS)

win32: deps
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32 -j$(JOBS)

test: build
	@status=0; \
	ctest --preset host || status=1; \
	ctest --preset win64 || status=1; \
	$(WINE) can-run build/win32/KVL.exe || echo "make test: the win32 tests are reported as skipped"; \
	ctest --preset win32 || status=1; \
	for depth in 24 8 16; do KVL_WINE_DEPTH=$$depth $(WINE) stop; done; \
	KVL_WINE_DPI=144 $(WINE) stop; \
	exit $$status

# One target at a time, each in a single process: the machine has two cores to share.
fuzz: host
	@status=0; \
	for t in $(FUZZ_TARGETS); do scripts/fuzz.sh $$t $(FUZZ_SECONDS) || status=1; done; \
	exit $$status

# More schedules of the simulated hostile desktop than make test runs, for SECONDS seconds.
SECONDS ?= 60
soak: host
	@build/host/kvl_simulation --seconds $(SECONDS)

# Benchmarks under Wine and on the host (a few minutes); writes bench/results.md.
bench: build
	@status=0; \
	KVL_BENCH_COMMAND="make bench" bench/run.sh || status=1; \
	$(WINE) stop; \
	exit $$status

# What a Windows user downloads: each build's zip and their SHA-256 sums, in build/dist.
dist: win64 win32
	@rm -rf build/dist && mkdir -p build/dist
	@cp build/win64/dist/*.zip build/win32/dist/*.zip build/dist/
	@cd build/dist && sha256sum *.zip >SHA256SUMS && cat SHA256SUMS

run: win64
	@$(WINE) gui build/win64/KVL.exe

clean:
	-@for depth in 24 8 16; do KVL_WINE_DEPTH=$$depth $(WINE) stop; done
	rm -rf build
