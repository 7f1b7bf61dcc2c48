# Installing VarnokTerm as a desktop program, and its Debian package.
#   cmake --install build --prefix ~/.local     (or sudo cmake --install build)
#   cd build && cpack -G DEB                    -> varnokterm_<version>-1_<arch>.deb
include(GNUInstallDirs)
find_program(VARNOK_GZIP gzip REQUIRED)

# Who answers for the package: a stand-in in a reserved domain until the
# real address is known; packaging/changelog signs with the same address.
set(VARNOK_PACKAGE_CONTACT "Varnok Instruments <varnokterm@varnok.example>")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)

# The menu entry, named by the program's AppStream id, and the scalable icon.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/com.varnok.varnokterm.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/varnokterm.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The setup files' type (*.vterm), which the menu entry opens. In the
# package, Debian's shared-mime-info and desktop-file-utils triggers update
# their caches; a plain install updates them itself (see the end).
install(FILES ${CMAKE_SOURCE_DIR}/packaging/com.varnok.varnokterm.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)

# The headless capture as a systemd user service, one instance per setup.
# Made at install time: the program's path follows the prefix installed to
# (/usr in the package).
install(CODE "set(VARNOK_BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    configure_file(\"${CMAKE_SOURCE_DIR}/packaging/varnokterm@.service.in\"
                   \"${CMAKE_BINARY_DIR}/varnokterm@.service\" @ONLY)")
install(FILES ${CMAKE_BINARY_DIR}/varnokterm@.service DESTINATION lib/systemd/user)

# The fixed-size icons are rendered from programIcon() at build time, so they
# match the program's windows exactly. The renderer is needed even when the
# other tools are not built.
if(NOT TARGET varnok-make-icons)
    add_subdirectory(${CMAKE_SOURCE_DIR}/tools/make-icons ${CMAKE_BINARY_DIR}/tools/make-icons)
endif()
set(VARNOK_ICON_SIZES 16 32 48 64 128 256)
set(VARNOK_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
string(REPLACE ";" ", " VARNOK_ICON_SIZE_LIST "${VARNOK_ICON_SIZES}")
set(VARNOK_ICON_FILES)
foreach(size ${VARNOK_ICON_SIZES})
    list(APPEND VARNOK_ICON_FILES ${VARNOK_ICON_DIR}/${size}x${size}/apps/varnokterm.png)
endforeach()
# Leak reports from a sanitizer build of the renderer must not fail the build.
add_custom_command(OUTPUT ${VARNOK_ICON_FILES}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:varnok-make-icons> ${VARNOK_ICON_DIR} ${VARNOK_ICON_SIZES}
    DEPENDS varnok-make-icons
    COMMENT "Rendering the program icon at ${VARNOK_ICON_SIZE_LIST} pixels"
    VERBATIM)
add_custom_target(varnokterm-icons ALL DEPENDS ${VARNOK_ICON_FILES})
foreach(size ${VARNOK_ICON_SIZES})
    install(FILES ${VARNOK_ICON_DIR}/${size}x${size}/apps/varnokterm.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# The package carries the demo peer, and the tests run it, even when the
# other tools are not built.
if(NOT TARGET varnok-demo-peer)
    add_subdirectory(${CMAKE_SOURCE_DIR}/tools/demo-peer ${CMAKE_BINARY_DIR}/tools/demo-peer)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/ManPages.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/PackageDocs.cmake)

# A stripped install (the package's) also drops the compiler's version notes,
# as Debian's own packaging does: the C runtime's start files add them even
# to a program compiled without them. The programs are installed by then:
# subfolders' install rules run before this folder's.
if(CMAKE_OBJCOPY)
    install(CODE "set(objcopy \"${CMAKE_OBJCOPY}\")")
    install(CODE [[
        if(CMAKE_INSTALL_DO_STRIP)
            foreach(program varnokterm varnok-demo-peer)
                execute_process(COMMAND ${objcopy} --remove-section=.comment
                                        "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/${program}")
            endforeach()
        endif()
    ]])
endif()

# A plain install (not into a staging folder) makes the new file type and
# menu entry known at once, as the package's triggers do. Skipped when
# DESTDIR is set (a package or a test stages the files) or a tool is missing.
install(CODE [[
    if(NOT "$ENV{DESTDIR}" STREQUAL "" OR CMAKE_INSTALL_PREFIX MATCHES "/_CPack_Packages/")
        return()
    endif()
    find_program(update_mime update-mime-database)
    find_program(update_desktop update-desktop-database)
    set(share "${CMAKE_INSTALL_PREFIX}/share")
    if(update_mime)
        message(STATUS "Updating the file types in ${share}/mime")
        execute_process(COMMAND ${update_mime} "${share}/mime")
    endif()
    if(update_desktop)
        message(STATUS "Updating the menu entries' file types in ${share}/applications")
        execute_process(COMMAND ${update_desktop} "${share}/applications")
    endif()
]])

# The install and package tests install this build tree, so they need what
# gets installed.
foreach(test_target tst_install tst_debian_package)
    if(TARGET ${test_target})
        add_dependencies(${test_target} varnokterm varnokterm-icons varnok-demo-peer
                         varnokterm-changelog varnokterm-man-pages varnokterm-doc-pages)
    endif()
endforeach()
# It also runs the docs' script examples headless.
if(TARGET tst_demo_peer)
    add_dependencies(tst_demo_peer varnok-demo-peer varnokterm)
endif()
# The command-line test runs each program with --version.
if(TARGET tst_command_line)
    add_dependencies(tst_command_line varnokterm varnok-demo-peer)
    if(TARGET varnok-stress)
        add_dependencies(tst_command_line varnok-stress)
    endif()
endif()

# The Debian package. dpkg-shlibdeps finds the Qt 6 libraries it needs; the
# fonts are named by hand because printing and layout use their metrics.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnokterm)
set(CPACK_PACKAGE_VENDOR "Varnok Instruments")
set(CPACK_PACKAGE_CONTACT ${VARNOK_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Two-channel serial and TCP data-capture terminal")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VARNOK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
# File transfer (XMODEM, YMODEM, ZMODEM) runs lrzsz's sz and rz, and is greyed
# out without them; ser2net serves a serial port for an RFC 2217 channel.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "lrzsz")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ser2net")
# The summary above is the synopsis line; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "VarnokTerm shows what instruments send on two serial ports, or on TCP\n\
connections, RFC 2217 serial servers or a port it listens on, as text,\n\
decimal or hex, in real time, line by line or in\n\
bursts separated by a quiet time-out, and sends typed text or hex bytes.\n\
The package includes varnok-demo-peer, a pretend instrument to try it with.")
# Everything a plain install installs, and the Debian-only files.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};varnokterm;ALL;/"
                                 "${CMAKE_BINARY_DIR};varnokterm;debian;/")
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/out/")
include(CPack)
