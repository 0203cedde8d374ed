# Builds the host tools, the i686 deliverables, the x86_64 twin and the fuzz targets, and gathers
# dist/.
#   make                 build everything into build/ and dist/
#   make check           also run every test (scripts/test.sh)
#   make BUILD=dir       use another build folder (its dist/ then lies inside it)
BUILD ?= build
JOBS ?= 2
ifeq ($(abspath $(BUILD)),$(abspath build))
DIST ?= dist
else
DIST ?= $(BUILD)/dist
endif
ABS_BUILD := $(abspath $(BUILD))

.PHONY: all host win32 win64 fuzz dist check clean

all: dist

host:
	cmake -S . -B $(BUILD)/host -DCMAKE_BUILD_TYPE=Release >/dev/null
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

# The libFuzzer targets, built with clang in a tree of their own.
fuzz:
	cmake -S . -B $(BUILD)/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLIMMER_FUZZ=ON \
	    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	cmake --build $(BUILD)/fuzz -j$(JOBS)

# One CTest tree over the host, win64 and fuzz builds, so a run ends with one summary.
dist: win32 win64 fuzz
	printf 'subdirs("host")\nsubdirs("win64")\nsubdirs("fuzz")\n' > $(BUILD)/CTestTestfile.cmake
	mkdir -p $(DIST)/win64
	cp $(BUILD)/host/tools/glimmer-pack $(DIST)/
	cp $(BUILD)/win32/out/*.exe $(DIST)/ 2>/dev/null || true
	cp $(BUILD)/win64/out/*.exe $(DIST)/win64/ 2>/dev/null || true

check: all
	scripts/test.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(DIST)
