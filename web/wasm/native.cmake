# The native photo-dib, built by the host build from the library glimmer-pack links: what the
# WebAssembly module's output is compared with (see CMakeLists.txt beside this file).
if(TARGET glimmer_photo)
    add_executable(photo-dib ${CMAKE_CURRENT_LIST_DIR}/photo_dib_main.cpp)
    target_link_libraries(photo-dib PRIVATE glimmer_photo)
    target_compile_options(photo-dib PRIVATE -Wall -Wextra)
    set_target_properties(photo-dib PROPERTIES RUNTIME_OUTPUT_DIRECTORY
        ${CMAKE_BINARY_DIR}/web/wasm)
endif()
