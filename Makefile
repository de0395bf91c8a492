# The two commands a user needs: `make run` and `make test`. Each target installs only the
# Debian packages its purpose needs (scripts/setup.sh PURPOSE).
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: all setup build configure run check test bench fuzz format clean install deb windows web \
        bench-web serve-web bench-page bench-page-motion

all: build

setup:
	@bash scripts/setup.sh build

# The Linux programs; the tests and benchmarks too once their libraries are installed.
configure = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(1) >/dev/null
build: setup
	@$(call configure,)
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD)

# The Linux build's unit and command-line tests, without the window, emulator, package,
# Windows and web stages: the quick check before a commit.
check:
	@bash scripts/setup.sh check
	@$(call configure,-DPELTRIX_TESTS=ON -DPELTRIX_BENCH=ON)
	@cmake --build $(BUILD) -j $(JOBS)
	@cd $(BUILD) && ctest -LE '^(window|emulator|package)$$' --output-on-failure -j $(JOBS)

# Every test on every face: Linux, Windows (under wine), the web page, the C64 programs.
test:
	@bash scripts/setup.sh test
	@$(call configure,-DPELTRIX_TESTS=ON -DPELTRIX_BENCH=ON)
	@cmake --build $(BUILD) -j $(JOBS)
	@WEB_BUILD=$(WEB_BUILD) bash scripts/test.sh $(BUILD)

# Installs the programs, desktop entry, icons, man pages and sample under PREFIX (inside
# DESTDIR when given): `sudo make install`, `make install PREFIX=/usr/local DESTDIR=/tmp/stage`.
PREFIX ?= /usr/local
install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# The Debian package $(BUILD)/peltrix_VERSION_amd64.deb; `sudo apt install ./$(BUILD)/peltrix_*.deb`.
deb: build
	@bash scripts/setup.sh deb
	@cd $(BUILD) && cpack -G DEB

# The Windows programs, cross-compiled with mingw-w64 into build-win/.
windows:
	@bash scripts/setup.sh windows
	@bash scripts/windows.sh build-win

bench:
	@bash scripts/setup.sh check
	@$(call configure,-DPELTRIX_BENCH=ON)
	@cmake --build $(BUILD) -j $(JOBS)
	@$(BUILD)/bench/peltrix_bench
	@$(BUILD)/bench/peltrix_cli_bench

# The core in WebAssembly (Debian's emscripten; zlib, libpng, libjpeg-turbo built once from
# Debian's sources into $(WEB_BUILD)/deps): the library and the converter run by node.
WEB_BUILD ?= build-web
web:
	@bash scripts/setup.sh web
	@JOBS=$(JOBS) bash scripts/build_web.sh $(WEB_BUILD) peltrix_core peltrix-convert
	@JOBS=$(JOBS) bash scripts/build_web_page.sh $(WEB_BUILD)

# The page of `make web` on 127.0.0.1, cross-origin isolated (two workers); WEB_PORT=0 picks
# a free port. Ctrl-C stops it.
WEB_PORT ?= 8064
serve-web: web
	@python3 scripts/serve_web.py --port $(WEB_PORT) $(WEB_BUILD)

# The job (whole pictures, one and two workers, every mode and photo) natively and in
# WebAssembly under node, side by side, then in headless Chromium; BENCH_RUNS runs each,
# the fastest shown.
BENCH_RUNS ?= 3
bench-web: bench
	@bash scripts/setup.sh web
	@JOBS=$(JOBS) bash scripts/build_web.sh $(WEB_BUILD) peltrix_job_bench peltrix_job_bench_page >/dev/null
	@python3 bench/job/side_by_side.py --runs $(BENCH_RUNS) --native $(BUILD)/bench/job/peltrix_job_bench \
	  --wasm $(WEB_BUILD)/bench/job/peltrix_job_bench.js
	@echo "headless Chromium, the same benchmark:"
	@python3 bench/job/in_chromium.py --runs $(BENCH_RUNS) $(WEB_BUILD)/bench/job/peltrix_job_bench_page.html

# The page's conversion time in headless Chromium (every photo and mode, one and two
# workers, isolated and not), BENCH_RUNS runs each after a warm-up.
bench-page: web
	@bash scripts/setup.sh test
	@bash scripts/install_page_test_modules.sh $(WEB_BUILD)/page-test
	@node bench/page/page_bench.js --runs $(BENCH_RUNS) --site $(WEB_BUILD) \
	  --modules $(WEB_BUILD)/page-test/node_modules --shared ../shared --python python3 \
	  --server scripts/serve_web.py --work $(WEB_BUILD)/page-bench

# What the playing picture in motion costs the page's conversions in headless Chromium:
# each conversion timed with the blend still and with the motion playing, BENCH_RUNS each.
bench-page-motion: web
	@bash scripts/setup.sh test
	@bash scripts/install_page_test_modules.sh $(WEB_BUILD)/page-test
	@node bench/page/motion_cost.js --runs $(BENCH_RUNS) --site $(WEB_BUILD) \
	  --modules $(WEB_BUILD)/page-test/node_modules --shared ../shared --python python3 \
	  --server scripts/serve_web.py --work $(WEB_BUILD)/motion-bench

# The decoders' libFuzzer targets (clang, ASan + UBSan), FUZZ_SECONDS each; not part of `test`.
FUZZ_SECONDS ?= 60
fuzz:
	@bash scripts/setup.sh fuzz
	@bash scripts/fuzz.sh $(FUZZ_SECONDS)

format:
	@bash scripts/setup.sh check
	@clang-format -i $$(git ls-files '*.cpp' '*.hpp')

clean:
	rm -rf $(BUILD) build-*
