# Builds the host tools and the i686 deliverables, and gathers dist/.
#   make                   build everything into build/ and dist/
#   make check             also run every test (scripts/test.sh)
#   make install           install glimmer-pack and the Windows images it packs under PREFIX
#                          (default /usr/local; DESTDIR is honoured)
#   make deb               build the Debian package glimmer-pack_VERSION_ARCH.deb into dist/
#   make BUILD=dir         use another build folder (its dist/ then lies inside it)
#   make WINE_TESTS=win64  run the Win32 tests on the x86_64 twin (where 32-bit Wine is missing)
#   make win64             also build the x86_64 twin of the programs into dist/win64/
#   make web               gather the page into dist/web/ (after a build)
#   make tests             also build the fuzz targets (with clang), for scripts/test.sh
#   make wasm              the page's WebAssembly module and its tests (the decoding libraries
#                          come from Debian's source packages and are built once)
BUILD ?= build
JOBS ?= 2
# The Windows build whose Win32 tests CTest runs under Wine: win32 (the shipped i686 programs,
# under 32-bit Wine) or win64 (the x86_64 twin, under wine64).
WINE_TESTS ?= win32
ifeq ($(abspath $(BUILD)),$(abspath build))
DIST ?= dist
else
DIST ?= $(BUILD)/dist
endif
ABS_BUILD := $(abspath $(BUILD))
TESTS_IN = $(if $(filter $(1),$(WINE_TESTS)),ON,OFF)
PREFIX ?= /usr/local

.PHONY: all host win32 win64 fuzz wasm dist web tests check install deb clean

all: dist

# glimmer-pack links libimagequant built from Debian's source with the scalar arithmetic the
# WebAssembly module has (web/wasm/deps.sh native): Debian's own library, built with SSE, picks
# a few pixels differently, and the page would not make the command line's bytes.
host:
	web/wasm/deps.sh native $(BUILD)/wasm
	cmake -S . -B $(BUILD)/host -DCMAKE_BUILD_TYPE=Release \
	    -DGLIMMER_WIN32_BUILD=$(ABS_BUILD)/win32 -DGLIMMER_DIST=$(abspath $(DIST)) \
	    -DGLIMMER_IMAGEQUANT_PREFIX=$(ABS_BUILD)/wasm/native >/dev/null
	cmake --build $(BUILD)/host -j$(JOBS)

win32: host
	cmake -S . -B $(BUILD)/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake \
	    -DCMAKE_BUILD_TYPE=Release -DGLIMMER_HOST_TOOLS=$(ABS_BUILD)/host/tools \
	    -DGLIMMER_WINE_TESTS=$(call TESTS_IN,win32) >/dev/null
	cmake --build $(BUILD)/win32 -j$(JOBS)

win64: host win32
	cmake -S . -B $(BUILD)/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake \
	    -DCMAKE_BUILD_TYPE=Release -DGLIMMER_HOST_TOOLS=$(ABS_BUILD)/host/tools \
	    -DGLIMMER_WIN32_BUILD=$(ABS_BUILD)/win32 \
	    -DGLIMMER_WINE_TESTS=$(call TESTS_IN,win64) >/dev/null
	cmake --build $(BUILD)/win64 -j$(JOBS)
	mkdir -p $(DIST)/win64
	cp $(BUILD)/win64/out/*.exe $(DIST)/win64/

# One CTest tree over the host build and the Windows build that holds the Win32 tests, so a run
# ends with one summary. glimmer-pack finds the setup image and the engine it packs in
# share/glimmer/ beside itself.
dist: win32 wasm $(filter win64,$(WINE_TESTS))
	printf 'subdirs("host")\nsubdirs("$(WINE_TESTS)")\n' > $(BUILD)/CTestTestfile.cmake
	mkdir -p $(DIST)/share/glimmer
	cp $(BUILD)/host/tools/glimmer-pack $(DIST)/
	cp $(BUILD)/win32/setup/setup.exe $(BUILD)/win32/engine/glimmer-carried.exe \
	    $(DIST)/share/glimmer/
	cp $(BUILD)/win32/out/*.exe $(DIST)/
	if [ -d $(BUILD)/win64/out ]; then mkdir -p $(DIST)/win64 && \
	    cp $(BUILD)/win64/out/*.exe $(DIST)/win64/; fi
	$(MAKE) --no-print-directory BUILD=$(BUILD) DIST=$(DIST) web

# The page: its HTML, style and scripts, the WebAssembly modules (the packing library, the saver
# preview), and as assets the setup image and the engine it packs (as in share/glimmer/).
web:
	rm -rf $(DIST)/web
	mkdir -p $(DIST)/web/assets
	cp web/index.html web/*.css web/*.js $(DIST)/web/
	cp $(BUILD)/win32/setup/setup.exe $(BUILD)/win32/engine/glimmer-carried.exe \
	    $(DIST)/web/assets/
	cp $(BUILD)/wasm/tree/packer.js $(BUILD)/wasm/tree/packer.wasm $(DIST)/web/
	cp $(BUILD)/wasm/tree/saver-preview.js $(BUILD)/wasm/tree/saver-preview.wasm $(DIST)/web/

# The libFuzzer targets, built with clang in a tree of their own.
fuzz:
	cmake -S . -B $(BUILD)/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLIMMER_FUZZ=ON \
	    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	cmake --build $(BUILD)/fuzz -j$(JOBS)

# The photo import compiled to WebAssembly with Debian's emscripten, and its tests, which
# compare it with the host build. web/wasm/deps.sh fetches and builds the decoding libraries
# into $(BUILD)/wasm once; a rebuild only compiles the project's own sources.
WASM_ENV = NODE_PATH=/usr/share/nodejs
wasm: host
	web/wasm/deps.sh wasm $(BUILD)/wasm
	$(WASM_ENV) emcmake cmake -S web/wasm -B $(BUILD)/wasm/tree -DCMAKE_BUILD_TYPE=Release \
	    -DGLIMMER_WASM_DEPS=$(ABS_BUILD)/wasm/deps -DGLIMMER_HOST_BUILD=$(ABS_BUILD)/host \
	    >/dev/null
	$(WASM_ENV) cmake --build $(BUILD)/wasm/tree -j$(JOBS)

# Everything the test command runs: the CTest tree then takes in the fuzz targets and the
# WebAssembly module's tests as well.
tests: dist fuzz
	printf 'subdirs("host")\nsubdirs("$(WINE_TESTS)")\nsubdirs("fuzz")\nsubdirs("wasm/tree")\n' \
	    > $(BUILD)/CTestTestfile.cmake

install: win32
	cmake --install $(BUILD)/host --prefix $(PREFIX) --strip

deb: win32
	cd $(BUILD)/host && cpack -B $(abspath $(DIST)) >/dev/null
	rm -rf $(DIST)/_CPack_Packages
	ls $(DIST)/glimmer-pack_*.deb

check:
	scripts/test.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(DIST)
