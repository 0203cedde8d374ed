# Windows build (i686 deliverables or the x86_64 twin): the common library, the programs, and on
# x86_64 the Win32 tests that CTest runs under wine64.
enable_language(RC)

if(NOT GLIMMER_HOST_TOOLS)
    message(FATAL_ERROR "GLIMMER_HOST_TOOLS must name the host build's tools folder")
endif()
set(GLIMMER_PESTUB ${GLIMMER_HOST_TOOLS}/pestub)
set(GLIMMER_PACK ${GLIMMER_HOST_TOOLS}/glimmer-pack)
# Deliverables of this build; the Makefile copies them into dist/.
set(GLIMMER_OUT ${CMAKE_BINARY_DIR}/out)
file(MAKE_DIRECTORY ${GLIMMER_OUT})

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(GLIMMER_WIN64 1)
endif()

# The project's own code: sections the linker can drop when nothing calls them, no unwind tables
# or stack protector (both would need a C runtime), and for i686 the instruction set of the
# 80386, the processor floor of Windows 95.
target_compile_options(glimmer_flags INTERFACE -ffunction-sections -fdata-sections
    -fno-asynchronous-unwind-tables -fno-stack-protector -fno-threadsafe-statics)
if(NOT GLIMMER_WIN64)
    target_compile_options(glimmer_flags INTERFACE -march=i386 -mtune=generic)
endif()

# Link flags of the test programs and tools: MinGW's runtime, linked statically.
add_library(glimmer_winlink INTERFACE)
target_link_options(glimmer_winlink INTERFACE -static -static-libgcc -static-libstdc++
    -Wl,--no-insert-timestamp $<$<CONFIG:Release>:-s>)
target_link_libraries(glimmer_winlink INTERFACE user32 gdi32 advapi32 comdlg32 kernel32)

# The programs' own small C runtime. Built so that it never calls itself: GCC would otherwise
# turn its copying loops into calls to memcpy and memset.
add_library(glimmer_runtime STATIC ${RUNTIME_SOURCES})
target_link_libraries(glimmer_runtime PRIVATE glimmer_flags)
target_compile_options(glimmer_runtime PRIVATE -ffreestanding -fno-builtin
    -fno-tree-loop-distribute-patterns)
target_include_directories(glimmer_runtime PUBLIC ${CMAKE_SOURCE_DIR}/runtime)

# Link flags of the shipped programs: no C runtime DLL and no start-up code but the project's
# runtime, libgcc for 64-bit division and stack probes, and only the system DLLs of Windows 95.
# The entry lives in the runtime library; naming it pulls it in. i686 symbols carry an
# underscore.
if(GLIMMER_WIN64)
    set(GLIMMER_SYMBOL_PREFIX "")
else()
    set(GLIMMER_SYMBOL_PREFIX "_")
endif()
set(GLIMMER_ENTRY ${GLIMMER_SYMBOL_PREFIX}WinMainCRTStartup)
add_library(glimmer_program INTERFACE)
target_link_options(glimmer_program INTERFACE -nostdlib -nostartfiles -static
    -Wl,--entry=${GLIMMER_ENTRY} -Wl,--undefined=${GLIMMER_ENTRY} -Wl,--gc-sections
    -Wl,--no-insert-timestamp $<$<CONFIG:Release>:-s>)
target_link_libraries(glimmer_program INTERFACE glimmer_runtime user32 gdi32 advapi32 kernel32
    gcc)

add_library(glimmer_common STATIC ${COMMON_PURE} ${COMMON_WIN32})
target_link_libraries(glimmer_common PUBLIC glimmer_flags)

# Rewrites the DOS header and stub of a linked program and moves its PE headers to 256.
function(glimmer_stub target)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${GLIMMER_PESTUB} $<TARGET_FILE:${target}>
        COMMENT "Stub ${target}")
endfunction()

if(EXISTS ${CMAKE_SOURCE_DIR}/engine/CMakeLists.txt)
    add_subdirectory(engine)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/setup/CMakeLists.txt)
    add_subdirectory(setup)
endif()

# The console program that drives the programs' dialogs from outside, for the demo and the
# end-to-end tests.
add_subdirectory(tests/driver)

# The Win32 tests, in the one Windows build that runs them under Wine (GLIMMER_WINE_TESTS).
option(GLIMMER_WINE_TESTS "Build the Win32 tests and run them under Wine" OFF)
if(GLIMMER_WINE_TESTS)
    include(cmake/wine-tests.cmake)
endif()

# Benchmark programs print figures; they are run by hand (bench/render/run.sh).
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/render/CMakeLists.txt)
    add_subdirectory(bench/render)
endif()
