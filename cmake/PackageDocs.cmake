# What the package says about itself: the copyright file, the changelog, its
# lintian overrides and the AppStream metadata. packaging/changelog is the one
# record of releases: its newest entry gives the metadata's release and must
# match the package's version.
set(VARNOK_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/varnokterm)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright DESTINATION ${VARNOK_DOC_DIR})
# The user manual and the script functions, which the man page points to,
# with the pages and pictures they link to; links to files that are not
# installed lose their target (cmake/InstalledDocPage.cmake).
set(VARNOK_DOC_PAGES manual.md scripts.md replay.md file-transfer.md send-buttons.md
                     keyboard-and-languages.md design.md)
set(VARNOK_DOC_PICTURES main-window-resized.png main-window-german.png pane-dump.png
                        pane-times.png port-list-names.png pane-terminal.png plot-window.png
                        monitor-view.png)
set(VARNOK_INSTALLED_PAGES)
foreach(page ${VARNOK_DOC_PAGES})
    set(installed_page ${CMAKE_BINARY_DIR}/doc/${page})
    add_custom_command(OUTPUT ${installed_page}
        COMMAND ${CMAKE_COMMAND} -DPAGE=${CMAKE_SOURCE_DIR}/docs/${page} -DOUT=${installed_page}
                -P ${CMAKE_SOURCE_DIR}/cmake/InstalledDocPage.cmake
        DEPENDS ${CMAKE_SOURCE_DIR}/docs/${page} ${CMAKE_SOURCE_DIR}/cmake/InstalledDocPage.cmake
        VERBATIM)
    list(APPEND VARNOK_INSTALLED_PAGES ${installed_page})
endforeach()
add_custom_target(varnokterm-doc-pages ALL DEPENDS ${VARNOK_INSTALLED_PAGES})
list(TRANSFORM VARNOK_DOC_PICTURES PREPEND ${CMAKE_SOURCE_DIR}/docs/)
install(FILES ${VARNOK_INSTALLED_PAGES} ${VARNOK_DOC_PICTURES} DESTINATION ${VARNOK_DOC_DIR})
# The program's own copy, which Help > User Manual shows: a system may strip
# share/doc, never the program's data folder.
install(FILES ${VARNOK_INSTALLED_PAGES} ${VARNOK_DOC_PICTURES}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/varnokterm/manual)
# The lintian tags this package overrides, each with its reason. It and the
# Debian changelog belong to the Debian package alone: they are in the
# install component "debian", which a plain `cmake --install` leaves out and
# the package takes in (CPACK_INSTALL_CMAKE_PROJECTS in Packaging.cmake).
install(FILES ${CMAKE_SOURCE_DIR}/packaging/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME varnokterm
        COMPONENT debian EXCLUDE_FROM_ALL)

# Debian keeps changelogs compressed, without a time stamp in the gzip header.
set(VARNOK_CHANGELOG ${CMAKE_SOURCE_DIR}/packaging/changelog)
set(VARNOK_CHANGELOG_GZ ${CMAKE_BINARY_DIR}/doc/changelog.Debian.gz)
add_custom_command(OUTPUT ${VARNOK_CHANGELOG_GZ}
    COMMAND ${CMAKE_COMMAND} -E copy ${VARNOK_CHANGELOG} ${CMAKE_BINARY_DIR}/doc/changelog.Debian
    COMMAND ${VARNOK_GZIP} -9nf ${CMAKE_BINARY_DIR}/doc/changelog.Debian
    DEPENDS ${VARNOK_CHANGELOG}
    COMMENT "Compressing the changelog"
    VERBATIM)
add_custom_target(varnokterm-changelog ALL DEPENDS ${VARNOK_CHANGELOG_GZ})
install(FILES ${VARNOK_CHANGELOG_GZ} DESTINATION ${VARNOK_DOC_DIR}
        COMPONENT debian EXCLUDE_FROM_ALL)

# The newest entry: "varnokterm (3.0.0-1) ..." and its sign-off line
# " -- Name <address>  Mon, 07 Dec 2026 12:00:00 +0000".
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${VARNOK_CHANGELOG})
file(STRINGS ${VARNOK_CHANGELOG} changelog_lines)
list(GET changelog_lines 0 changelog_head)
if(NOT changelog_head MATCHES "^varnokterm \\(([^)-]+)-([^)]+)\\)")
    message(FATAL_ERROR "packaging/changelog: the first line names no version: ${changelog_head}")
endif()
set(VARNOK_RELEASE_VERSION ${CMAKE_MATCH_1})
set(changelog_package_version ${CMAKE_MATCH_1}-${CMAKE_MATCH_2})
set(VARNOK_RELEASE_DATE)
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
foreach(line IN LISTS changelog_lines)
    if(line MATCHES "^ -- .*>  [A-Z][a-z][a-z], ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) ")
        list(FIND months ${CMAKE_MATCH_2} month)
        # Two digits each: 100 + n without its leading 1.
        math(EXPR month "101 + ${month}")
        math(EXPR day "100 + ${CMAKE_MATCH_1}")
        string(SUBSTRING ${month} 1 2 month)
        string(SUBSTRING ${day} 1 2 day)
        set(VARNOK_RELEASE_DATE ${CMAKE_MATCH_3}-${month}-${day})
        break()
    endif()
endforeach()
if(NOT VARNOK_RELEASE_DATE)
    message(FATAL_ERROR "packaging/changelog: the newest entry has no sign-off line with a date")
endif()
if(NOT changelog_package_version STREQUAL "${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")
    message(WARNING "packaging/changelog's newest entry is ${changelog_package_version}, the "
                    "package is ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}: add an entry")
endif()

configure_file(${CMAKE_SOURCE_DIR}/packaging/com.varnok.varnokterm.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/metainfo/com.varnok.varnokterm.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/metainfo/com.varnok.varnokterm.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
