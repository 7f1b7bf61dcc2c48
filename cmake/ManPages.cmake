# The installed programs' man pages, written by hand in roff
# (docs/man/<program>.1) and installed compressed, as Debian keeps them.
# `man -l docs/man/varnokterm.1` shows one from the source tree.
set(VARNOK_MAN_DIR ${CMAKE_BINARY_DIR}/man)
file(MAKE_DIRECTORY ${VARNOK_MAN_DIR})
set(VARNOK_MAN_PAGES)
foreach(program varnokterm varnok-demo-peer)
    set(source ${CMAKE_SOURCE_DIR}/docs/man/${program}.1)
    set(page ${VARNOK_MAN_DIR}/${program}.1.gz)
    # gzip -n: no name or time stamp in the header, so the package is reproducible.
    add_custom_command(OUTPUT ${page}
        COMMAND ${VARNOK_GZIP} -9nc ${source} > ${page}
        DEPENDS ${source}
        COMMENT "Compressing the man page of ${program}")
    list(APPEND VARNOK_MAN_PAGES ${page})
endforeach()

add_custom_target(varnokterm-man-pages ALL DEPENDS ${VARNOK_MAN_PAGES})
install(FILES ${VARNOK_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
