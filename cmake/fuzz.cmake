# Fuzz build (clang with libFuzzer): the platform-free readers and the picture decoders under
# AddressSanitizer and UndefinedBehaviorSanitizer. Configured by the Makefile as its own tree,
# build/fuzz, beside the host tree.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "the fuzz build needs clang (CXX=clang++)")
endif()

set(GLIMMER_FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined
    -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g)

# The common library and the command-line scan, instrumented like the targets.
add_library(glimmer_fuzz_core STATIC ${COMMON_PURE} ${COMMON_POSIX}
    ${CMAKE_SOURCE_DIR}/engine/cmdline.cpp)
target_link_libraries(glimmer_fuzz_core PUBLIC glimmer_flags)
target_compile_options(glimmer_fuzz_core PRIVATE ${GLIMMER_FUZZ_FLAGS})

# The photo library's sources and dependencies; only its function is used here.
add_subdirectory(${CMAKE_SOURCE_DIR}/tools/decoders ${CMAKE_BINARY_DIR}/decoders EXCLUDE_FROM_ALL)
add_subdirectory(${CMAKE_SOURCE_DIR}/tests/fuzz ${CMAKE_BINARY_DIR}/tests/fuzz)
