# The two commands of the README, and a few more for developers.
JOBS ?= $(shell nproc 2>/dev/null || echo 4)
BUILD ?= build
SANBUILD ?= build-san
DIR ?= play
NODE ?= 1

# The game on node NODE in DIR, as the BBS start script runs it: status 254 runs the node's
# external module (ext<node>.sh) and starts the game again.
RUN_NODE = cd "$(DIR)" && while :; do "$(CURDIR)/$(BUILD)/apps/quorvath" /L /N$(NODE); s=$$?; \
	[ $$s -eq 254 ] || exit $$s; ./ext$(NODE).sh; done

.PHONY: all build configure programs test test-plain test-san play node quorcfg bench fuzz format format-check clean

all: build

configure:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

# Everything: the programs, the tools and every test program.
build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only the programs a target runs (PROGRAMS), so that a first play does not wait for the tests.
PROGRAMS = quorvath
programs: configure
	cmake --build $(BUILD) -j $(JOBS) --target $(PROGRAMS)

# make node and make quorcfg play in the game directory that make play made: without it they
# say so in one line before anything is built.
ifneq ($(filter node quorcfg,$(MAKECMDGOALS)),)
ifeq ($(wildcard $(DIR)/.),)
$(error No game directory $(DIR): make play DIR=$(DIR) makes one from data/)
endif
endif

# Every test, then every test again under AddressSanitizer and UndefinedBehaviorSanitizer
# (with the fuzz targets' kept inputs replayed).
test: test-plain test-san

test-plain: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

test-san:
	CC=clang CXX=clang++ cmake -S . -B $(SANBUILD) -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON -DQV_FUZZ=ON >/dev/null
	cmake --build $(SANBUILD) -j $(JOBS)
	cd $(SANBUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS) --timeout 600

# A local log-on into the game directory DIR, made from data/ on the first play and kept
# afterwards, as a game keeps its players. FRESH=1 makes it again from data/, but never
# while a process (a node playing, a shell) is in it. A directory just made gets its files
# and the day's maintenance from "quorvath MAINT" first, as the README's first start does.
play: programs
	@if [ "$(FRESH)" = "1" ] && [ -d "$(DIR)" ]; then \
		d=$$(cd "$(DIR)" && pwd -P); \
		for p in /proc/[0-9]*; do \
			if [ "$$(readlink $$p/cwd 2>/dev/null)" = "$$d" ]; then \
				echo "$(DIR) is in use (process $${p#/proc/}): leave the game there first."; exit 1; \
			fi; \
		done; \
		rm -rf "$(DIR)"; \
	fi
	@[ -d "$(DIR)" ] || { cp -r data "$(DIR)" && cd "$(DIR)" && "$(CURDIR)/$(BUILD)/apps/quorvath" MAINT; }
	$(RUN_NODE)

# The sysop's utility in the game directory of make play.
quorcfg: PROGRAMS = quorcfg
quorcfg: programs
	cd "$(DIR)" && "$(CURDIR)/$(BUILD)/apps/quorcfg"

# A second caller on the same game directory: make node NODE=2 (in another terminal).
node: programs
	$(RUN_NODE)

bench:
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQV_BENCH=ON >/dev/null
	cmake --build build-bench -j $(JOBS)
	@for b in build-bench/bench/*_bench; do [ -x "$$b" ] && $$b; done; true

# Runs each fuzz target for FUZZ_SECONDS (default 60) on its corpus.
FUZZ_SECONDS ?= 60
fuzz:
	CC=clang CXX=clang++ cmake -S . -B $(SANBUILD) -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON -DQV_FUZZ=ON >/dev/null
	cmake --build $(SANBUILD) -j $(JOBS)
	@for f in $(SANBUILD)/fuzz/fuzz_*; do \
		n=$$(basename $$f); mkdir -p $(CURDIR)/fuzz/artifacts/$$n $(CURDIR)/fuzz/work/$$n; \
		echo "== $$n"; $$f -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=$(CURDIR)/fuzz/artifacts/$$n/ $(CURDIR)/fuzz/work/$$n $(CURDIR)/fuzz/corpus/$$n || exit 1; \
	done

# The C++ sources in the style of .clang-format: format rewrites them in place, format-check
# only lists what it would change and fails when there is anything.
CLANG_FORMAT ?= clang-format
FORMAT_SOURCES = $(shell find door engine game multi config apps tests bench fuzz -name '*.cpp' -o -name '*.hpp')
format:
	$(CLANG_FORMAT) -i $(FORMAT_SOURCES)
format-check:
	$(CLANG_FORMAT) --dry-run --Werror $(FORMAT_SOURCES)

clean:
	rm -rf $(BUILD) $(SANBUILD) build-bench
