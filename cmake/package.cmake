# Installing glimmer-pack with the Windows images it packs, and the Debian package of the same.
#   cmake --install build/host --prefix PREFIX   bin/glimmer-pack, share/glimmer/*.exe,
#                                                share/man/man1/glimmer-pack.1.gz,
#                                                share/doc/glimmer-pack/copyright
#   cpack --config build/host/CPackConfig.cmake  glimmer-pack_VERSION_ARCH.deb
# The images come from the i686 build named by GLIMMER_WIN32_BUILD (the Makefile sets it);
# glimmer-pack finds them in ../share/glimmer beside its own folder.
include(GNUInstallDirs)

set(GLIMMER_WIN32_BUILD "" CACHE PATH "i686 build folder whose setup and engine images are installed")

install(TARGETS glimmer-pack RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(GLIMMER_WIN32_BUILD)
    install(FILES ${GLIMMER_WIN32_BUILD}/setup/setup.exe
        ${GLIMMER_WIN32_BUILD}/engine/glimmer-carried.exe
        DESTINATION ${CMAKE_INSTALL_DATADIR}/glimmer)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/glimmer-pack)

# The manual page, made from the tool's help texts whenever the tool changes.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(GLIMMER_MAN_PAGE ${CMAKE_BINARY_DIR}/glimmer-pack.1.gz)
add_custom_command(OUTPUT ${GLIMMER_MAN_PAGE}
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/packaging/man_page.py
        $<TARGET_FILE:glimmer-pack> ${PROJECT_VERSION} ${GLIMMER_MAN_PAGE}
    DEPENDS glimmer-pack ${CMAKE_SOURCE_DIR}/packaging/man_page.py
    COMMENT "Making the manual page of glimmer-pack")
add_custom_target(glimmer-pack-man ALL DEPENDS ${GLIMMER_MAN_PAGE})
install(FILES ${GLIMMER_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME glimmer-pack)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The glimmer developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "turns pictures into a self-installing slideshow screen saver for Windows 95")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Debian's Maintainer field is a name and an address; a distributor sets its own.
set(GLIMMER_PACKAGE_MAINTAINER "The glimmer developers <glimmer-devel@example.org>" CACHE STRING
    "Name and address for the Debian package's Maintainer field")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${GLIMMER_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# The summary above is the synopsis; this is the extended description below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "glimmer-pack takes JPEG, PNG, WebP, HEIF, GIF and BMP pictures, or a folder of
them, and writes one Windows program that installs a screen saver showing them.
The package holds the Windows installer and screen-saver engine it packs.")
# The shared libraries' packages (libjpeg62-turbo, libpng16-16, libwebp7, libheif1, libgif7,
# libexif12, liblcms2-2, ...; libimagequant is linked in statically) come from dpkg-shlibdeps, with the versions they
# need.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
