# Win32 tests under Wine: the i686 build runs under 32-bit Wine in a 32-bit prefix, as close to
# Windows 95 as Wine comes (its system32 is the system directory); the x86_64 twin, used only
# where 32-bit Wine is missing, runs under wine64. One prefix per display (24-bit, 8-bit
# PseudoColor, 16-bit High Colour, and 24-bit at 640 x 480), kept alive by a CTest fixture, and
# the helpers that declare GoogleTest programs and end-to-end scripts.

if(GLIMMER_WIN64)
    set(GLIMMER_WINE /usr/lib/wine/wine64)
    set(GLIMMER_WINEARCH win64)
else()
    set(GLIMMER_WINE /usr/lib/wine/wine)
    set(GLIMMER_WINEARCH win32)
endif()
set(GLIMMER_WINESERVER /usr/lib/wine/wineserver)
set(GLIMMER_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(GLIMMER_PREFIX8 ${CMAKE_BINARY_DIR}/wineprefix8)
set(GLIMMER_PREFIX16 ${CMAKE_BINARY_DIR}/wineprefix16)
set(GLIMMER_PREFIX640 ${CMAKE_BINARY_DIR}/wineprefix640)
set(GLIMMER_WINE_SCRIPT ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)

set(GLIMMER_WINE_ENV
    "WINEPREFIX=${GLIMMER_PREFIX}"
    "GLIMMER_PREFIX8=${GLIMMER_PREFIX8}"
    "GLIMMER_PREFIX16=${GLIMMER_PREFIX16}"
    "GLIMMER_PREFIX640=${GLIMMER_PREFIX640}"
    "WINE=${GLIMMER_WINE}"
    "WINEARCH=${GLIMMER_WINEARCH}"
    "WINESERVER=${GLIMMER_WINESERVER}"
    "WINEDEBUG=-all"
    "WINEDLLOVERRIDES=mscoree,mshtml="
    "GLIMMER_BUILD=${CMAKE_BINARY_DIR}"
    "GLIMMER_HOST_BUILD=${GLIMMER_HOST_TOOLS}/.."
    "GLIMMER_HOST_TOOLS=${GLIMMER_HOST_TOOLS}"
    "GLIMMER_SOURCE=${CMAKE_SOURCE_DIR}")
set(GLIMMER_PREFIXES ${GLIMMER_PREFIX} ${GLIMMER_PREFIX8} ${GLIMMER_PREFIX16} ${GLIMMER_PREFIX640})

add_test(NAME wine.start COMMAND ${GLIMMER_WINE_SCRIPT} start ${GLIMMER_PREFIXES})
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine LABELS wine
    ENVIRONMENT "${GLIMMER_WINE_ENV}")
add_test(NAME wine.stop COMMAND ${GLIMMER_WINE_SCRIPT} stop ${GLIMMER_PREFIXES})
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine LABELS wine
    ENVIRONMENT "${GLIMMER_WINE_ENV}")

# glimmer_wine_test(NAME name SOURCES ... [LIBS ...] [RC file.rc ...] [GUI] [DISPLAY8])
function(glimmer_wine_test)
    cmake_parse_arguments(T "GUI;DISPLAY8" "NAME" "SOURCES;LIBS;RC" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES} ${T_RC})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} glimmer_common GTest::gtest_main
        glimmer_winlink)
    target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/common
        ${CMAKE_SOURCE_DIR}/engine ${CMAKE_SOURCE_DIR}/setup ${CMAKE_SOURCE_DIR}/tests/common)
    add_test(NAME wine.${T_NAME} COMMAND ${T_NAME})
    set(env ${GLIMMER_WINE_ENV})
    if(T_DISPLAY8)
        list(APPEND env "GLIMMER_USE_DISPLAY=8")
    endif()
    set_tests_properties(wine.${T_NAME} PROPERTIES FIXTURES_REQUIRED wine LABELS wine
        ENVIRONMENT "${env}" TIMEOUT 300)
    if(T_GUI OR T_DISPLAY8)
        set_tests_properties(wine.${T_NAME} PROPERTIES RESOURCE_LOCK xscreen)
    endif()
endfunction()

# glimmer_e2e_test(NAME name COMMAND ...): a host script driving real programs under Wine.
function(glimmer_e2e_test)
    cmake_parse_arguments(T "" "NAME" "COMMAND" ${ARGN})
    add_test(NAME e2e.${T_NAME} COMMAND ${T_COMMAND})
    set_tests_properties(e2e.${T_NAME} PROPERTIES FIXTURES_REQUIRED wine LABELS e2e
        ENVIRONMENT "${GLIMMER_WINE_ENV}" RESOURCE_LOCK xscreen TIMEOUT 600)
endfunction()

glimmer_test_folders(wine)
glimmer_test_folders(e2e)
