# What a user downloads: the Windows program in a ZIP with the README and the
# licence; the web page's files in a ZIP to unpack on any static web server,
# with the same two; or the Linux program as a .deb installed under /usr with
# its menu entry, icon, manual page, README, changelog and licence. `cpack`
# in the build tree (or `cpack --preset native|windows|web`) writes the
# package into the build tree; the package tests build it the same way before
# unpacking it.
include(GNUInstallDirs)

set(MANDELBROT_MAINTAINER
    "The Mandelbrot set viewer authors <maintainers@users.noreply.c-seed-e5babe9b.example>")

set(CPACK_PACKAGE_NAME mandelbrot)
set(CPACK_PACKAGE_VENDOR "The Mandelbrot set viewer authors")
set(CPACK_PACKAGE_CONTACT ${MANDELBROT_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive viewer of the Mandelbrot set")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Opens one window and fills it with a colour picture of the Mandelbrot set.\n"
    "Drag to select an area, right-click inside it to zoom, B to step back.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME mandelbrot-${PROJECT_VERSION}-win64)
    set(MANDELBROT_PACKAGE_FILE ${CPACK_PACKAGE_FILE_NAME}.zip)
    install(TARGETS mandelbrot RUNTIME DESTINATION .)
    install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
elseif(EMSCRIPTEN)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME mandelbrot-${PROJECT_VERSION}-web)
    set(MANDELBROT_PACKAGE_FILE ${CPACK_PACKAGE_FILE_NAME}.zip)
    install(FILES $<TARGET_FILE:mandelbrot_web> ${CMAKE_BINARY_DIR}/index.js
                  ${CMAKE_BINARY_DIR}/index.wasm ${PROJECT_SOURCE_DIR}/README.md
                  ${PROJECT_SOURCE_DIR}/LICENSE
            DESTINATION .)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    execute_process(COMMAND dpkg --print-architecture
                    OUTPUT_VARIABLE deb_architecture OUTPUT_STRIP_TRAILING_WHITESPACE
                    COMMAND_ERROR_IS_FATAL ANY)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${deb_architecture})
    set(CPACK_DEBIAN_FILE_NAME mandelbrot_${PROJECT_VERSION}_${deb_architecture}.deb)
    set(MANDELBROT_PACKAGE_FILE ${CPACK_DEBIAN_FILE_NAME})
    set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
    # dpkg-shlibdeps names the packages of the libraries the program links,
    # SDL2's among them, with the versions it needs.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    install(TARGETS mandelbrot RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/shell_sdl/mandelbrot.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
    # The menu entry's icon is this view of the set (reLeft imOffset reSpan),
    # the whole set centred in a square.
    set(MANDELBROT_ICON_VIEW -2.065 1.58 2.6)
    # The icon, the manual page, the changelog and the copyright file.
    add_subdirectory(packaging)
endif()

include(CPack)
