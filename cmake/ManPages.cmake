# Man pages for the installed programs, made at build time by help2man from
# each program's --help and --version, so they can't drift from the program.
# Both answer without a display. A sanitizer build's leak report at exit must
# not fail the build.
find_program(VARNOK_HELP2MAN help2man)
if(NOT VARNOK_HELP2MAN)
    message(WARNING "help2man not found (Debian package help2man): building without man pages, "
                    "which the Debian package needs")
    return()
endif()

set(VARNOK_MAN_DIR ${CMAKE_BINARY_DIR}/man)
file(MAKE_DIRECTORY ${VARNOK_MAN_DIR})
set(VARNOK_MAN_PAGES)

# varnok_man_page(<program target> <what it is, for the NAME section>)
function(varnok_man_page program summary)
    set(page ${VARNOK_MAN_DIR}/${program}.1)
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
                ${VARNOK_HELP2MAN} --no-info --section=1 --name=${summary} --output=${page}
                $<TARGET_FILE:${program}>
        COMMAND ${VARNOK_GZIP} -9nf ${page}
        DEPENDS ${program}
        COMMENT "Making the man page of ${program} with help2man"
        VERBATIM)
    set(VARNOK_MAN_PAGES ${VARNOK_MAN_PAGES} ${page}.gz PARENT_SCOPE)
endfunction()

varnok_man_page(varnokterm "two-channel serial and TCP data-capture terminal")
varnok_man_page(varnok-demo-peer "pretend instrument for trying VarnokTerm without hardware")

add_custom_target(varnokterm-man-pages ALL DEPENDS ${VARNOK_MAN_PAGES})
install(FILES ${VARNOK_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
