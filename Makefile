# Tessary: `make run` starts the program, `make test` runs every test. Both install what is
# missing first (scripts/install-deps) and build in build/.

BUILD ?= build
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 30

WINDOWS_BUILD ?= build-windows
WINDOWS_CMAKE = cmake -S . -B $(WINDOWS_BUILD) -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DTESSARY_WERROR=ON

.PHONY: all deps build run cli-example screenshot test sanitize fuzz bench format clean \
  windows test-windows dist package web web-serve test-web web-screenshot

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD)

run: build
	$(BUILD)/ui/tessary

# The example as tessary-cli lists it.
cli-example: build
	$(BUILD)/cli/tessary-cli --end '$$100' examples/sheet.chr - | head -n 20

# docs/screenshot.png, from the window under a virtual display.
screenshot: build
	TESSARY_BIN=$(BUILD)/ui/tessary scripts/screenshot

test: build
	ctest --test-dir $(BUILD) --output-on-failure

# Every test again under AddressSanitizer and UndefinedBehaviorSanitizer, warnings as errors.
sanitize: deps
	@cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSARY_SANITIZE=ON \
	  -DTESSARY_WERROR=ON -DTESSARY_BUILD_BENCH=OFF >/dev/null
	@cmake --build build-sanitize
	ctest --test-dir build-sanitize --output-on-failure

# Val2, then the picture reader, under libFuzzer with the sanitizers, for FUZZ_SECONDS each.
fuzz: deps
	@if ! command -v clang++ >/dev/null; then echo "fuzz: no clang++ here; skipped"; else \
	  CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DTESSARY_FUZZ=ON -DTESSARY_SANITIZE=ON -DTESSARY_WERROR=ON >/dev/null && \
	  cmake --build build-fuzz && \
	  build-fuzz/val2_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=256 -print_final_stats=1 && \
	  build-fuzz/picture_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -print_final_stats=1; \
	fi

# tessary-cli.exe for 64-bit Windows, static, in $(WINDOWS_BUILD)/cli/ (no window: Qt for
# Windows is not packaged here).
windows: deps
	@$(WINDOWS_CMAKE) >/dev/null
	@cmake --build $(WINDOWS_BUILD) --target tessary-cli
	@ls -l $(WINDOWS_BUILD)/cli/tessary-cli.exe

# The core and command-line tests, built for Windows and run under wine.
test-windows: deps
	@$(WINDOWS_CMAKE) >/dev/null
	@cmake --build $(WINDOWS_BUILD)
	scripts/test-windows $(WINDOWS_BUILD)

# tessary-<version>-windows-x86_64.zip: tessary-cli.exe, the README and the example sheet.
dist: windows
	cd $(WINDOWS_BUILD) && cpack -G ZIP

# The .deb of the window and tessary-cli, then checked: unpacked, run, its dependencies read.
package: build
	cd $(BUILD) && cpack -G DEB
	scripts/check-package $(BUILD)/tessary_*.deb

# The browser page as a static site in $(WEB_SITE): index.html, tessary.js, tessary.wasm and the
# icon. Debian's emscripten; its optimizer finds acorn through NODE_PATH.
WEB_SITE ?= build-web
WEB_BUILD ?= build-web-obj
WEB_PORT ?= 8018
web: deps
	@NODE_PATH=/usr/share/nodejs emcmake cmake -S . -B $(WEB_BUILD) -G Ninja -DTESSARY_WERROR=ON \
	  -DTESSARY_BUILD_UI=OFF -DTESSARY_BUILD_BENCH=OFF >/dev/null
	@NODE_PATH=/usr/share/nodejs cmake --build $(WEB_BUILD) -j2
	@web/assemble-site $(WEB_BUILD) $(WEB_SITE)
	@ls -l $(WEB_SITE)

web-serve: web
	@echo "Tessary's page: http://127.0.0.1:$(WEB_PORT)/  (Ctrl-C stops the server)"
	cd $(WEB_SITE) && python3 -m http.server $(WEB_PORT) --bind 127.0.0.1

# The page in headless chromium against tessary-cli, then its speed figures.
test-web: web
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) --target tessary-cli
	/usr/bin/python3 web/test_page.py --site $(WEB_SITE) --cli $(BUILD)/cli/tessary-cli \
	  --figures $(WEB_BUILD)/figures.txt
	@cat $(WEB_BUILD)/figures.txt

# docs/web.png, the page as headless chromium shows it at 1280x720 (after the tests).
web-screenshot: web
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) --target tessary-cli
	/usr/bin/python3 web/test_page.py --site $(WEB_SITE) --cli $(BUILD)/cli/tessary-cli \
	  --screenshot docs/web.png

bench: build
	bench/run-bench $(BUILD)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) build-sanitize build-fuzz $(WINDOWS_BUILD) $(WEB_SITE) $(WEB_BUILD)
