# The two commands a user needs: `make run` and `make test`.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: all setup build run test bench fuzz format clean install deb windows

all: build

setup:
	@bash scripts/setup.sh

build: setup
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD)

test: build
	@bash scripts/test.sh $(BUILD)

# Installs the programs, desktop entry, icons, man pages and sample under PREFIX (inside
# DESTDIR when given): `sudo make install`, `make install PREFIX=/usr/local DESTDIR=/tmp/stage`.
PREFIX ?= /usr/local
install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# The Debian package $(BUILD)/peltrix_VERSION_amd64.deb; `sudo apt install ./$(BUILD)/peltrix_*.deb`.
deb: build
	@cd $(BUILD) && cpack -G DEB

# The Windows programs, cross-compiled with mingw-w64 into build-win/.
windows: setup
	@bash scripts/windows.sh build-win

bench: build
	@$(BUILD)/bench/peltrix_bench
	@$(BUILD)/bench/peltrix_cli_bench

# The decoders' libFuzzer targets (clang, ASan + UBSan), FUZZ_SECONDS each; not part of `test`.
FUZZ_SECONDS ?= 60
fuzz: setup
	@bash scripts/fuzz.sh $(FUZZ_SECONDS)

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.hpp')

clean:
	rm -rf $(BUILD) build-*
