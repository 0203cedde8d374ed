# Builds the host tools, the i686 deliverables and the x86_64 twin, and gathers dist/.
#   make                 build everything into build/ and dist/
#   make check           also run every test (scripts/test.sh)
#   make install         install glimmer-pack and the Windows images it packs under PREFIX
#                        (default /usr/local; DESTDIR is honoured)
#   make deb             build the Debian package glimmer-pack_VERSION_ARCH.deb into dist/
#   make BUILD=dir       use another build folder (its dist/ then lies inside it)
BUILD ?= build
JOBS ?= 2
ifeq ($(abspath $(BUILD)),$(abspath build))
DIST ?= dist
else
DIST ?= $(BUILD)/dist
endif
ABS_BUILD := $(abspath $(BUILD))
PREFIX ?= /usr/local

.PHONY: all host win32 win64 dist check install deb clean

all: dist

host:
	cmake -S . -B $(BUILD)/host -DCMAKE_BUILD_TYPE=Release \
	    -DGLIMMER_WIN32_BUILD=$(ABS_BUILD)/win32 >/dev/null
	cmake --build $(BUILD)/host -j$(JOBS)

win32: host
	cmake -S . -B $(BUILD)/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake \
	    -DCMAKE_BUILD_TYPE=Release -DGLIMMER_HOST_TOOLS=$(ABS_BUILD)/host/tools >/dev/null
	cmake --build $(BUILD)/win32 -j$(JOBS)

win64: host
	cmake -S . -B $(BUILD)/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake \
	    -DCMAKE_BUILD_TYPE=Release -DGLIMMER_HOST_TOOLS=$(ABS_BUILD)/host/tools \
	    -DGLIMMER_WIN32_BUILD=$(ABS_BUILD)/win32 >/dev/null
	cmake --build $(BUILD)/win64 -j$(JOBS)

# One CTest tree over the host and win64 builds, so a run ends with one summary.
dist: win32 win64
	printf 'subdirs("host")\nsubdirs("win64")\n' > $(BUILD)/CTestTestfile.cmake
	mkdir -p $(DIST)/win64 $(DIST)/share/glimmer
	cp $(BUILD)/host/tools/glimmer-pack $(DIST)/
	cp $(BUILD)/win32/setup/setup.exe $(BUILD)/win32/engine/glimmer-carried.exe \
	    $(DIST)/share/glimmer/
	cp $(BUILD)/win32/out/*.exe $(DIST)/ 2>/dev/null || true
	cp $(BUILD)/win64/out/*.exe $(DIST)/win64/ 2>/dev/null || true

install: all
	cmake --install $(BUILD)/host --prefix $(PREFIX) --strip

deb: all
	cd $(BUILD)/host && cpack -B $(abspath $(DIST)) >/dev/null
	rm -rf $(DIST)/_CPack_Packages
	ls $(DIST)/glimmer-pack_*.deb

check: all
	scripts/test.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(DIST)
