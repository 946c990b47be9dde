# Two commands do everything: `make run` and `make test`. `make bench` and `make fuzz` measure;
# `make lab ARGS="..."` plays many battles without a screen (build/battle-lab); `make web` builds the
# page that plays the battle in a browser (build-web/battle.html).
#
# Parts of the suite, by the tests' labels (unit, e2e, page, package, slow): `make test-quick` runs
# the unit tests less the slow ones, in under a minute once built; `make test-e2e` the real programs
# less the slow ones; `make test-unit CTEST_ARGS="-L page"` any choice of ctest's.
SHELL := /bin/bash
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
TSAN_DIR ?= build-tsan
WEB_DIR ?= build-web
FUZZ_DIR ?= build-fuzz
LAB_DIR ?= build-lab
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
CTEST_ARGS ?=
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
PREFIX ?= /usr/local

# Any sanitizer report fails the run at once.
export ASAN_OPTIONS ?= halt_on_error=1:detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS ?= halt_on_error=1:print_stacktrace=1

.PHONY: deps configure build run lab web test test-unit test-quick test-e2e test-sanitized test-threads bench fuzz \
	fuzz-build clean install uninstall package

deps:
	@scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) -DBATTLE_WEB_PAGE=$(abspath $(WEB_DIR))/battle.html >/dev/null

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/battle $(ARGS)

lab: build
	./$(BUILD_DIR)/battle-lab $(ARGS)

# The browser's page, $(WEB_DIR)/battle.html: one file that plays from disk or any static host.
# Emscripten compiles the game; the graphics library's font and the icon come from the native build.
web: configure
	cmake --build $(BUILD_DIR) --target battle_font_glyphs battle_icon_pictures
	NODE_PATH=/usr/share/nodejs emcmake cmake -S . -B $(WEB_DIR) -DCMAKE_BUILD_TYPE=Release \
		-DBATTLE_FONT_GLYPHS=$(abspath $(BUILD_DIR))/generated/FontGlyphs.cpp \
		-DBATTLE_ICON=$(abspath $(BUILD_DIR))/icons/64x64/battle.png >/dev/null
	NODE_PATH=/usr/share/nodejs cmake --build $(WEB_DIR) -j $(JOBS)

# Both programs under $(DESTDIR)$(PREFIX): battle with its man page, desktop entry, icon and
# metainfo, battle-lab with its man page, and the bash completions of both. It lists what it
# installed there, in share/battle/installed-files, for `make uninstall`. It builds only what it
# installs (no tests, no page) and needs no network once the build's packages are there; a
# build folder already configured is built as it was configured.
install:
	@scripts/install-deps --programs
	[ -f $(BUILD_DIR)/CMakeCache.txt ] || cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD_DIR) -j $(JOBS) --target battle_installed
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# Removes what `make install` put under $(DESTDIR)$(PREFIX), as it listed it: from any build
# folder, or none.
uninstall:
	DESTDIR="$(DESTDIR)" cmake -D PREFIX="$(PREFIX)" -P cmake/Uninstall.cmake

# The Debian packages in $(BUILD_DIR)/packages: battle from this build, battle-lab from a build
# of the lab alone in $(LAB_DIR).
package: build
	JOBS=$(JOBS) scripts/make-packages $(BUILD_DIR) $(LAB_DIR) $(BUILD_DIR)/packages

# The whole suite: unit and end-to-end tests (the page's in a browser among them), then the same
# under the sanitizers with the soak, battles in threads under the thread sanitizer, then a short
# fuzz of the command line.
test: test-unit test-sanitized test-threads
	$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=5

# Among them lab_without_screen_libraries: a build of the lab alone, in a folder of its own, runs
# the tests of the game, the lab and the command line too.
test-unit: build web
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)

# The unit tests less the slow ones, with only the test programs built: for every change.
test-quick: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target battle_tests battle_screen_tests
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) -L unit -LE slow

# The real programs on private X servers and from scripts, less the slow ones.
test-e2e: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) -L e2e -LE slow

test-sanitized: deps
	cmake -S . -B $(ASAN_DIR) $(CMAKE_FLAGS) -DBATTLE_SANITIZE=ON >/dev/null
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && ctest --output-on-failure -j $(JOBS)

test-threads: deps
	cmake -S . -B $(TSAN_DIR) $(CMAKE_FLAGS) -DBATTLE_THREAD_SANITIZE=ON >/dev/null
	cmake --build $(TSAN_DIR) -j $(JOBS)
	cd $(TSAN_DIR) && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS)

# The native scenarios, then the page's frames in headless Chromium, in one run.
bench: build web
	./$(BUILD_DIR)/battle-bench $(SCENARIOS)
	node bench/page-bench.js $(WEB_DIR)/battle.html

fuzz-build: deps
	mkdir -p $(FUZZ_DIR)/corpus
	clang++ -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -Isrc \
		tests/fuzz/ParseCountFuzz.cpp src/cli/CountArguments.cpp src/cli/OptionNumber.cpp -o $(FUZZ_DIR)/parse-count-fuzz
	mkdir -p $(FUZZ_DIR)/options-corpus
	clang++ -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -Isrc \
		-DBATTLE_VERSION='"fuzz"' tests/fuzz/OptionsFuzz.cpp src/app/Options.cpp src/cli/CommandLine.cpp \
		src/cli/CountArguments.cpp src/cli/OptionNumber.cpp src/cli/Quoted.cpp src/game/UnitCounts.cpp src/game/Moment.cpp \
		-o $(FUZZ_DIR)/options-fuzz

fuzz: fuzz-build
	./$(FUZZ_DIR)/parse-count-fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
		$(FUZZ_DIR)/corpus tests/fuzz/corpus 2>&1 | grep -E "^(Done|stat::number_of_executed_units|==|SUMMARY)" ; \
		test $${PIPESTATUS[0]} -eq 0
	./$(FUZZ_DIR)/options-fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
		$(FUZZ_DIR)/options-corpus tests/fuzz/options-corpus 2>&1 | grep -E "^(Done|stat::number_of_executed_units|==|SUMMARY)" ; \
		test $${PIPESTATUS[0]} -eq 0

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(TSAN_DIR) $(FUZZ_DIR) $(WEB_DIR) $(LAB_DIR)
