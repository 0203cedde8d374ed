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
