# The page's WebAssembly module: the packing library and the engine's platform-free logic over
# the photo import of this tree (glimmer_photo_wasm), with the binding of packer_binding.cpp.
# Leaves packer.js (a factory named createPacker, for a worker that hands it the module's bytes)
# and packer.wasm. Included by web/wasm/CMakeLists.txt, whose flags and memory bound it shares.
set(GLIMMER_WEB_DIR ${CMAKE_CURRENT_LIST_DIR})
file(GLOB packer_sources CONFIGURE_DEPENDS ${GLIMMER_SOURCE}/common/*.cpp
    ${GLIMMER_SOURCE}/engine/*.cpp ${GLIMMER_SOURCE}/setup/*.cpp
    ${GLIMMER_SOURCE}/tools/packing/*.cpp)
list(FILTER packer_sources EXCLUDE REGEX "_win32\\.cpp$|/variant\\.cpp$")
add_executable(packer ${packer_sources} ${GLIMMER_WEB_DIR}/packer_binding.cpp)
set_target_properties(packer PROPERTIES SUFFIX .js)
target_include_directories(packer PRIVATE ${GLIMMER_SOURCE}/common ${GLIMMER_SOURCE}/engine
    ${GLIMMER_SOURCE}/setup ${GLIMMER_SOURCE}/tools/packing)
target_compile_options(packer PRIVATE ${GLIMMER_WASM_FLAGS} -fno-exceptions -fno-rtti)
target_compile_definitions(packer PRIVATE
    GLIMMER_WASM_MAXIMUM_MEMORY=${GLIMMER_WASM_MAXIMUM_MEMORY})
target_link_libraries(packer PRIVATE glimmer_photo_wasm)
target_link_options(packer PRIVATE -O2 -sMODULARIZE=1 -sEXPORT_NAME=createPacker
    -sENVIRONMENT=worker -sFILESYSTEM=0 -sEXPORTED_FUNCTIONS=_malloc,_free
    -sEXPORTED_RUNTIME_METHODS=UTF8ToString ${GLIMMER_WASM_MEMORY})

# The saver preview's module: the engine's slideshow logic, settings and Dib code, the same
# files the engine is built from, under the page's show (preview_show.cpp). It runs beside the
# page rather than in the worker, so it is a module of its own: saver-preview.js (a factory
# named createSaverPreview) and saver-preview.wasm.
add_executable(saver-preview ${GLIMMER_WEB_DIR}/preview_show.cpp
    ${GLIMMER_WEB_DIR}/preview_binding.cpp ${GLIMMER_SOURCE}/engine/slideshow_logic.cpp
    ${GLIMMER_SOURCE}/engine/settings.cpp ${GLIMMER_SOURCE}/common/dib.cpp
    ${GLIMMER_SOURCE}/common/blob.cpp ${GLIMMER_SOURCE}/common/allocation.cpp
    ${GLIMMER_SOURCE}/common/allocation_end_posix.cpp)
set_target_properties(saver-preview PROPERTIES SUFFIX .js)
target_include_directories(saver-preview PRIVATE ${GLIMMER_SOURCE}/common
    ${GLIMMER_SOURCE}/engine ${GLIMMER_WEB_DIR})
target_compile_options(saver-preview PRIVATE ${GLIMMER_WASM_FLAGS} -fno-exceptions -fno-rtti)
target_link_options(saver-preview PRIVATE -O2 -sMODULARIZE=1 -sEXPORT_NAME=createSaverPreview
    -sENVIRONMENT=web -sFILESYSTEM=0 -sEXPORTED_FUNCTIONS=_malloc,_free
    -sEXPORTED_RUNTIME_METHODS=UTF8ToString ${GLIMMER_WASM_MEMORY})
