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

# Link flags of every Windows program: no MinGW DLL at run time, reproducible images.
add_library(glimmer_winlink INTERFACE)
target_link_options(glimmer_winlink INTERFACE -static -static-libgcc -static-libstdc++
    -Wl,--no-insert-timestamp $<$<CONFIG:Release>:-s>)
target_link_libraries(glimmer_winlink INTERFACE user32 gdi32 advapi32 comdlg32 kernel32)

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

if(GLIMMER_WIN64)
    include(cmake/wine-tests.cmake)
endif()

# Benchmark programs print figures; they are built with the x86_64 twin and run by hand.
if(GLIMMER_WIN64 AND EXISTS ${CMAKE_SOURCE_DIR}/bench/render/CMakeLists.txt)
    add_subdirectory(bench/render)
endif()
