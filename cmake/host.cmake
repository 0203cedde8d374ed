# Host build: platform-free code as native libraries (plain for the tools, sanitized for the
# tests), the host tools, and the native unit tests.

set(GLIMMER_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)

# A native library from a list of sources, and its sanitized twin NAME_san.
function(glimmer_host_library name)
    set(sources ${ARGN})
    if(sources)
        add_library(${name} STATIC ${sources})
        add_library(${name}_san STATIC ${sources})
        target_link_libraries(${name} PUBLIC glimmer_flags)
        target_link_libraries(${name}_san PUBLIC glimmer_flags)
        target_compile_options(${name}_san PUBLIC ${GLIMMER_SANITIZE} -g)
        target_link_options(${name}_san PUBLIC ${GLIMMER_SANITIZE})
    else()
        add_library(${name} INTERFACE)
        add_library(${name}_san INTERFACE)
        target_link_libraries(${name} INTERFACE glimmer_flags)
        target_link_libraries(${name}_san INTERFACE glimmer_flags)
    endif()
endfunction()

glimmer_host_library(glimmer_core ${COMMON_PURE} ${COMMON_POSIX})
glimmer_host_library(glimmer_engine_core ${ENGINE_PURE})
glimmer_host_library(glimmer_setup_core ${SETUP_PURE})
# The engine's platform-free code reads the build's sustain pair; native tests link a variant.
if(EXISTS ${CMAKE_SOURCE_DIR}/engine/variant.cpp)
    foreach(variant IN ITEMS "standalone;30000;1450" "carried;15000;700")
        list(GET variant 0 name)
        list(GET variant 1 maximum)
        list(GET variant 2 step)
        add_library(glimmer_variant_${name} STATIC ${CMAKE_SOURCE_DIR}/engine/variant.cpp)
        target_compile_definitions(glimmer_variant_${name} PRIVATE
            GLIMMER_SUSTAIN_MAXIMUM=${maximum} GLIMMER_SUSTAIN_STEP=${step})
        target_link_libraries(glimmer_variant_${name} PUBLIC glimmer_flags)
    endforeach()
endif()

# glimmer_host_test(NAME name SOURCES ... [LIBS ...]): a sanitized GoogleTest program run by
# CTest.
function(glimmer_host_test)
    cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} glimmer_core_san GTest::gtest_main)
    target_compile_options(${T_NAME} PRIVATE ${GLIMMER_SANITIZE} -g)
    target_link_options(${T_NAME} PRIVATE ${GLIMMER_SANITIZE})
    target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/common
        ${CMAKE_SOURCE_DIR}/engine ${CMAKE_SOURCE_DIR}/setup
        ${CMAKE_SOURCE_DIR}/tests/common)
    add_test(NAME host.${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(host.${T_NAME} PROPERTIES LABELS host
        ENVIRONMENT "GLIMMER_SOURCE=${CMAKE_SOURCE_DIR};GLIMMER_HOST_BUILD=${CMAKE_BINARY_DIR}")
endfunction()

add_subdirectory(tools)
include(cmake/package.cmake)
glimmer_test_folders(host)
